#pragma once
#include "IDropTarget.h"
#include "ShadowUI.h"
#include "UiDpiScale.h"
#include "UiEvent.h"
#include "UiFontInfo.h"
#include "UiPlatform.h"
#include "UiPtrArray.h"
#include "UiRect.h"
#include "UiRender.h"
#include "UiString.h"
#include "UiStringPtrMap.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>

namespace Orvel {

class CControlUI;
class IMessageFilterUI;
class INotifyUI;
class ITranslateAccelerator;
struct UiDrawInfo;
struct UiImageInfo;

// Creates a control for a markup class name, or returns null.
using UiControlCreator = CControlUI* (*)(const wchar_t* className);

// The per-window hub of the framework: it owns the window's control tree,
// turns window messages into control events (hover, capture, focus, Tab,
// timers, shortcuts), paints the tree through an off-screen bitmap or a
// layered window, delivers notifications, and holds the window's resources
// (fonts, images, parsed image strings, styles, default attribute lists)
// and the control-name map. Its static side holds the process-wide
// resources shared by all windows and the message loop. UI thread only.
class CPaintManagerUI : public CIDropTarget {
public:
    // Posted to the window to run deferred cleanup and queued notifications.
    static constexpr UINT kDeferredWorkMessage = WM_APP + 1;
    // Posted after a new display scale was applied; the framework leaves it alone.
    static constexpr UINT kScaleChangedMessage = WM_USER + 200;
    // The callback message of the notification-area icon.
    static constexpr UINT kTrayIconMessage = WM_USER + 1;
    static constexpr UINT_PTR kCaretTimerId = 6553;
    static constexpr int kRichTextFontId = 30000;

    CPaintManagerUI();
    ~CPaintManagerUI() override;
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Runs until WM_QUIT and returns its wParam. Each message goes through
    // PreTranslate first; an exception escaping a dispatch is dropped.
    static WPARAM RunMessageLoop();
    // Accelerators and PreHandleMessage of the managers whose window is the
    // message's window or (for child windows) one of its ancestors.
    static bool PreTranslate(MSG* message);
    // Control creators for class names the factory does not know, asked in
    // the order they were added.
    static void AddPlugin(UiControlCreator creator);
    static CControlUI* CreatePluginControl(const wchar_t* className);

    // Process-wide settings. The instance is set once at start-up; resources
    // are looked up in the resource module when one is set, else there.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE Instance();
    static void SetResourceInstance(HINSTANCE module);
    static HINSTANCE ResourceInstance();
    // The process-wide hue (0-360, 180 = unchanged), saturation and lightness
    // (percent, 100 = unchanged) for images and colours that take part in HSL;
    // applied at once to every loaded image that does.
    static void SetHsl(bool enabled, short hue, short saturation, short lightness);
    static bool IsHslEnabled();
    static void GetHsl(short* hue, short* saturation, short* lightness);

    // Binds the manager to its window (taking the window's device context,
    // registering it as a drop target) and clears the window's resource tables.
    void Attach(HWND window, const wchar_t* name);
    HWND WindowHandle() const { return window_; }
    // The window's own device context, or null before Attach.
    HDC PaintDC() const { return paintDC_; }
    const CUiString& Name() const { return name_; }
    CUiDpiScale& DpiScale();

    // Takes ownership of `root` (an old root is deleted with the next
    // deferred work), binds its tree and schedules the first layout.
    bool AttachRoot(CControlUI* root);
    CControlUI* Root() const { return root_; }

    bool IsLayered() const { return layered_; }
    bool IsGdiplusText() const { return gdiplusText_; }
    void SetGdiplusText(bool enabled) { gdiplusText_ = enabled; }
    // A GDI+ TextRenderingHint value, 0 to 5.
    int TextRenderingHint() const { return textRenderingHint_; }
    void SetTextRenderingHint(int hint);
    POINT MousePos() const { return lastMousePos_; }

    DWORD DefaultDisabledColor() const { return disabledColor_; }
    DWORD DefaultFontColor() const { return fontColor_; }
    DWORD DefaultLinkFontColor() const { return linkColor_; }
    DWORD DefaultLinkHoverFontColor() const { return linkHoverColor_; }
    DWORD DefaultSelectedBkColor() const { return selectedColor_; }
    // With `shared`, the process default changes too, and every window whose
    // colour was the old default follows it.
    void SetDefaultDisabledColor(DWORD argb, bool shared = false);
    void SetDefaultFontColor(DWORD argb, bool shared = false);
    void SetDefaultLinkFontColor(DWORD argb, bool shared = false);
    void SetDefaultLinkHoverFontColor(DWORD argb, bool shared = false);
    void SetDefaultSelectedBkColor(DWORD argb, bool shared = false);

