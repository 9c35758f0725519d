#include "PaintManagerUI.h"

#include "ControlUI.h"
#include "PaintManagerShared.h"
#include "UiDynamicCalls.h"
#include "UiGdiPlus.h"
#include "UiInterfaces.h"

#include <initializer_list>

namespace Orvel {

struct CPaintManagerUI::QueuedNotify {
    CUiString type;
    CControlUI* sender;  // not owned; cleared when the sender is destroyed
    WPARAM wParam;
    LPARAM lParam;
    POINT mousePoint;
    DWORD timestamp;
};

CPaintManagerUI::CPaintManagerUI() {
    SharedResources& shared = Shared();
    disabledColor_ = shared.disabledColor;
    fontColor_ = shared.fontColor;
    linkColor_ = shared.linkColor;
    linkHoverColor_ = shared.linkHoverColor;
    selectedColor_ = shared.selectedColor;
    gdiplusToken_ = StartGdiPlus();
}

CPaintManagerUI::~CPaintManagerUI() {
    // Deleting controls reaches back into ForgetControl, so the tables they
    // are forgotten from go last.
    for (int i = 0; i < cleanupControls_.Count(); ++i) {
        delete static_cast<CControlUI*>(cleanupControls_.At(i));
    }
    cleanupControls_.Clear();
    for (int i = 0; i < queuedNotifies_.Count(); ++i) {
        delete static_cast<QueuedNotify*>(queuedNotifies_.At(i));
    }
    queuedNotifies_.Clear();
    StopAllTimers();
    controlNames_.Clear();
    ClearResourceTables();
    if (defaultFont_.font != nullptr) {
        DeleteObject(defaultFont_.font);
    }
    textFontScopes_ = 0;
    EndTextFontScope();
    if (paintDC_ != nullptr) {
        ReleaseDC(window_, paintDC_);
    }
    CUiPtrArray& managers = Shared().managers;
    int index = managers.Find(this);
    if (index >= 0) {
        managers.Remove(index);
    }
    ShutdownGdiPlus(gdiplusToken_);
}

void CPaintManagerUI::SetInstance(HINSTANCE instance) {
    Shared().instance = instance;
}

HINSTANCE CPaintManagerUI::Instance() {
    return Shared().instance;
}

void CPaintManagerUI::SetResourceInstance(HINSTANCE module) {
    Shared().resourceInstance = module;
}

HINSTANCE CPaintManagerUI::ResourceInstance() {
    SharedResources& shared = Shared();
    return shared.resourceInstance != nullptr ? shared.resourceInstance : shared.instance;
}

void CPaintManagerUI::Attach(HWND window, const wchar_t* name) {
    controlNames_.Clear();
    ClearResourceTables();
    name_ = name;
    if (window != window_) {
        if (paintDC_ != nullptr) {
            ReleaseDC(window_, paintDC_);
            paintDC_ = nullptr;
        }
        window_ = window;
        if (window_ != nullptr) {
            paintDC_ = GetDC(window_);
            CUiPtrArray& managers = Shared().managers;
            if (managers.Find(this) < 0) {
                managers.Add(this);
            }
        }
    }
}

CUiDpiScale& CPaintManagerUI::DpiScale() {
    if (!dpiScale_) {
        dpiScale_.reset(new CUiDpiScale());
    }
    return *dpiScale_;
}

void CPaintManagerUI::SetTextRenderingHint(int hint) {
    if (hint >= 0 && hint <= 5) {
        textRenderingHint_ = hint;
    }
}

void CPaintManagerUI::InvalidateArea(const RECT& rect) {
    RECT area = rect;
    area.left = area.left < 0 ? 0 : area.left;
    area.top = area.top < 0 ? 0 : area.top;
    area.right = area.right < area.left ? area.left : area.right;
    area.bottom = area.bottom < area.top ? area.top : area.bottom;
    UnionRect(&layeredDirty_, &layeredDirty_, &area);
    if (window_ != nullptr) {
        InvalidateRect(window_, &area, FALSE);
    }
}

void CPaintManagerUI::InvalidateAll() {
    RECT client = {};
    if (window_ != nullptr && GetClientRect(window_, &client)) {
        InvalidateArea(client);
    }
}

namespace {

CControlUI* EnterControlName(CControlUI* control, void* data) {
    auto* names = static_cast<CUiStringPtrMap*>(data);
    if (!control->Name().IsEmpty()) {
        names->Set(control->Name(), control);
    }
    return nullptr;
}

}  // namespace

void CPaintManagerUI::BindControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) {
        return;
    }
    control->Attach(this, parent, true);
    control->FindBy(EnterControlName, &controlNames_, 0);
}

