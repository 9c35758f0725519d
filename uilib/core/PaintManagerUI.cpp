#include "PaintManagerUI.h"

#include "ControlUI.h"
#include "PaintManagerShared.h"
#include "UiDynamicCalls.h"
#include "UiInterfaces.h"

#include <initializer_list>
#include <vector>

namespace Orvel {

namespace {

bool AddOnce(CUiPtrArray& list, void* item) {
    return item != nullptr && list.Find(item) < 0 && list.Add(item);
}

bool RemoveItem(CUiPtrArray& list, void* item) {
    int index = list.Find(item);
    return index >= 0 && list.Remove(index);
}

}  // namespace

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
    CShadowUI::RegisterWindowClass(shared.instance);
}

CPaintManagerUI::~CPaintManagerUI() {
    // The tree goes first: its controls forget themselves in the tables below.
    CControlUI* root = root_;
    root_ = nullptr;
    delete root;
    for (int i = 0; i < cleanupControls_.Count(); ++i) {
        delete static_cast<CControlUI*>(cleanupControls_.At(i));
    }
    cleanupControls_.Clear();
    for (int i = 0; i < queuedNotifies_.Count(); ++i) {
        delete static_cast<QueuedNotify*>(queuedNotifies_.At(i));
    }
    queuedNotifies_.Clear();
    StopAllTimers();
    if (caretActive_ && IsWindow(window_)) {
        ::KillTimer(window_, kCaretTimerId);
    }
    RemoveTrayIcon();
    if (toolTip_ != nullptr) {
        DestroyWindow(toolTip_);
    }
    ReleaseOffscreen();
    if (dragImage_ != nullptr) {
        DeleteObject(dragImage_);
    }
    for (HDC dc : {imageBlitDC_, cellBlitDC_}) {
        if (dc != nullptr) {
            DeleteDC(dc);
        }
    }
    RemoveAllOptionGroups();
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
    RevokeDropTarget();
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
        RevokeDropTarget();
    }
}

void CPaintManagerUI::AcceptDrops() {
    if (window_ != nullptr && DropTargetWindow() != window_) {
        RegisterDropTarget(window_);
    }
}

bool CPaintManagerUI::AttachRoot(CControlUI* root) {
    if (root == nullptr) {
        return false;
    }
    shadow_.CreateShadowFor(this);
    FocusControl(nullptr);
    hover_ = nullptr;
    pressed_ = nullptr;
    keyPressed_ = nullptr;
    if (root_ != nullptr && root_ != root) {
        postPaint_.Clear();
        QueueCleanup(root_);
    }
    root_ = root;
    updateNeeded_ = true;
    firstLayout_ = true;
    focusNeeded_ = true;
    BindControls(root_);
    // A tree replacing another in a shown window must be painted.
    InvalidateAll();
    return true;
}

void CPaintManagerUI::AddPlugin(UiControlCreator creator) {
    if (creator != nullptr) {
        Shared().plugins.push_back(creator);
    }
}

CControlUI* CPaintManagerUI::CreatePluginControl(const wchar_t* className) {
    for (UiControlCreator creator : Shared().plugins) {
        if (CControlUI* control = creator(className)) {
            return control;
        }
    }
    return nullptr;
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

namespace {

CControlUI* EnterControlName(CControlUI* control, void* data) {
    auto* names = static_cast<CUiStringPtrMap*>(data);
    if (!control->Name().IsEmpty()) {
        names->Set(control->Name(), control);
    }
    return nullptr;
}

CControlUI* FirstDropTarget(CControlUI* control, void*) {
    return control->IsDropTarget() ? control : nullptr;
}

}  // namespace

void CPaintManagerUI::BindControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) {
        return;
    }
    control->Attach(this, parent, true);
    control->FindBy(EnterControlName, &controlNames_, 0);
    if (control->FindBy(FirstDropTarget, nullptr, 0) != nullptr) {
        AcceptDrops();
    }
}

CControlUI* CPaintManagerUI::ControlByName(const wchar_t* name) {
    return name != nullptr ? static_cast<CControlUI*>(controlNames_.Find(name)) : nullptr;
}

namespace {

CControlUI* ControlItself(CControlUI* control, void*) {
    return control;
}

}  // namespace