    // Window attributes from markup. Sizes are unscaled except the initial
    // size, which the display scale applies to.
    const CUiSize& InitSize() const { return initSize_; }
    void SetInitSize(int cx, int cy);
    const CUiRect& SizeBox() const { return sizeBox_; }
    void SetSizeBox(const RECT& rect) { sizeBox_ = rect; }
    const CUiRect& CaptionRect() const { return caption_; }
    void SetCaptionRect(const RECT& rect) { caption_ = rect; }
    const CUiSize& RoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int cx, int cy) { roundCorner_ = CUiSize(cx, cy); }
    const CUiSize& MinInfo() const { return minInfo_; }
    void SetMinInfo(int cx, int cy);
    const CUiSize& MaxInfo() const { return maxInfo_; }
    void SetMaxInfo(int cx, int cy);
    bool ShowsUpdateRect() const { return showUpdateRect_; }
    void SetShowUpdateRect(bool show) { showUpdateRect_ = show; }
    // Per-pixel alpha through UpdateLayeredWindow; top-level windows only.
    void SetLayered(bool layered);
    BYTE Opacity() const { return opacity_; }
    // A constant alpha for the whole window through SetLayeredWindowAttributes.
    void SetOpacity(BYTE opacity);
    // The constant alpha of the layered update.
    void SetLayeredOpacity(BYTE opacity);
    bool IsOffscreenPaint() const { return offscreenPaint_; }
    void SetOffscreenPaint(bool offscreen) { offscreenPaint_ = offscreen; }
    // A notification-area icon with icon resource `id` of the application;
    // the tooltip is the text set so far.
    void SetTrayIconId(int id);
    void SetTrayTipText(const wchar_t* text);
    bool IsTrayIconAdded() const { return trayIconAdded_; }
    CShadowUI& Shadow() { return shadow_; }
    // One attribute of the markup's Window element; unknown names are ignored.
    void ApplyWindowAttribute(const wchar_t* name, const wchar_t* value);
    // Applies a new DPI: fonts rebuilt, images and parsed image strings
    // dropped, controls told, and a normal window resized in proportion.
    void ApplyScale(int dpi);

    // Repainting: the rectangle is added to the layered dirty rectangle and
    // invalidated in the window (when there is one).
    void InvalidateArea(const RECT& rect);
    void InvalidateAll();
    // The next paint runs the layout pass first.
    void SetNeedsUpdate() { updateNeeded_ = true; }
    bool NeedsUpdate() const { return updateNeeded_; }
    bool IsPainting() const { return painting_; }
    // Memory contexts the render engine's image blits reuse, made on first
    // use and owned by the manager; no scaled-cell cache is set.
    UiImageBlit ImageBlitContexts();
    // The retained off-screen bitmap (a 32-bit bottom-up DIB section of the
    // client size, owned by the manager), or null before the first paint.
    HBITMAP OffscreenBitmap() const { return offscreenBitmap_; }

    // Attaches a control's subtree to this manager and enters its names.
    void BindControls(CControlUI* control, CControlUI* parent = nullptr);
    CControlUI* ControlByName(const wchar_t* name);
    // The topmost visible control under a client point that takes the mouse.
    CControlUI* ControlAtPoint(POINT point) const;
    // Called by a control's destructor: no slot, timer, name or queued
    // notification of the manager refers to the control afterwards.
    void ForgetControl(CControlUI* control);

    CControlUI* FocusedControl() const { return focus_; }
    CControlUI* HoverControl() const { return hover_; }
    CControlUI* PressedControl() const { return pressed_; }
    CControlUI* KeyPressedControl() const { return keyPressed_; }
    // Moves the keyboard focus to `control` (none for null), with the
    // KillFocus/SetFocus events and the "killfocus"/"setfocus" notifications.
    void FocusControl(CControlUI* control, bool focusWindow = true);
    // For a label: the focus goes to the next tab stop after `control`.
    void FocusControlAfter(CControlUI* control);
    // Moves the focus to the next (or previous) tab stop, wrapping around.
    bool MoveTabFocus(bool forward);
    // The next paint moves the focus to the first tab stop.
    void SetFocusNeeded();