CControlUI* CPaintManagerUI::ControlByName(const wchar_t* name) {
    return name != nullptr ? static_cast<CControlUI*>(controlNames_.Find(name)) : nullptr;
}

void CPaintManagerUI::ForgetControl(CControlUI* control) {
    if (control == nullptr) {
        return;
    }
    for (CControlUI** slot : {&focus_, &hover_, &pressed_, &keyPressed_}) {
        if (*slot == control) {
            *slot = nullptr;
        }
    }
    StopTimers(control);
    RemovePostPaint(control);
    const CUiString& name = control->Name();
    if (!name.IsEmpty() && controlNames_.Find(name) == control) {
        controlNames_.Remove(name);
    }
    for (int i = 0; i < queuedNotifies_.Count(); ++i) {
        auto* queued = static_cast<QueuedNotify*>(queuedNotifies_.At(i));
        if (queued->sender == control) {
            queued->sender = nullptr;
        }
    }
}

void CPaintManagerUI::FocusControl(CControlUI* control, bool focusWindow) {
    if (focusWindow && window_ != nullptr && GetFocus() != window_ && control != focus_) {
        ::SetFocus(window_);
    }
    if (control == focus_) {
        return;
    }
    if (focus_ != nullptr) {
        CControlUI* old = focus_;
        SendFocusEvent(old, UiEventType::KillFocus, control);
        SendNotify(old, L"killfocus");
        focus_ = nullptr;
    }
    if (control != nullptr && control->Manager() == this && control->IsVisible() && control->IsEnabled()) {
        focus_ = control;
        SendFocusEvent(control, UiEventType::SetFocus, control);
        SendNotify(control, L"setfocus");
    }
}

void CPaintManagerUI::SendFocusEvent(CControlUI* control, UiEventType type, CControlUI* sender) {
    UiEvent event;
    event.type = type;
    event.sender = sender;
    event.timestamp = GetTickCount();
    event.mousePoint = lastMousePos_;
    control->HandleEvent(event);
}

