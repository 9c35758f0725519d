#include "UiResourceLocation.h"

namespace Orvel {

UiResourceLocation::State& UiResourceLocation::Get() {
    static State state;
    return state;
}

const CUiString& UiResourceLocation::ResourcePath() {
    return Get().path;
}

void UiResourceLocation::SetResourcePath(const wchar_t* path) {
    Get().path = path;
}

const CUiString& UiResourceLocation::ResourceZip() {
    return Get().zip;
}

void UiResourceLocation::SetResourceZip(const wchar_t* name) {
    Get().zip = name;
}

ZipArchive* UiResourceLocation::SharedZip() {
    return Get().sharedZip;
}

void UiResourceLocation::SetSharedZip(ZipArchive* archive) {
    Get().sharedZip = archive;
}

}  // namespace Orvel