    // Mouse capture for the pressed control.
    void BeginCapture();
    void EndCapture();
    bool IsCaptured() const { return captured_; }

    // The caret mark that an edit control draws while it is shown.
    bool CreateCaret(HBITMAP bitmap, int width, int height);
    void ShowCaret(bool show);
    void SetCaretPos(CControlUI* owner, int x, int y);
    const CUiRect& CaretRect() const { return caretRect_; }
    CControlUI* CaretOwner() const { return caretOwner_; }
    bool IsCaretMarkShown() const { return caretMarkShown_; }

    // Timers of controls, keyed by control and the control's own id.
    bool StartTimer(CControlUI* control, UINT id, UINT elapse);
    bool StopTimer(CControlUI* control, UINT id);
    void StopTimers(CControlUI* control);
    void StopAllTimers();

    // Receivers are not owned and are called in registration order.
    bool AddNotifier(INotifyUI* receiver);
    bool RemoveNotifier(INotifyUI* receiver);
    // Filters are not owned. Pre-message filters see messages during
    // pre-translation, message filters before HandleWindowMessage's own work.
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* translator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* translator);
    // True when one of the translators translated the message.
    bool TranslateAccelerator(MSG* message);

    // Controls that paint once more after the whole tree (not owned).
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    int PostPaintCount() const { return postPaint_.Count(); }
    const CUiPtrArray& PostPaintControls() const { return postPaint_; }
    // Native child windows composed into a layered window (not owned).
    bool AddNativeWindow(HWND child);
    bool RemoveNativeWindow(HWND child);
    int NativeWindowCount() const { return nativeWindows_.Count(); }

    // Named groups of controls (option buttons); a control joins a group once.
    bool AddOptionGroup(const wchar_t* group, CControlUI* control);
    // The group's controls, or null for an unknown group.
    const CUiPtrArray* OptionGroup(const wchar_t* group);
    void RemoveOptionGroup(const wchar_t* group, CControlUI* control);
    void RemoveAllOptionGroups();

    // The window's messages, before the window's own handling. True when
    // handled, with the message's result in `result`.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Pre-translation of a queued message (Tab, shortcuts, system keys).
    bool PreHandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Synchronously: the sender's notify hooks, then every receiver.
    // Asynchronously: queued until the window's next deferred-work message.
    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SetUsesVirtualWindows(bool uses) { usesVirtualWindows_ = uses; }
    bool UsesVirtualWindows() const { return usesVirtualWindows_; }
    // Detaches the control and deletes it with the next deferred work.
    void QueueCleanup(CControlUI* control);
    // The deferred-work message: deletes queued controls, then delivers the
    // queued notifications, including any queued meanwhile.
    void ProcessDeferredWork();

    // Shared-resources mode registers every resource in the process tables.
    void SetSharedResources(bool shared) { sharedResources_ = shared; }
    bool UsesSharedResources() const { return sharedResources_; }

    // Images, by name: the window's table first, then the shared one. Records
    // are owned by their table.
    const UiImageInfo* FindImage(const wchar_t* name);
    const UiImageInfo* FindOrLoadImage(const wchar_t* name, const wchar_t* type, DWORD mask, bool useHsl,
                                       HINSTANCE module = nullptr);
    // With a type, `name` must be a decimal resource id. Replaces an image of
    // the same name in the target table; null when nothing could be loaded.
    const UiImageInfo* AddImage(const wchar_t* name, const wchar_t* type, DWORD mask, bool useHsl, bool shared,
                                HINSTANCE module = nullptr);
    void RemoveImage(const wchar_t* name, bool shared = false);

    // The parsed record of an image string and its modify string, cached for
    // the life of the window; null for two empty strings.
    const UiDrawInfo* LookupDrawInfo(const wchar_t* image, const wchar_t* modify);

    // Fonts. Sizes are unscaled; the window's display scale applies when the
    // font is created. The returned handle is owned by the table.
    HFONT RegisterFont(int id, const wchar_t* face, int size, int weight, bool underline, bool italic,
                       bool shared = false);
    void SetDefaultFont(const wchar_t* face, int size, int weight, bool underline, bool italic,
                        bool shared = false);
    HFONT FontById(int id);
    // The record of a font with its text metrics; the default font's record
    // for an unknown id or handle.
    UiFontInfo* FontInfoById(int id);
    UiFontInfo* FontInfoByHandle(HFONT font);
    HFONT FindFontByAttributes(const wchar_t* face, int size, int weight, bool underline, bool italic);
    UiFontInfo* DefaultFontInfo();
    // While text with inline tags is drawn, fonts it replaced in the tables
    // stay alive; they are deleted when the outermost drawing ends.
    void BeginTextFontScope() { ++textFontScopes_; }
    void EndTextFontScope();

    // Attribute lists, by control class keyword and by style name: the
    // window's first, then the shared ones. Null when absent.
    void AddDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared = false);
    const wchar_t* DefaultAttributeList(const wchar_t* className);
    void AddStyle(const wchar_t* name, const wchar_t* list, bool shared = false);
    const wchar_t* FindStyle(const wchar_t* name);