bool CPaintManagerUI::StartTimer(CControlUI* control, UINT id, UINT elapse) {
    // Without a window the platform would pick its own id, which no record
    // could match.
    if (window_ == nullptr) {
        return false;
    }
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* timer = static_cast<TimerInfo*>(timers_.At(i));
        if (timer->control == control && timer->localId == id && timer->window == window_) {
            if (!timer->killed) {
                return false;
            }
            if (::SetTimer(window_, timer->systemId, elapse, nullptr) == 0) {
                return false;
            }
            timer->killed = false;
            return true;
        }
    }
    nextTimerId_ = (nextTimerId_ + 1) % 240;
    if (::SetTimer(window_, nextTimerId_, elapse, nullptr) == 0) {
        return false;
    }
    auto* timer = new TimerInfo{control, id, window_, nextTimerId_, false};
    if (!timers_.Add(timer)) {
        ::KillTimer(window_, nextTimerId_);
        delete timer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::StopTimer(CControlUI* control, UINT id) {
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* timer = static_cast<TimerInfo*>(timers_.At(i));
        if (timer->control == control && timer->localId == id && timer->window == window_ && !timer->killed) {
            if (IsWindow(window_)) {
                ::KillTimer(timer->window, timer->systemId);
            }
            timer->killed = true;
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::StopTimers(CControlUI* control) {
    for (int i = timers_.Count() - 1; i >= 0; --i) {
        auto* timer = static_cast<TimerInfo*>(timers_.At(i));
        if (timer->control == control && timer->window == window_) {
            if (!timer->killed && IsWindow(window_)) {
                ::KillTimer(timer->window, timer->systemId);
            }
            delete timer;
            timers_.Remove(i);
        }
    }
}

void CPaintManagerUI::StopAllTimers() {
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* timer = static_cast<TimerInfo*>(timers_.At(i));
        if (!timer->killed && IsWindow(timer->window)) {
            ::KillTimer(timer->window, timer->systemId);
        }
        delete timer;
    }
    timers_.Clear();
}

bool CPaintManagerUI::AddNotifier(INotifyUI* receiver) {
    return receiver != nullptr && notifiers_.Find(receiver) < 0 && notifiers_.Add(receiver);
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* receiver) {
    int index = notifiers_.Find(receiver);
    return index >= 0 && notifiers_.Remove(index);
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam,
                                 bool async) {
    if (async) {
        auto* queued = new QueuedNotify{CUiString(type), sender, wParam, lParam, lastMousePos_, GetTickCount()};
        if (!queuedNotifies_.Add(queued)) {
            delete queued;
            return;
        }
        if (window_ != nullptr) {
            PostMessageW(window_, kDeferredWorkMessage, 0, 0);
        }
        return;
    }
    UiNotify notify;
    notify.type = type;
    notify.sender = sender;
    notify.wParam = wParam;
    notify.lParam = lParam;
    notify.mousePoint = lastMousePos_;
    notify.timestamp = GetTickCount();
    if (usesVirtualWindows_ && sender != nullptr) {
        notify.virtualWindow = sender->VirtualWindow();
    }
    DeliverNotify(notify);
}

void CPaintManagerUI::DeliverNotify(UiNotify& notify) {
    if (notify.sender != nullptr && !notify.sender->NotifyHooks.IsEmpty()) {
        notify.sender->NotifyHooks.Invoke(&notify);
    }
    // A receiver may remove itself while it is being notified.
    for (int i = 0; i < notifiers_.Count(); ++i) {
        INotifyUI* receiver = static_cast<INotifyUI*>(notifiers_.At(i));
        receiver->Notify(notify);
        if (i < notifiers_.Count() && notifiers_.At(i) != receiver) {
            --i;
        }
    }
}

void CPaintManagerUI::QueueCleanup(CControlUI* control) {
    if (control == nullptr) {
        return;
    }
    control->Attach(this, nullptr, false);
    cleanupControls_.Add(control);
    if (window_ != nullptr) {
        PostMessageW(window_, kDeferredWorkMessage, 0, 0);
    }
}

bool CPaintManagerUI::AddPostPaint(CControlUI* control) {
    return control != nullptr && postPaintControls_.Find(control) < 0 && postPaintControls_.Add(control);
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* control) {
    int index = postPaintControls_.Find(control);
    return index >= 0 && postPaintControls_.Remove(index);
}

void CPaintManagerUI::ProcessDeferredWork() {
    // Deleting a control may queue further cleanup; the list is detached first.
    while (!cleanupControls_.IsEmpty()) {
        CUiPtrArray controls(cleanupControls_);
        cleanupControls_.Clear();
        for (int i = 0; i < controls.Count(); ++i) {
            delete static_cast<CControlUI*>(controls.At(i));
        }
    }
    while (!queuedNotifies_.IsEmpty()) {
        auto* queued = static_cast<QueuedNotify*>(queuedNotifies_.At(0));
        queuedNotifies_.Remove(0);
        UiNotify notify;
        notify.type = queued->type;
        notify.sender = queued->sender;
        notify.wParam = queued->wParam;
        notify.lParam = queued->lParam;
        notify.mousePoint = queued->mousePoint;
        notify.timestamp = queued->timestamp;
        delete queued;
        DeliverNotify(notify);
    }
}

}  // namespace Orvel
