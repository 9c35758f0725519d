#include "FileTree.h"

#include "TestEnv.h"

#include "Platform.h"

namespace testenv {
namespace {

void Walk(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, bool>& out) {
    std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out[path] = isFolder;
        if (isFolder) {
            Walk(root, path, out);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

std::map<std::wstring, bool> ListTree(const std::wstring& root) {
    std::map<std::wstring, bool> out;
    Walk(root, L"", out);
    return out;
}

std::map<std::wstring, std::string> ReadFileTree(const std::wstring& root) {
    std::map<std::wstring, std::string> files;
    for (const auto& item : ListTree(root)) {
        if (!item.second) {
            files[item.first] = ReadFileBytes(root + L"\\" + item.first);
        }
    }
    return files;
}

}  // namespace testenv
