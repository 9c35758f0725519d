#pragma once
#include "UiDpiScale.h"
#include "UiEvent.h"
#include "UiFontInfo.h"
#include "UiPlatform.h"
#include "UiPtrArray.h"
#include "UiRect.h"
#include "UiString.h"
#include "UiStringPtrMap.h"

#include <memory>

namespace Orvel {

class CControlUI;
class INotifyUI;
struct UiDrawInfo;
struct UiImageInfo;

// The per-window hub of the framework: it holds the window's resources
// (fonts, images, parsed image strings, styles, default attribute lists),
// the control-name map, focus and timers, and delivers notifications. Its
// static side holds the process-wide resources shared by all windows.
// UI thread only.
class CPaintManagerUI {
public:
    // Posted to the window to run deferred cleanup and queued notifications.
    static constexpr UINT kDeferredWorkMessage = WM_APP + 1;
    static constexpr int kRichTextFontId = 30000;

    CPaintManagerUI();
    virtual ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

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

    // Binds the manager to its window (taking the window's device context)
    // and clears the window's resource tables.
    void Attach(HWND window, const wchar_t* name);
    HWND WindowHandle() const { return window_; }
    // The window's own device context, or null before Attach.
    HDC PaintDC() const { return paintDC_; }
    const CUiString& Name() const { return name_; }
    CUiDpiScale& DpiScale();

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

    // Repainting: the rectangle is added to the layered dirty rectangle and
    // invalidated in the window (when there is one).
    void InvalidateArea(const RECT& rect);
    void InvalidateAll();
    // The next paint runs the layout pass first.
    void SetNeedsUpdate() { updateNeeded_ = true; }
    bool NeedsUpdate() const { return updateNeeded_; }

    // Attaches a control's subtree to this manager and enters its names.
    void BindControls(CControlUI* control, CControlUI* parent = nullptr);
    CControlUI* ControlByName(const wchar_t* name);
    // Called by a control's destructor: no slot, timer, name or queued
    // notification of the manager refers to the control afterwards.
    void ForgetControl(CControlUI* control);

    CControlUI* FocusedControl() const { return focus_; }
    // Moves the keyboard focus to `control` (none for null), with the
    // KillFocus/SetFocus events and the "killfocus"/"setfocus" notifications.
    void FocusControl(CControlUI* control, bool focusWindow = true);

    // Timers of controls, keyed by control and the control's own id.
    bool StartTimer(CControlUI* control, UINT id, UINT elapse);
    bool StopTimer(CControlUI* control, UINT id);
    void StopTimers(CControlUI* control);
    void StopAllTimers();

    // Receivers are not owned and are called in registration order.
    bool AddNotifier(INotifyUI* receiver);
    bool RemoveNotifier(INotifyUI* receiver);
    // Synchronously: the sender's notify hooks, then every receiver.
    // Asynchronously: queued until the window's next deferred-work message.
    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SetUsesVirtualWindows(bool uses) { usesVirtualWindows_ = uses; }
    bool UsesVirtualWindows() const { return usesVirtualWindows_; }
    // Detaches the control and deletes it with the next deferred work.
    void QueueCleanup(CControlUI* control);
    // Controls that paint once more after the whole tree (PaintAfterChildren),
    // in registration order; not owned. A control is registered once.
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    const CUiPtrArray& PostPaintControls() const { return postPaintControls_; }
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

    CUiStringPtrMap& ImageTable(bool shared);
    CUiStringPtrMap& FontTable(bool shared);
    // The window's font of that id, else the shared one; null when neither.
    UiFontInfo* LookupFont(int id);
    HFONT CreateScaledFont(const wchar_t* face, int size, int weight, bool underline, bool italic);
    void FillMetrics(UiFontInfo* info);
    void RetireFont(HFONT font);
    void DeliverNotify(UiNotify& notify);
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

    CControlUI* focus_ = nullptr;       // not owned
    CControlUI* hover_ = nullptr;       // not owned
    CControlUI* pressed_ = nullptr;     // not owned
    CControlUI* keyPressed_ = nullptr;  // not owned
    POINT lastMousePos_ = {-1, -1};

    bool updateNeeded_ = false;
    bool layered_ = false;
    bool gdiplusText_ = false;
    bool usesVirtualWindows_ = false;
    bool sharedResources_ = false;
    int textRenderingHint_ = 0;
    CUiRect layeredDirty_;

    DWORD disabledColor_ = 0;
    DWORD fontColor_ = 0;
    DWORD linkColor_ = 0;
    DWORD linkHoverColor_ = 0;
    DWORD selectedColor_ = 0;
    UiFontInfo defaultFont_;  // font handle owned; none = the process default font

    CUiPtrArray notifiers_;       // INotifyUI, not owned
    CUiPtrArray timers_;          // owned TimerInfo records
    CUiPtrArray cleanupControls_; // owned until deleted by ProcessDeferredWork
    CUiPtrArray postPaintControls_; // CControlUI, not owned
    CUiPtrArray queuedNotifies_;  // owned QueuedNotify records
    UINT nextTimerId_ = 4096;

    CUiStringPtrMap controlNames_;          // values: CControlUI, not owned
    CUiStringPtrMap fonts_;                 // values: owned UiFontInfo, keyed by decimal id
    CUiStringPtrMap images_;                // values: owned UiImageInfo
    CUiStringPtrMap drawInfos_;             // values: owned UiDrawInfo
    CUiStringPtrMap defaultAttributeLists_; // values: owned CUiString
    CUiStringPtrMap styles_;                // values: owned CUiString
    CUiPtrArray retiredFonts_;              // HFONT, owned; see BeginTextFontScope
    int textFontScopes_ = 0;
};

}  // namespace Orvel