protected:
    // Dropped data; no control of the core library takes drops.
    bool OnDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD* effect) override;
    // Starts an OLE drag of a drag-source control's rendered image; the
    // extended controls' data object plugs in here. False when no drag ran.
    virtual bool OnDragStart(CControlUI* source, HBITMAP image);

private:
    struct TimerInfo {
        CControlUI* control;  // not owned
        UINT localId;
        HWND window;
        UINT_PTR systemId;
        bool killed;
    };
    struct QueuedNotify;
    struct SharedResources;

    static SharedResources& Shared();
    static void InitializeProcessDefaults(SharedResources& shared);

    // Message handling (PaintManagerMessages.cpp).
    // The first filter that marks the message handled ends the walk.
    static bool RunMessageFilters(const CUiPtrArray& filters, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result);
    // A key state of -1 samples the keyboard; button events pass their own.
    // The event's point is `at`, or else the last mouse position.
    void SendEvent(CControlUI* control, UiEventType type, WPARAM wParam = 0, LPARAM lParam = 0, wchar_t key = 0,
                   int keyState = -1, const POINT* at = nullptr);
    // The control under the point, unless it belongs to another manager.
    CControlUI* OwnControlAt(POINT point) const;
    void StoreScreenPoint(LPARAM lParam);
    void OnClose();
    void OnGetMinMaxInfo(LPARAM lParam);
    void OnTimer(WPARAM id, LPARAM lParam);
    bool OnMouseHover(LPARAM lParam);
    void OnMouseLeave();
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam);
    // Another window took the mouse, or the system cancelled the press.
    void OnCaptureLost();
    void OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool ReflectMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void StartMouseTracking();
    void ShowToolTip(CControlUI* control);
    void HideToolTip();
    bool HandleShortcut(wchar_t ch);

    // Painting (PaintManagerPaint.cpp).
    void OnPaint();
    void LayoutPass(bool& rootPlaced);
    void PaintOffscreen(HDC windowDC, const RECT& paintRect);
    void ClearLayeredPixels(const RECT& paintRect);
    void FixLayeredAlpha(const RECT& paintRect);
    void ComposeNativeWindows(const RECT& paintRect);
    void UpdateLayered();
    void PrintClient(HDC dc, LPARAM flags);
    void ReleaseOffscreen();
    void ToggleCaretMark();

    // Window attributes and scaling (PaintManagerWindow.cpp).
    void SetDefaultColor(DWORD SharedResources::*sharedColor, DWORD CPaintManagerUI::*color, DWORD argb, bool shared);
    void ApplyShadowAttribute(const wchar_t* name, const wchar_t* value);
    void RebuildFonts();
    void RebuildFont(UiFontInfo& info);
    void RemoveTrayIcon();

    CUiStringPtrMap& ImageTable(bool shared);
    CUiStringPtrMap& FontTable(bool shared);
    // The window's font of that id, else the shared one; null when neither.
    UiFontInfo* LookupFont(int id);
    HFONT CreateScaledFont(const wchar_t* face, int size, int weight, bool underline, bool italic);
    void FillMetrics(UiFontInfo* info);
    void RetireFont(HFONT font);
    void DeliverNotify(UiNotify& notify);
    bool TakeTimerId();
    void SendFocusEvent(CControlUI* control, UiEventType type, CControlUI* sender);
    void ClearResourceTables();
    static void ReleaseImages(CUiStringPtrMap& table);
    static void ReleaseFonts(CUiStringPtrMap& table);
    static void ReleaseStrings(CUiStringPtrMap& table);
    static void StoreString(CUiStringPtrMap& table, const wchar_t* key, const wchar_t* text);
    static void ApplyHslToTable(CUiStringPtrMap& table);
    static CUiString FontKey(int id);

    HWND window_ = nullptr;   // not owned
    HDC paintDC_ = nullptr;   // owned: from GetDC on the window
    CUiString name_;
    std::unique_ptr<CUiDpiScale> dpiScale_;  // created on first use
    ULONG_PTR gdiplusToken_ = 0;
    CControlUI* root_ = nullptr;  // owned

    CControlUI* focus_ = nullptr;       // not owned
    CControlUI* hover_ = nullptr;       // not owned
    CControlUI* pressed_ = nullptr;     // not owned
    CControlUI* keyPressed_ = nullptr;  // not owned
    POINT lastMousePos_ = {-1, -1};

    bool updateNeeded_ = false;
    bool firstLayout_ = false;
    bool focusNeeded_ = false;
    bool painting_ = false;
    bool showUpdateRect_ = false;
    bool layered_ = false;
    bool offscreenPaint_ = true;
    bool mouseTracking_ = false;
    bool captured_ = false;
    bool caretActive_ = false;
    bool caretMarkShown_ = false;
    bool dragPending_ = false;
    bool gdiplusText_ = false;
    bool usesVirtualWindows_ = false;
    bool sharedResources_ = false;
    int textRenderingHint_ = 0;
    BYTE opacity_ = 255;
    CUiRect layeredDirty_;

    CUiSize initSize_;
    CUiRect sizeBox_;
    CUiRect caption_;
    CUiSize roundCorner_;
    CUiSize minInfo_;
    CUiSize maxInfo_;

    HDC offscreenDC_ = nullptr;          // owned
    HBITMAP offscreenBitmap_ = nullptr;  // owned
    HGDIOBJ offscreenPrevious_ = nullptr;  // not owned: what offscreenDC_ held before
    DWORD* offscreenBits_ = nullptr;     // the DIB's pixels, bottom-up
    CUiSize offscreenSize_;
    HBITMAP dragImage_ = nullptr;        // owned
    HDC imageBlitDC_ = nullptr;          // owned
    HDC cellBlitDC_ = nullptr;           // owned
    HWND toolTip_ = nullptr;             // owned
    TOOLINFOW toolInfo_ = {};
    CUiString toolTipText_;  // the text toolInfo_ points at
    CUiRect caretRect_;
    CControlUI* caretOwner_ = nullptr;   // not owned
    NOTIFYICONDATAW trayIcon_ = {};
    bool trayIconAdded_ = false;
    CShadowUI shadow_;

    DWORD disabledColor_ = 0;
    DWORD fontColor_ = 0;
    DWORD linkColor_ = 0;
    DWORD linkHoverColor_ = 0;
    DWORD selectedColor_ = 0;
    UiFontInfo defaultFont_;  // font handle owned; none = the process default font

    CUiPtrArray notifiers_;       // INotifyUI, not owned
    CUiPtrArray preMessageFilters_;  // IMessageFilterUI, not owned
    CUiPtrArray messageFilters_;     // IMessageFilterUI, not owned
    CUiPtrArray translators_;        // ITranslateAccelerator, not owned
    CUiPtrArray postPaint_;          // CControlUI, not owned
    CUiPtrArray nativeWindows_;      // HWND, not owned
    CUiPtrArray foundControls_;      // CControlUI found by the layout pass, not owned
    CUiPtrArray timers_;          // owned TimerInfo records
    CUiPtrArray cleanupControls_; // owned until deleted by ProcessDeferredWork
    CUiPtrArray queuedNotifies_;  // owned QueuedNotify records
    UINT nextTimerId_ = 4096;

    CUiStringPtrMap controlNames_;          // values: CControlUI, not owned
    CUiStringPtrMap optionGroups_;          // values: owned CUiPtrArray of controls (not owned)
    CUiStringPtrMap fonts_;                 // values: owned UiFontInfo, keyed by decimal id
    CUiStringPtrMap images_;                // values: owned UiImageInfo
    CUiStringPtrMap drawInfos_;             // values: owned UiDrawInfo
    CUiStringPtrMap defaultAttributeLists_; // values: owned CUiString
    CUiStringPtrMap styles_;                // values: owned CUiString
    CUiPtrArray retiredFonts_;              // HFONT, owned; see BeginTextFontScope
    int textFontScopes_ = 0;
};

}  // namespace Orvel
