#include "FileEntry.h"

#include "Paths.h"

// Wine marks a Unix link to a folder with the attribute alone, without a tag.
bool QueryEntryKind(HANDLE handle, EntryKind& kind) {
    FILE_ATTRIBUTE_TAG_INFO info = {};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof(info))) {
        return false;
    }
    kind.folder = (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    kind.link = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                (info.ReparseTag == 0 || IsReparseTagNameSurrogate(info.ReparseTag));
    return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool NamesItself(HANDLE handle, const std::wstring& expected) {
    return expected.empty() || SamePath(FinalPath(handle), expected);
}
