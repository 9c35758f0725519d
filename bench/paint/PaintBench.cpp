// Paints a control tree of the launcher's kind (background image, nine-grid
// title bar, alpha button image, texts, a progress-like fill with a border)
// into a 32-bit DIB frame after frame, and times a bare GDI fill and blit of
// the same size in the same run. Images and parsed image strings come from
// the caches after the first frame, which is not timed. Then lays out and
// paints the launcher's own window tree (layouts, labels, buttons, progress;
// tests/support/LauncherTree) the way the window's layout pass does: one
// placement of the root re-lays out every control.
// Usage: paint_bench.exe [width] [height] [frames]
#include "ContainerUI.h"
#include "ControlUI.h"
#include "LauncherTree.h"
#include "PaintManagerUI.h"
#include "UiRender.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

using namespace Orvel;

namespace {

// What a label adds to the base: its text.
class BenchLabel : public CControlUI {
public:
    void DrawTextContent(HDC dc) override {
        RECT rect = itemRect_;
        CUiRender::PaintText(dc, manager_, rect, text_, 0xFF333333, -1, DT_SINGLELINE | DT_VCENTER);
    }
};

bool WritePng(const char* path, int width, int height, bool alpha, int seed) {
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<unsigned char>((x * 3 + seed) & 0xFF);
            p[1] = static_cast<unsigned char>((y * 5 + seed) & 0xFF);
            p[2] = static_cast<unsigned char>((x + y) & 0xFF);
            p[3] = alpha ? static_cast<unsigned char>(((x + y) * 9) & 0xFF) : 255;
        }
    }
    return stbi_write_png(path, width, height, 4, rgba.data(), width * 4) != 0;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Dib {
    Dib(int width, int height) : dc(CreateCompatibleDC(nullptr)) {
        bitmap = CUiRender::CreateArgbBitmap(dc, width, -height, nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int width = argc > 1 ? _wtoi(argv[1]) : 720;
    const int height = argc > 2 ? _wtoi(argv[2]) : 496;
    const int frames = argc > 3 ? _wtoi(argv[3]) : 300;
    if (width < 200 || height < 120 || frames < 1) {
        fwprintf(stderr, L"usage: paint_bench.exe [width >= 200] [height >= 120] [frames]\n");
        return 2;
    }
    if (!WritePng("bench_background.png", width, height - 32, false, 1) ||
        !WritePng("bench_title.png", 24, 32, false, 2) || !WritePng("bench_close.png", 20, 20, true, 3)) {
        fwprintf(stderr, L"cannot write the bench images in the current folder\n");
        return 1;
    }

    CPaintManagerUI manager;
    manager.SetDefaultFont(L"\x5FAE\x8F6F\x96C5\x9ED1", 12, FW_NORMAL, false, false);
    std::vector<std::unique_ptr<CControlUI>> tree;
    std::vector<const wchar_t*> names;
    auto add = [&](const wchar_t* name, CControlUI* control, const wchar_t* attributes, RECT rect) {
        names.push_back(name);
        control->Attach(&manager, nullptr, false);
        control->ApplyAttributeList(attributes);
        control->Place(rect);
        tree.emplace_back(control);
    };
    wchar_t progressPos[64];
    swprintf(progressPos, 64, L"%d", (width - 80) * 58 / 100);
    add(L"window colour", new CControlUI(), L"bkcolor=\"#FFF4F4F4\"", {0, 0, width, height});
    add(L"background image", new CControlUI(), L"bkimage=\"bench_background.png\"", {0, 32, width, height});
    add(L"nine-grid title bar", new CControlUI(), L"bkimage=\"file='bench_title.png' corner='6,6,6,6'\"", {0, 0, width, 32});
    add(L"alpha button image", new CControlUI(), L"bkimage=\"bench_close.png\"", {width - 26, 6, width - 6, 26});
    add(L"text", new BenchLabel(), L"text=\"\x6B63\x5728\x4E0B\x8F7D 58%\"", {40, height - 80, 400, height - 60});
    add(L"text", new BenchLabel(), L"text=\"12.5 MB/s\"", {width - 200, height - 80, width - 40, height - 60});
    add(L"text", new BenchLabel(), L"text=\"612.3 MB / 1.02 GB\"", {40, height - 36, 400, height - 16});
    add(L"progress track with border", new CControlUI(), L"bkcolor=\"#FFDDDDDD\" bordercolor=\"#FFBBBBBB\" bordersize=\"1\"",
        {40, height - 52, width - 40, height - 40});
    add(L"progress fill", new CControlUI(), L"bkcolor=\"#FF2B88D8\"", {40, height - 52, 40 + _wtoi(progressPos), height - 40});

    Dib target(width, height);
    Dib source(width, height);
    const RECT all = {0, 0, width, height};
    auto paintTree = [&] {
        for (auto& control : tree) {
            control->Paint(target.dc, all);
        }
        GdiFlush();
    };
    paintTree();
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < frames; ++i) {
        paintTree();
    }
    QueryPerformanceCounter(&end);
    const double tree_ms = Seconds(start, end) * 1000.0 / frames;
    // Each control on its own, to show where a frame's time goes.
    std::vector<double> step_ms;
    for (auto& control : tree) {
        QueryPerformanceCounter(&start);
        for (int i = 0; i < frames; ++i) {
            control->Paint(target.dc, all);
        }
        GdiFlush();
        QueryPerformanceCounter(&end);
        step_ms.push_back(Seconds(start, end) * 1000.0 / frames);
    }

    HBRUSH brush = CreateSolidBrush(RGB(0xF4, 0xF4, 0xF4));
    FillRect(source.dc, &all, brush);
    auto fillAndBlit = [&] {
        FillRect(target.dc, &all, brush);
        BitBlt(target.dc, 0, 0, width, height, source.dc, 0, 0, SRCCOPY);
        GdiFlush();
    };
    fillAndBlit();
    QueryPerformanceCounter(&start);
    for (int i = 0; i < frames; ++i) {
        fillAndBlit();
    }
    QueryPerformanceCounter(&end);
    const double floor_ms = Seconds(start, end) * 1000.0 / frames;
    DeleteObject(brush);

    // The launcher's tree needs a window: its auto-width title measures its
    // text with the window's device context.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    double layout_ms = 0;
    double launcher_paint_ms = 0;
    int launcher_controls = 0;
    {
        CPaintManagerUI launcherManager;
        launcherManager.Attach(window, L"launcher");
        std::unique_ptr<CControlUI> root(BuildLauncherTree(launcherManager));
        root->FindBy([](CControlUI*, void* count) -> CControlUI* {
            ++*static_cast<int*>(count);
            return nullptr;
        }, &launcher_controls, 0);
        const int passes = frames * 10;
        root->Place(all);
        QueryPerformanceCounter(&start);
        for (int i = 0; i < passes; ++i) {
            root->Place(all);
        }
        QueryPerformanceCounter(&end);
        layout_ms = Seconds(start, end) * 1000.0 / passes;
        root->Paint(target.dc, all);
        GdiFlush();
        QueryPerformanceCounter(&start);
        for (int i = 0; i < frames; ++i) {
            root->Paint(target.dc, all);
        }
        GdiFlush();
        QueryPerformanceCounter(&end);
        launcher_paint_ms = Seconds(start, end) * 1000.0 / frames;
    }
    DestroyWindow(window);

    wprintf(L"size: %d x %d, %d frames, %d controls\n", width, height, frames, static_cast<int>(tree.size()));
    for (size_t i = 0; i < tree.size(); ++i) {
        wprintf(L"  control %d (%ls): %.3f ms\n", static_cast<int>(i), names[i], step_ms[i]);
    }
    wprintf(L"control tree: %.3f ms per frame\n", tree_ms);
    wprintf(L"bare GDI fill and blit: %.3f ms per frame\n", floor_ms);
    wprintf(L"ratio tree / floor: %.2f\n", floor_ms > 0 ? tree_ms / floor_ms : 0.0);
    wprintf(L"launcher window tree (%d controls): layout %.4f ms per placement of the root, paint %.3f ms per frame\n",
            launcher_controls, layout_ms, launcher_paint_ms);
    wprintf(L"ratio launcher layout / launcher paint: %.3f\n",
            launcher_paint_ms > 0 ? layout_ms / launcher_paint_ms : 0.0);
    wprintf(L"ratio launcher layout / floor: %.3f\n", floor_ms > 0 ? layout_ms / floor_ms : 0.0);
    return 0;
}
