#pragma once
#include <string>

// What the harness (tests/harness/run_test.py) tells a test binary through
// its environment, plus small file helpers for tests.
namespace testenv {

// A variable of the test's environment; "" when unset.
std::wstring Var(const wchar_t* name);
// The fresh temporary folder of this run (Windows form of the path).
std::wstring TempDir();
std::wstring SourceDir();
std::wstring BuildDir();
// A new empty folder below TempDir().
std::wstring MakeTempSubdir(const std::wstring& name);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Unpaired surrogates become replacement characters.
std::string Utf8(const std::wstring& text);
// "" when the file cannot be read.
std::string ReadFileBytes(const std::wstring& path);

}  // namespace testenv
