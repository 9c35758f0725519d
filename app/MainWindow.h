#pragma once
#include "UiString.h"
#include "WindowImplBase.h"

// The launcher's one window: the skin of resource 117 with the progress bar
// and the size, speed and stage texts. It holds no download logic; the
// download-install manager drives it with the messages of WindowMessages.h.
// It cannot be closed by the player while the package is being unpacked,
// and any close that gets through ends the process (exit code 0).
class CMainWindow : public Orvel::WindowImplBase {
public:
    CMainWindow() = default;

    const wchar_t* WindowClass() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    ~CMainWindow() override;
    void OnClickNotify(Orvel::UiNotify& notify) override;
    Orvel::CUiString SkinFile() const override;
    LRESULT MsgClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MsgSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT MsgCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Moved to a monitor of another scale: fonts, images and lengths follow
    // the new DPI and the window takes the rectangle the system suggests.
    LRESULT MsgDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // Posts WM_CLOSE with `result`.
    virtual void CloseWindow(UINT result);
    // Kept for the slot order of the window's operations; always empty.
    virtual Orvel::CUiString ResourceFolder() const;
    // Shows at most 99 %: 100 % waits for the end of the extraction, which
    // starts at 100 and disables closing until it is done.
    virtual void SetProgress(unsigned percent);
    virtual void SetUnzipFinished();
    // Each shows its fallback text ("0KB/s", "0MB") for an empty text.
    virtual void SetSpeedText(const wchar_t* text);
    virtual void SetCurrentSizeText(const wchar_t* text);
    virtual void SetTotalSizeText(const wchar_t* text);
    // From now on the stage label reads as an update, and reaching 100 %
    // does not disable closing: nothing is unpacked.
    virtual void SetUpdating();

    bool IsClosable() const { return closable; }

private:
    // The message handling proper; ProcessMessage keeps exceptions inside the window.
    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam);
    // The manager's show request; the system's own show notifications only pass.
    void OnShowRequest(WPARAM wParam);
    void OnKeyDown(WPARAM key);
    void SetBackground(const wchar_t* path);
    // The install failed for `reason`: closing is allowed again and the
    // reason takes the stage label's place.
    void SetInstallFailed(const wchar_t* reason);
    // Handles the messages of WindowMessages.h; false for any other.
    bool HandleGameMessage(UINT message, WPARAM wParam);

    Orvel::CControlUI* Control(const wchar_t* name);
    void SetControlText(const wchar_t* name, const wchar_t* text);
    void SetProgressValue(int value);

    bool closable = true;
    bool updating = false;
};
