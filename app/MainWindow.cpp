#include "MainWindow.h"

#include "ContainerUI.h"
#include "LabelUI.h"
#include "LayoutBuilder.h"
#include "Paths.h"
#include "ProgressUI.h"
#include "TextHelpers.h"
#include "TraceLogger.h"
#include "UiDpiScale.h"
#include "UiEvent.h"
#include "WindowMessages.h"

#include <exception>
#include <string>

using namespace Orvel;

namespace {

const UINT kSkinResource = 117;
const UINT kIconResource = 112;
const wchar_t kSkinType[] = L"xml";

const wchar_t kCloseButton[] = L"btn_wnd_close";
const wchar_t kMinimizeButton[] = L"btn_wnd_min";
const wchar_t kProgress[] = L"progress";
const wchar_t kStageText[] = L"current_progress_text";
const wchar_t kStageLayout[] = L"current_progress_layout";
const wchar_t kPercentText[] = L"current_progress_value";
const wchar_t kBackgroundLayout[] = L"background_layout";

const wchar_t kStageDownloading[] = L"下载进度:";
const wchar_t kStageUnpacking[] = L"正在解压:";
const wchar_t kStageUpdating[] = L"正在更新:";
// Stands out from the greys of the other texts on the window's dark colour.
const DWORD kFailureTextColor = 0xFFF25C54;
// Fixed text: logging a failed allocation must not allocate.
const wchar_t kProcessMessageFunction[] = L"CMainWindow::ProcessMessage";

const wchar_t* TextArgument(WPARAM wParam) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(wParam);
    return text != nullptr ? text : L"";
}

}  // namespace

CMainWindow::~CMainWindow() = default;

const wchar_t* CMainWindow::WindowClass() const {
    return L"DemoClass";
}

CUiString CMainWindow::SkinFile() const {
    return CUiString();
}

CUiString CMainWindow::ResourceFolder() const {
    return CUiString();
}

CControlUI* CMainWindow::Control(const wchar_t* name) {
    return PaintManager().ControlByName(name);
}

void CMainWindow::SetProgressValue(int value) {
    CControlUI* control = Control(kProgress);
    if (CProgressUI* progress = control != nullptr ? static_cast<CProgressUI*>(control->CastTo(L"Progress")) : nullptr) {
        progress->SetValue(value);
    }
}

void CMainWindow::SetControlText(const wchar_t* name, const wchar_t* text) {
    if (CControlUI* control = Control(name)) {
        control->SetText(text);
    }
}

LRESULT CMainWindow::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return RouteMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kProcessMessageFunction, TRACE_LEVEL_ERROR, L"message %u failed: %hs", message, error.what());
    } catch (...) {
        TRACE_LOG_AS(kProcessMessageFunction, TRACE_LEVEL_ERROR, L"message %u failed: unknown exception", message);
    }
    return 0;
}

LRESULT CMainWindow::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(message, wParam, lParam);
    case WM_SHOWWINDOW:
        OnShowRequest(wParam);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        break;
    default:
        HandleGameMessage(message, wParam);
        break;
    }
    LRESULT result = 0;
    if (PaintManager().HandleWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    return WindowImplBase::ProcessMessage(message, wParam, lParam);
}

LRESULT CMainWindow::OnCreate(UINT message, WPARAM wParam, LPARAM lParam) {
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);

    CPaintManagerUI& manager = PaintManager();
    manager.Attach(Handle(), nullptr);
    CLayoutBuilder builder;
    CControlUI* root = builder.Build(MAKEINTRESOURCEW(kSkinResource), kSkinType, nullptr, &manager, nullptr);
    manager.AttachRoot(root);
    manager.AddNotifier(this);
    manager.ApplyScale(CUiDpiScale::DpiAtPoint(1, 1));
    return WindowImplBase::ProcessMessage(message, wParam, lParam);
}

LRESULT CMainWindow::MsgCreate(UINT, WPARAM, LPARAM, bool& handled) {
    SetIconResource(kIconResource);
    handled = true;
    return 0;
}

LRESULT CMainWindow::MsgDpiChanged(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
    PaintManager().ApplyScale(LOWORD(wParam));
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    // A maximized window stays maximized; the system places it on the new monitor.
    if (suggested != nullptr && !IsZoomed(Handle())) {
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    handled = true;
    return 0;
}

void CMainWindow::OnShowRequest(WPARAM wParam) {
    // The system tells of every show and hide with this message too, from
    // inside ShowWindow: showing again from there would recurse.
    if (wParam == 0 && !IsWindowVisible(Handle())) {
        ShowWindow(Handle(), SW_SHOW);
    }
}

void CMainWindow::OnKeyDown(WPARAM key) {
    const wchar_t* name = nullptr;
    if (key == VK_RETURN) {
        name = L"install_btn";
    } else if (key == VK_ESCAPE) {
        name = L"close_btn";
    }
    CControlUI* button = name != nullptr ? Control(name) : nullptr;
    if (button == nullptr || !button->IsEnabled() || (key == VK_ESCAPE && !button->IsVisible())) {
        return;
    }
    PaintManager().SendNotify(button, L"click", 0, 0, false);
}

bool CMainWindow::HandleGameMessage(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_GAME_PROGRESS:
        SetProgress(static_cast<unsigned>(wParam));
        return true;
    case WM_GAME_BACKGROUND:
        SetBackground(TextArgument(wParam));
        return true;
    case WM_GAME_UNZIP_DONE:
        SetUnzipFinished();
        return true;
    case WM_GAME_SPEED:
        SetSpeedText(TextArgument(wParam));
        return true;
    case WM_GAME_CURRENT_SIZE:
        SetCurrentSizeText(TextArgument(wParam));
        return true;
    case WM_GAME_TOTAL_SIZE:
        SetTotalSizeText(TextArgument(wParam));
        return true;
    case WM_GAME_INSTALL_FAILED:
        SetInstallFailed(TextArgument(wParam));
        return true;
    case WM_GAME_UPDATING:
        SetUpdating();
        return true;
    default:
        return false;
    }
}

