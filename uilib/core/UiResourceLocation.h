#pragma once
#include "UiString.h"

class ZipArchive;

namespace Orvel {

// Where skin files are looked up: a directory prefix, an optional skin zip
// below it and an optional archive kept open for the whole process. The
// paint manager's process-wide resource settings are these values.
class UiResourceLocation {
public:
    // Prefix put before every file name as it stands; empty by default, so
    // names are relative to the current folder.
    static const CUiString& ResourcePath();
    static void SetResourcePath(const wchar_t* path);
    // Empty: no zip, files are read from the resource path.
    static const CUiString& ResourceZip();
    static void SetResourceZip(const wchar_t* name);
    // An open archive shared by all loads (not owned); null when none.
    static ZipArchive* SharedZip();
    static void SetSharedZip(ZipArchive* archive);

private:
    struct State {
        CUiString path;
        CUiString zip;
        ZipArchive* sharedZip = nullptr;  // not owned
    };
    static State& Get();
};

}  // namespace Orvel
