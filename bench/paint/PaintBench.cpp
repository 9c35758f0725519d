// Paints a control tree of the launcher's kind (background image, nine-grid
// title bar, alpha button image, texts, a progress-like fill with a border)
// three ways, each timed against a bare GDI floor in the same run:
// - into a 32-bit DIB, frame after frame (render only), against a fill and
//   blit of the same size;
// - as full WM_PAINTs of a real window through the paint manager's
//   off-screen buffer, and of a layered window, against a window whose
//   WM_PAINT fills and blits from a memory bitmap; the layered one also
//   against a bare UpdateLayeredWindow of a filled bitmap of its size.
// Images and parsed image strings come from the caches after the first
// frame, which is not timed. Then lays out and paints the launcher's own
// window tree (its skin, resource 117, built as the window builds it) the
// way the window's layout pass does: one placement of the root re-lays out
// every control.
// Usage: paint_bench.exe [width] [height] [frames]
#include "ContainerUI.h"
#include "ControlUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "UiRender.h"

#include <algorithm>
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

// The window's root: paints its children, which keep the places they were
// given.
class BenchRoot : public CControlUI {
public:
    ~BenchRoot() override {
        for (CControlUI* child : children) {
            delete child;
        }
    }
    void Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) override {
        CControlUI::Attach(manager, parent, initialize);
        for (CControlUI* child : children) {
            child->Attach(manager, this, initialize);
        }
    }
    void Paint(HDC dc, const RECT& paintRect) override {
        CControlUI::Paint(dc, paintRect);
        for (CControlUI* child : children) {
            child->Paint(dc, paintRect);
        }
    }

    std::vector<CControlUI*> children;  // owned
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

template <typename Step>
double MillisecondsPerFrame(int frames, Step step) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < frames; ++i) {
        step();
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1000.0 / frames;
}

// Times two steps in alternating batches and keeps each one's best batch, so
// that load from other processes weighs on both sides alike.
struct SideBySide {
    double first = 1e30;
    double second = 1e30;
    double Ratio() const { return second > 0 ? first / second : 0.0; }
};

constexpr int kRounds = 10;

