// The skin-zip branch of the markup loader; built only together with the
// archive reader library.
#include "UiMarkup.h"

#include "UiPlatform.h"
#include "UiResourceLocation.h"
#include "ZipArchive.h"

#include <memory>
#include <string>
#include <vector>

namespace Orvel {

namespace {

// An archive opened for one load is closed on every way out of it.
class ScopedZipArchive {
public:
    ScopedZipArchive() = default;
    ~ScopedZipArchive() {
        if (archive_) {
            archive_->Close();
        }
    }
    ScopedZipArchive(const ScopedZipArchive&) = delete;
    ScopedZipArchive& operator=(const ScopedZipArchive&) = delete;

    ZipArchive* Open(const std::wstring& path) {
        archive_.reset(new ZipArchive());
        if (!archive_->Open(path)) {
            archive_.reset();
        }
        return archive_.get();
    }

private:
    std::unique_ptr<ZipArchive> archive_;  // owned
};

std::string Narrow(const wchar_t* text, UINT codePage) {
    int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &result[0], bytes, nullptr, nullptr);
    result.resize(static_cast<size_t>(bytes) - 1);
    return result;
}

// Entry names are UTF-8 in archives that flag them so and the ANSI code
// page in those written by older Windows tools; both are tried.
int FindEntry(const ZipArchive& archive, const wchar_t* name) {
    int index = archive.FindEntry(Narrow(name, CP_UTF8), true);
    if (index < 0) {
        std::string ansi = Narrow(name, CP_ACP);
        if (!ansi.empty() && ansi != Narrow(name, CP_UTF8)) {
            index = archive.FindEntry(ansi, true);
        }
    }
    return index;
}

}  // namespace

bool CUiMarkup::LoadFromZip(const wchar_t* name, MarkupEncoding encoding) {
    try {
        ScopedZipArchive opened;
        ZipArchive* archive = UiResourceLocation::SharedZip();
        if (archive == nullptr) {
            CUiString path = UiResourceLocation::ResourcePath() + UiResourceLocation::ResourceZip();
            archive = opened.Open(path.Data());
            if (archive == nullptr) {
                return Failed(L"Error opening zip file");
            }
        }
        int index = FindEntry(*archive, name);
        if (index < 0) {
            return Failed(L"Could not find ziped file");
        }
        uint64_t size = archive->UncompressedSize(index);
        if (size == 0) {
            return Failed(L"File is empty");
        }
        if (size > kMaxFileSize) {
            return Failed(L"File too large");
        }
        std::vector<unsigned char> block;
        if (!archive->ExtractToMemory(index, block)) {
            return Failed(L"Could not unzip file");
        }
        // The archive's own size field is not trusted.
        if (block.size() > kMaxFileSize) {
            return Failed(L"File too large");
        }
        return LoadFromMemory(block.data(), block.size(), encoding);
    } catch (...) {
        return Failed(L"Could not unzip file");
    }
}

}  // namespace Orvel
