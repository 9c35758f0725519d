// The launcher's compiled resources (resources/launcher.rc), linked into this
// test binary as into the launcher: found the way the window and the render
// engine look them up, and in effect where the platform reads them.
#include "LauncherVersion.h"
#include "SkinTree.h"

#include "TestEnv.h"

#include <commctrl.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace {

std::string ResourceBytes(const wchar_t* type, int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) {
        return std::string();
    }
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(module, found));
}

std::string SourceFile(const std::wstring& relative) {
    return testenv::ReadFileBytes(testenv::SourceDir() + L"\\resources\\" + relative);
}

uint32_t BigEndian32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

struct ImageResource {
    int id;
    const wchar_t* file;
    uint32_t width;  // what the skin draws it into at 96 DPI
    uint32_t height;
};

// Buttons are 30 x 30, the header 720 x 80 and the picture area 720 x 412;
// the progress images are 14 high like the bar and stretch sideways.
const ImageResource kImages[] = {
    {120, L"images\\close_normal.png", 30, 30},   {121, L"images\\close_hot.png", 30, 30},
    {122, L"images\\header.png", 720, 80},        {123, L"images\\background.png", 720, 412},
    {124, L"images\\minimise_normal.png", 30, 30}, {125, L"images\\minimise_hot.png", 30, 30},
    {126, L"images\\progress_track.png", 40, 14}, {127, L"images\\progress_fill.png", 40, 14},
    {128, L"images\\logo.png", 86, 20},
};

}  // namespace

TEST(LauncherResourcesTest, SkinIsResource117OfTypeXml) {
    const std::string skin = ResourceBytes(L"xml", 117);
    ASSERT_FALSE(skin.empty());
    EXPECT_EQ(SourceFile(L"skin.xml"), skin);
    // Type names are matched without regard to case.
    EXPECT_EQ(skin, ResourceBytes(L"XML", 117));
    skintest::SkinTree tree;
    EXPECT_TRUE(tree.Load(skin)) << tree.Error();
}

TEST(LauncherResourcesTest, ImagesArePngResourcesOfTheirSizes) {
    for (const ImageResource& image : kImages) {
        SCOPED_TRACE(image.id);
        const std::string png = ResourceBytes(L"png", image.id);
        ASSERT_GE(png.size(), 24u);
        EXPECT_EQ(SourceFile(image.file), png);
        EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), png.substr(0, 8));
        EXPECT_EQ("IHDR", png.substr(12, 4));
        EXPECT_EQ(image.width, BigEndian32(png, 16));
        EXPECT_EQ(image.height, BigEndian32(png, 20));
    }
    EXPECT_TRUE(ResourceBytes(L"png", 119).empty());
    EXPECT_TRUE(ResourceBytes(L"png", 129).empty());
}

TEST(LauncherResourcesTest, EveryImageTheSkinNamesIsAResource) {
    skintest::SkinTree tree;
    ASSERT_TRUE(tree.Load(ResourceBytes(L"xml", 117)));
    int images = 0;
    for (int index : tree.Descendants(tree.Root())) {
        for (const auto& [name, value] : tree.Node(index).attributes) {
            std::map<std::wstring, std::wstring> pairs;
            if (name.find(L"image") == std::wstring::npos || !skintest::ImagePairs(value, pairs)) {
                continue;
            }
            ++images;
            EXPECT_FALSE(ResourceBytes(pairs[L"restype"].c_str(), _wtoi(pairs[L"res"].c_str())).empty()) << value;
        }
    }
    EXPECT_GE(images, 11);
}

TEST(LauncherResourcesTest, IconLoadsInBothSizes) {
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(112), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth);
        EXPECT_EQ(32, bitmap.bmBitsPixel);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(LauncherResourcesTest, ManifestAsksForWhatTheLauncherNeeds) {
    const std::string manifest = ResourceBytes(MAKEINTRESOURCEW(24), 1);
    ASSERT_FALSE(manifest.empty());
    for (const char* needed : {"Microsoft.Windows.Common-Controls", "level=\"asInvoker\"",
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", ">true/pm<", "PerMonitorV2"}) {
        EXPECT_NE(std::string::npos, manifest.find(needed)) << needed;
    }
    // The configuration and stat texts are read in the system's ANSI code page.
    EXPECT_EQ(std::string::npos, manifest.find("activeCodePage"));
}

TEST(LauncherResourcesTest, ManifestTakesEffect) {
    // Common controls 6: the process's activation context redirects comctl32.
    ACTCTX_SECTION_KEYED_DATA redirect = {};
    redirect.cbSize = sizeof(redirect);
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                         &redirect));

    // The system's manifest reader takes in the supported systems, Windows 10
    // and 11 among them.
    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = GetModuleHandleW(nullptr);
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(INVALID_HANDLE_VALUE, context) << GetLastError();
    std::string buffer(4096, '\0');
    SIZE_T written = 0;
    const BOOL queried = QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, &buffer[0],
                                      buffer.size(), &written);
    ReleaseActCtx(context);
    ASSERT_TRUE(queried) << GetLastError();
    // Elements are GUID and type, and on newer systems a tested-version field
    // besides (Wine has it too): the size tells which.
    DWORD count = 0;
    memcpy(&count, buffer.data(), sizeof(count));
    ASSERT_GT(count, 0u);
    const size_t modern = 8 + 32 * static_cast<size_t>(count);
    const size_t offset = written == modern ? 8 : 4;
    const size_t stride = written == modern ? 32 : 20;
    const GUID kWindows10 = {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};
    int supported = 0;
    bool windows10 = false;
    for (DWORD i = 0; i < count; ++i) {
        GUID id;
        DWORD type = 0;
        memcpy(&id, buffer.data() + offset + i * stride, sizeof(id));
        memcpy(&type, buffer.data() + offset + i * stride + sizeof(id), sizeof(type));
        if (type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) {
            ++supported;
            windows10 = windows10 || IsEqualGUID(id, kWindows10);
        }
    }
    EXPECT_EQ(4, supported);
    EXPECT_TRUE(windows10);

    // Per-monitor DPI awareness, which the framework's scaling expects.
    EXPECT_TRUE(IsProcessDPIAware());
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto threadContext = reinterpret_cast<HANDLE(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awarenessOf = reinterpret_cast<int(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (threadContext != nullptr && awarenessOf != nullptr) {
        const int kPerMonitorAware = 2;
        EXPECT_EQ(kPerMonitorAware, awarenessOf(threadContext()));
    }
}

TEST(LauncherResourcesTest, VersionInformationNamesTheProduct) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, &block[0]));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(LAUNCHER_VERSION_MINOR, LAUNCHER_VERSION_MAJOR)), fixed->dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, LAUNCHER_VERSION_PATCH)), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    const std::map<std::wstring, std::wstring> expected = {
        {L"ProductName", L"Korva游戏下载器"},
        {L"FileDescription", L"Korva游戏下载器"},
        {L"OriginalFilename", L"KorvaLauncher.exe"},
        {L"FileVersion", L"" LAUNCHER_VERSION_TEXT},
        {L"ProductVersion", L"" LAUNCHER_VERSION_TEXT},
    };
    for (const auto& [key, value] : expected) {
        wchar_t* text = nullptr;
        const std::wstring query = L"\\StringFileInfo\\080404B0\\" + key;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << key;
        EXPECT_EQ(value, std::wstring(text)) << key;
    }
}