template <typename First, typename Second>
SideBySide Compare(int frames, First first, Second second) {
    first();
    second();
    SideBySide best;
    const int batch = frames / kRounds > 0 ? frames / kRounds : 1;
    for (int round = 0; round < kRounds; ++round) {
        best.first = std::min(best.first, MillisecondsPerFrame(batch, first));
        best.second = std::min(best.second, MillisecondsPerFrame(batch, second));
    }
    return best;
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

struct TreeEntry {
    const wchar_t* name;
    CControlUI* control;
};

// The launcher-like controls, placed for a window of this size.
std::vector<TreeEntry> MakeControls(int width, int height) {
    static wchar_t progressFill[64];
    swprintf(progressFill, 64, L"%d", (width - 80) * 58 / 100);
    std::vector<TreeEntry> tree;
    auto add = [&](const wchar_t* name, CControlUI* control, const wchar_t* attributes, RECT rect) {
        control->ApplyAttributeList(attributes);
        control->Place(rect);
        tree.push_back({name, control});
    };
    add(L"window colour", new CControlUI(), L"bkcolor=\"#FFF4F4F4\"", {0, 0, width, height});
    add(L"background image", new CControlUI(), L"bkimage=\"bench_background.png\"", {0, 32, width, height});
    add(L"nine-grid title bar", new CControlUI(), L"bkimage=\"file='bench_title.png' corner='6,6,6,6'\"",
        {0, 0, width, 32});
    add(L"alpha button image", new CControlUI(), L"bkimage=\"bench_close.png\"", {width - 26, 6, width - 6, 26});
    add(L"text", new BenchLabel(), L"text=\"\x6B63\x5728\x4E0B\x8F7D 58%\"", {40, height - 80, 400, height - 60});
    add(L"text", new BenchLabel(), L"text=\"12.5 MB/s\"", {width - 200, height - 80, width - 40, height - 60});
    add(L"text", new BenchLabel(), L"text=\"612.3 MB / 1.02 GB\"", {40, height - 36, 400, height - 16});
    add(L"progress track with border", new CControlUI(),
        L"bkcolor=\"#FFDDDDDD\" bordercolor=\"#FFBBBBBB\" bordersize=\"1\"", {40, height - 52, width - 40, height - 40});
    add(L"progress fill", new CControlUI(), L"bkcolor=\"#FF2B88D8\"",
        {40, height - 52, 40 + _wtoi(progressFill), height - 40});
    return tree;
}

// A top-level window whose messages go to a paint manager, or, for the
// floor, whose WM_PAINT fills and blits from a memory bitmap.
class BenchWindow {
public:
    BenchWindow(int width, int height, bool bare) : bare_(bare), floor_(width, height) {
        static const ATOM atom = [] {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = &BenchWindow::WindowProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"PaintBenchWindow";
            return RegisterClassW(&windowClass);
        }();
        (void)atom;
        window_ = CreateWindowExW(0, L"PaintBenchWindow", L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), this);
        brush_ = CreateSolidBrush(RGB(0xF4, 0xF4, 0xF4));
        manager_.Attach(window_, L"bench");
        manager_.SetDefaultFont(L"\x5FAE\x8F6F\x96C5\x9ED1", 12, FW_NORMAL, false, false);
    }
    ~BenchWindow() {
        DestroyWindow(window_);
        DeleteObject(brush_);
    }

    CPaintManagerUI& Manager() { return manager_; }
    void Show() {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
    // One whole-window WM_PAINT, sent at once.
    void PaintFrame() {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
        GdiFlush();
    }
    // The platform's part of a layered frame: fill a bitmap, update the window.
    void UpdateLayeredFrame(int width, int height) {
        RECT all = {0, 0, width, height};
        FillRect(floor_.dc, &all, brush_);
        GdiFlush();
        POINT position = {0, 0};
        SIZE size = {width, height};
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(window_, nullptr, &position, &size, floor_.dc, &source, 0, &blend, ULW_ALPHA);
    }
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<BenchWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        try {
            LRESULT result = 0;
            if (self != nullptr && self->window_ == window) {
                if (self->bare_ && message == WM_PAINT) {
                    self->PaintFloor();
                    return 0;
                }
                if (!self->bare_ && self->manager_.HandleWindowMessage(message, wParam, lParam, result)) {
                    return result;
                }
            }
        } catch (...) {
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void PaintFloor() {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        const RECT& area = paint.rcPaint;
        FillRect(floor_.dc, &area, brush_);
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, floor_.dc, area.left,
               area.top, SRCCOPY);
        EndPaint(window_, &paint);
    }

    bool bare_;
    Dib floor_;
    CPaintManagerUI manager_;
    HWND window_ = nullptr;   // owned
    HBRUSH brush_ = nullptr;  // owned
};

// A window painting the tree through its manager; the manager owns the root.
std::unique_ptr<BenchWindow> MakeTreeWindow(int width, int height, bool layered) {
    std::unique_ptr<BenchWindow> window(new BenchWindow(width, height, false));
    auto* root = new BenchRoot();
    for (const TreeEntry& entry : MakeControls(width, height)) {
        root->children.push_back(entry.control);
    }
    if (layered) {
        window->Manager().SetLayered(true);
    }
    window->Manager().AttachRoot(root);
    window->Show();
    return window;
}

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

    // Render only: the controls painted one after the other into a DIB.
    CPaintManagerUI manager;
    manager.SetDefaultFont(L"\x5FAE\x8F6F\x96C5\x9ED1", 12, FW_NORMAL, false, false);
    std::vector<TreeEntry> tree = MakeControls(width, height);
    for (TreeEntry& entry : tree) {
        entry.control->Attach(&manager, nullptr, false);
    }
    Dib target(width, height);
    Dib source(width, height);
    const RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(RGB(0xF4, 0xF4, 0xF4));
    FillRect(source.dc, &all, brush);
    const SideBySide render = Compare(
        frames,
        [&] {
            for (TreeEntry& entry : tree) {
                entry.control->Paint(target.dc, all);
            }
            GdiFlush();
        },
        [&] {
            FillRect(target.dc, &all, brush);
            BitBlt(target.dc, 0, 0, width, height, source.dc, 0, 0, SRCCOPY);
            GdiFlush();
        });
    DeleteObject(brush);
    // Each control on its own, to show where a frame's time goes.
    std::vector<double> step_ms;
    for (TreeEntry& entry : tree) {
        const auto paint = [&] {
            entry.control->Paint(target.dc, all);
            GdiFlush();
        };
        step_ms.push_back(Compare(frames, paint, paint).first);
    }
    for (TreeEntry& entry : tree) {
        delete entry.control;
    }

    // Whole WM_PAINTs of real windows, each against the bare window.
    BenchWindow bare(width, height, true);
    bare.Show();
    std::unique_ptr<BenchWindow> offscreen = MakeTreeWindow(width, height, false);
    std::unique_ptr<BenchWindow> layered = MakeTreeWindow(width, height, true);
    BenchWindow bareLayered(width, height, true);
    SetWindowLongPtrW(bareLayered.Handle(), GWL_EXSTYLE,
                      GetWindowLongPtrW(bareLayered.Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    bareLayered.UpdateLayeredFrame(width, height);
    ShowWindow(bareLayered.Handle(), SW_SHOWNOACTIVATE);
    const SideBySide window =
        Compare(frames, [&] { offscreen->PaintFrame(); }, [&] { bare.PaintFrame(); });
    const SideBySide layeredWindow =
        Compare(frames, [&] { layered->PaintFrame(); }, [&] { bare.PaintFrame(); });
    const SideBySide layeredUpdate = Compare(
        frames, [&] { layered->PaintFrame(); }, [&] { bareLayered.UpdateLayeredFrame(width, height); });
    const bool layeredPainted = layered->Manager().IsLayered();

    // The launcher's tree needs a window: its auto-width title measures its
    // text with the window's device context.
    HWND treeWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    double layout_ms = 0;
    double launcher_paint_ms = 0;
    int launcher_controls = 0;
    {
        CPaintManagerUI launcherManager;
        launcherManager.Attach(treeWindow, L"launcher");
        CLayoutBuilder builder;
        std::unique_ptr<CControlUI> root(builder.Build(MAKEINTRESOURCEW(117), L"xml", nullptr, &launcherManager));
        if (!root) {
            fwprintf(stderr, L"the launcher's skin did not build\n");
            return 1;
        }
        root->FindBy([](CControlUI*, void* count) -> CControlUI* {
            ++*static_cast<int*>(count);
            return nullptr;
        }, &launcher_controls, 0);
        // Layout against paint of the same tree, side by side.
        const SideBySide launcher = Compare(
            frames * 10, [&] { root->Place(all); },
            [&] {
                root->Paint(target.dc, all);
                GdiFlush();
            });
        layout_ms = launcher.first;
        launcher_paint_ms = launcher.second;
    }
    DestroyWindow(treeWindow);

    wprintf(L"size: %d x %d, %d frames, %d controls\n", width, height, frames, static_cast<int>(tree.size()));
    for (size_t i = 0; i < tree.size(); ++i) {
        wprintf(L"  control %d (%ls): %.3f ms\n", static_cast<int>(i), tree[i].name, step_ms[i]);
    }
    wprintf(L"(best of %d alternating batches per side)\n", kRounds);
    wprintf(L"control tree: %.3f ms per frame\n", render.first);
    wprintf(L"bare GDI fill and blit: %.3f ms per frame\n", render.second);
    wprintf(L"ratio tree / floor: %.2f\n", render.Ratio());
    wprintf(L"window WM_PAINT through the off-screen buffer: %.3f ms per frame\n", window.first);
    wprintf(L"bare window WM_PAINT (fill and blit): %.3f ms per frame\n", window.second);
    wprintf(L"ratio off-screen WM_PAINT / bare WM_PAINT: %.2f\n", window.Ratio());
    wprintf(L"layered window WM_PAINT%ls: %.3f ms per frame\n", layeredPainted ? L"" : L" (not layered here)",
            layeredWindow.first);
    wprintf(L"bare window WM_PAINT (fill and blit): %.3f ms per frame\n", layeredWindow.second);
    wprintf(L"ratio layered WM_PAINT / bare WM_PAINT: %.2f\n", layeredWindow.Ratio());
    wprintf(L"layered window WM_PAINT: %.3f ms per frame\n", layeredUpdate.first);
    wprintf(L"bare layered update (fill and UpdateLayeredWindow): %.3f ms per frame\n", layeredUpdate.second);
    wprintf(L"ratio layered WM_PAINT / bare layered update: %.2f\n", layeredUpdate.Ratio());
    wprintf(L"launcher window tree (%d controls): layout %.4f ms per placement of the root, paint %.3f ms per frame\n",
            launcher_controls, layout_ms, launcher_paint_ms);
    wprintf(L"ratio launcher layout / launcher paint: %.3f\n",
            launcher_paint_ms > 0 ? layout_ms / launcher_paint_ms : 0.0);
    wprintf(L"ratio launcher layout / floor: %.3f\n", render.second > 0 ? layout_ms / render.second : 0.0);
    return 0;
}