void CMainWindow::OnClickNotify(UiNotify& notify) {
    if (notify.sender == nullptr) {
        return;
    }
    const CUiString& name = notify.sender->Name();
    if (name == kCloseButton) {
        if (closable) {
            CloseWindow(1);
        }
    } else if (name == kMinimizeButton) {
        ShowWindow(Handle(), SW_MINIMIZE);
    }
}

void CMainWindow::CloseWindow(UINT result) {
    Close(result);
}

LRESULT CMainWindow::MsgClose(UINT, WPARAM, LPARAM, bool& handled) {
    TRACE_LOG(TRACE_LEVEL_INFORMATION, L"=====Receive WM_CLOSE==========");
    // Nothing is flushed or joined: the download, the install thread and any
    // open file end with the process.
    TerminateProcess(GetCurrentProcess(), 0);
    handled = true;
    return 0;
}

LRESULT CMainWindow::MsgSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE && !closable) {
        handled = true;
        return 0;
    }
    return WindowImplBase::MsgSysCommand(message, wParam, lParam, handled);
}

void CMainWindow::SetProgress(unsigned percent) {
    const unsigned shown = percent < 99 ? percent : 99;
    SetProgressValue(static_cast<int>(shown));
    const wchar_t* stage = updating ? kStageUpdating : kStageDownloading;
    if (percent >= 100 && !updating) {
        stage = kStageUnpacking;
        closable = false;
        if (CControlUI* close = Control(kCloseButton)) {
            close->SetEnabled(false);
        }
    }
    wchar_t percentText[5] = {};
    FormatWide(percentText, 5, L"%d%%", static_cast<int>(shown));
    SetControlText(kStageText, stage);
    SetControlText(kPercentText, percentText);
}

void CMainWindow::SetUnzipFinished() {
    closable = true;
    SetProgressValue(100);
    wchar_t percentText[5] = {};
    FormatWide(percentText, 5, L"%d%%", 100);
    SetControlText(kPercentText, percentText);
    if (CControlUI* close = Control(kCloseButton)) {
        close->SetEnabled(true);
    }
}

void CMainWindow::SetUpdating() {
    updating = true;
    SetControlText(kStageText, kStageUpdating);
}

void CMainWindow::SetSpeedText(const wchar_t* text) {
    SetControlText(L"current_speed", *text != L'\0' ? text : L"0KB/s");
}

void CMainWindow::SetCurrentSizeText(const wchar_t* text) {
    SetControlText(L"current_size", *text != L'\0' ? text : L"0MB");
}

void CMainWindow::SetTotalSizeText(const wchar_t* text) {
    SetControlText(L"total_size", *text != L'\0' ? text : L"0MB");
}

void CMainWindow::SetBackground(const wchar_t* path) {
    const std::wstring requested(path);
    if (requested.empty()) {
        return;
    }
    CControlUI* layout = Control(kBackgroundLayout);
    if (layout == nullptr) {
        return;
    }
    // A quote would end the file name early and name another file; such a
    // path is treated like a missing one.
    std::wstring file = PathExists(requested) ? requested : std::wstring();
    if (file.find(L'\'') != std::wstring::npos) {
        TRACE_LOG(TRACE_LEVEL_WARNING, L"background path cannot be shown! path:%s", file.c_str());
        file.clear();
    }
    wchar_t image[256] = {};
    if (FormatWide(image, 256, L"file='%s' fade='255'", file.c_str()) < 0) {
        // Cut short, the path could name another file: nothing is shown instead.
        TRACE_LOG(TRACE_LEVEL_WARNING, L"background path too long! path:%s", file.c_str());
        FormatWide(image, 256, L"file='' fade='255'");
    }
    layout->SetBackImage(image);
}

void CMainWindow::SetInstallFailed(const wchar_t* reason) {
    closable = true;
    if (CControlUI* close = Control(kCloseButton)) {
        close->SetEnabled(true);
    }
    CControlUI* stage = Control(kStageText);
    if (stage == nullptr) {
        return;
    }
    stage->SetText(reason);
    if (CLabelUI* label = static_cast<CLabelUI*>(stage->CastTo(L"Label"))) {
        label->SetTextColor(kFailureTextColor);
    }
    // The reason is longer than the stage label's narrow room: the label's
    // row takes the free space between it and the speed text as well.
    CControlUI* layout = Control(kStageLayout);
    CControlUI* row = layout != nullptr ? layout->Parent() : nullptr;
    IContainerUI* items = row != nullptr ? static_cast<IContainerUI*>(row->CastTo(L"IContainer")) : nullptr;
    if (items == nullptr) {
        return;
    }
    const int index = items->IndexOf(layout);
    CControlUI* spacer = index > 0 ? items->ItemAt(index - 1) : nullptr;
    if (spacer == nullptr || !spacer->Name().IsEmpty() || spacer->FixedWidth() != 0) {
        return;
    }
    spacer->SetVisible(false);
    layout->SetFixedWidth(0);
}
