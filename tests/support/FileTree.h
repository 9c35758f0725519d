#pragma once
#include <map>
#include <string>

namespace testenv {

// Every file below `root`, keyed by its path relative to `root` ('\'
// separators), with its bytes. Empty when `root` does not exist.
std::map<std::wstring, std::string> ReadFileTree(const std::wstring& root);
// Relative paths of every file and folder below `root`.
std::map<std::wstring, bool> ListTree(const std::wstring& root);

}  // namespace testenv