CControlUI* CPaintManagerUI::ControlAtPoint(POINT point) const {
    if (root_ == nullptr) {
        return nullptr;
    }
    return root_->FindBy(ControlItself, &point, UiFindVisible | UiFindHitTest | UiFindTopFirst);
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
    if (caretOwner_ == control) {
        caretOwner_ = nullptr;
    }
    // Lists a destroyed control may still be in would be painted or walked later.
    RemoveItem(postPaint_, control);
    for (int i = optionGroups_.Count() - 1; i >= 0; --i) {
        const CUiString group = optionGroups_.KeyAt(i);
        RemoveOptionGroup(group, control);
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

namespace {

// Walks the tab stops of a tree in order, looking for the one after (or
// before) the focus control.
struct TabWalk {
    CControlUI* focus;
    bool forward;
    bool pastFocus = false;
    CControlUI* first = nullptr;
    CControlUI* last = nullptr;
    CControlUI* found = nullptr;
};

CControlUI* VisitTabStop(CControlUI* control, void* data) {
    auto* walk = static_cast<TabWalk*>(data);
    if (control == walk->focus) {
        if (!walk->forward && walk->last != nullptr) {
            walk->found = walk->last;
            return control;
        }
        walk->pastFocus = true;
        return nullptr;
    }
    if ((control->TraitFlags() & UiTraitTabStop) == 0) {
        return nullptr;
    }
    if (walk->first == nullptr) {
        walk->first = control;
    }
    walk->last = control;
    if (walk->forward && walk->pastFocus) {
        walk->found = control;
        return control;
    }
    return nullptr;
}

constexpr UINT kTabFlags = UiFindVisible | UiFindEnabled | UiFindMeFirst;

}  // namespace

bool CPaintManagerUI::MoveTabFocus(bool forward) {
    if (updateNeeded_ && forward) {
        focusNeeded_ = true;
        InvalidateAll();
        return true;
    }
    if (root_ != nullptr) {
        TabWalk walk{focus_, forward};
        root_->FindBy(VisitTabStop, &walk, kTabFlags);
        CControlUI* target = walk.found;
        if (target == nullptr) {
            target = forward ? walk.first : walk.last;
        }
        if (target != nullptr) {
            FocusControl(target, true);
        }
    }
    focusNeeded_ = false;
    return true;
}

void CPaintManagerUI::FocusControlAfter(CControlUI* control) {
    if (window_ != nullptr && GetFocus() != window_) {
        ::SetFocus(window_);
    }
    if (focus_ != nullptr) {
        CControlUI* old = focus_;
        focus_ = nullptr;
        SendFocusEvent(old, UiEventType::KillFocus, nullptr);
        SendNotify(old, L"killfocus");
    }
    if (root_ == nullptr || control == nullptr) {
        return;
    }
    TabWalk walk{control, true};
    root_->FindBy(VisitTabStop, &walk, kTabFlags);
    if (walk.found != nullptr) {
        FocusControl(walk.found, false);
    }
}

void CPaintManagerUI::SetFocusNeeded() {
    focusNeeded_ = true;
    if (root_ != nullptr) {
        root_->RequestUpdate();
    }
}

void CPaintManagerUI::BeginCapture() {
    if (window_ != nullptr) {
        SetCapture(window_);
    }
    captured_ = true;
}

void CPaintManagerUI::EndCapture() {
    captured_ = false;
    // Tracking restarts with the next move: losing capture may have ended it.
    mouseTracking_ = false;
    if (window_ != nullptr && GetCapture() == window_) {
        ReleaseCapture();
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
    if (!TakeTimerId()) {
        return false;
    }
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

bool CPaintManagerUI::TakeTimerId() {
    // After the counter wraps, an id still held by a record of this window
    // would replace that record's system timer; 0 is never a window timer.
    for (int attempt = 0; attempt < 240; ++attempt) {
        nextTimerId_ = (nextTimerId_ + 1) % 240;
        bool used = nextTimerId_ == 0;
        for (int i = 0; i < timers_.Count() && !used; ++i) {
            auto* timer = static_cast<TimerInfo*>(timers_.At(i));
            used = timer->window == window_ && timer->systemId == nextTimerId_;
        }
        if (!used) {
            return true;
        }
    }
    return false;
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
    return AddOnce(notifiers_, receiver);
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* receiver) {
    return RemoveItem(notifiers_, receiver);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
    return AddOnce(preMessageFilters_, filter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
    return RemoveItem(preMessageFilters_, filter);
}

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
    return AddOnce(messageFilters_, filter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
    return RemoveItem(messageFilters_, filter);
}

bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* translator) {
    return AddOnce(translators_, translator);
}

bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* translator) {
    return RemoveItem(translators_, translator);
}

bool CPaintManagerUI::TranslateAccelerator(MSG* message) {
    for (int i = 0; i < translators_.Count(); ++i) {
        if (static_cast<ITranslateAccelerator*>(translators_.At(i))->TranslateAccelerator(message) == 0) {
            return true;
        }
    }
    return false;
}

bool CPaintManagerUI::AddPostPaint(CControlUI* control) {
    return AddOnce(postPaint_, control);
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* control) {
    return RemoveItem(postPaint_, control);
}

bool CPaintManagerUI::AddNativeWindow(HWND child) {
    if (child == nullptr || nativeWindows_.Find(child) >= 0) {
        return false;
    }
    RECT rect;
    if (window_ != nullptr && GetWindowRect(child, &rect)) {
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
        InvalidateArea(rect);
    }
    return nativeWindows_.Add(child);
}

bool CPaintManagerUI::RemoveNativeWindow(HWND child) {
    return RemoveItem(nativeWindows_, child);
}

bool CPaintManagerUI::AddOptionGroup(const wchar_t* group, CControlUI* control) {
    if (group == nullptr || *group == L'\0' || control == nullptr) {
        return false;
    }
    if (auto* members = static_cast<CUiPtrArray*>(optionGroups_.Find(group))) {
        return AddOnce(*members, control);
    }
    auto* members = new CUiPtrArray(6);
    if (!members->Add(control) || !optionGroups_.Insert(group, members)) {
        delete members;
        return false;
    }
    return true;
}

const CUiPtrArray* CPaintManagerUI::OptionGroup(const wchar_t* group) {
    return group != nullptr ? static_cast<const CUiPtrArray*>(optionGroups_.Find(group)) : nullptr;
}

void CPaintManagerUI::RemoveOptionGroup(const wchar_t* group, CControlUI* control) {
    // No reordering lookup: ForgetControl walks the groups by index.
    auto* members = group != nullptr ? static_cast<CUiPtrArray*>(optionGroups_.Find(group, false)) : nullptr;
    if (members == nullptr) {
        return;
    }
    RemoveItem(*members, control);
    if (members->IsEmpty()) {
        optionGroups_.Remove(group);
        delete members;
    }
}

void CPaintManagerUI::RemoveAllOptionGroups() {
    for (int i = 0; i < optionGroups_.Count(); ++i) {
        delete static_cast<CUiPtrArray*>(optionGroups_.Find(optionGroups_.KeyAt(i), false));
    }
    optionGroups_.Clear();
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
