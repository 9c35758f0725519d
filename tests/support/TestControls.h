#pragma once
#include "ControlUI.h"
#include "UiInterfaces.h"

#include <string>
#include <vector>

// Small controls for tests of the paint manager, standing in for the real
// containers and controls.

// Logs the events it receives ("MouseEnter", "ButtonDown", ...) and answers
// the trait flags it is given.
class RecordingControl : public Orvel::CControlUI {
public:
    explicit RecordingControl(const wchar_t* name = L"", UINT traits = 0);

    UINT TraitFlags() const override { return traits_; }
    void ProcessEvent(Orvel::UiEvent& event) override;

    std::vector<std::string> events;
    std::vector<Orvel::UiEvent> received;
    // The received events of one kind.
    std::vector<Orvel::UiEvent> Of(Orvel::UiEventType type) const;

private:
    UINT traits_;
};

// Owns children and places each at its fixed offset and size inside itself
// (scaled as the control base scales them); hit tests and searches visit
// the children after itself, or from the last with UiFindTopFirst.
class TestContainer : public Orvel::CControlUI {
public:
    explicit TestContainer(const wchar_t* name = L"");
    ~TestContainer() override;

    // Takes ownership; `pos` is relative to the container.
    template <typename Control>
    Control* Add(Control* child, const RECT& pos) {
        AddChild(child, pos);
        return child;
    }

    void Attach(Orvel::CPaintManagerUI* manager, Orvel::CControlUI* parent, bool initialize) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    Orvel::CControlUI* FindBy(Orvel::FindControlProc visitor, void* data, UINT flags) override;
    void Paint(HDC dc, const RECT& paintRect) override;
    void OnScaleChanged(int dpi) override;

    int placeCount = 0;

private:
    void AddChild(Orvel::CControlUI* child, const RECT& pos);

    std::vector<Orvel::CControlUI*> children_;  // owned
};

// Logs every notification as "type:sender name" ("-" for no sender).
class NotifyLog : public Orvel::INotifyUI {
public:
    void Notify(Orvel::UiNotify& notify) override;
    std::vector<std::wstring> log;
};

const char* EventName(Orvel::UiEventType type);
