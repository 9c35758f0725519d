#pragma once
#include "ControlUI.h"
#include "UiInterfaces.h"

#include <cstdio>
#include <string>
#include <vector>

// Shared by the control tests: header-only, each test binary includes it once.
namespace controltest {

// "l,t,r,b", so that a failing comparison shows the rectangles.
inline std::string RectText(const RECT& rect) {
    char text[64];
    std::snprintf(text, sizeof(text), "%ld,%ld,%ld,%ld", static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right), static_cast<long>(rect.bottom));
    return text;
}

// Hands one event to a control as the paint manager would.
inline void Send(Orvel::CControlUI& control, Orvel::UiEventType type, POINT point = {0, 0}, wchar_t key = 0) {
    Orvel::UiEvent event;
    event.type = type;
    event.sender = &control;
    event.mousePoint = point;
    event.key = key;
    control.HandleEvent(event);
}

// Every notification as "type:sender name".
class NotifyLog : public Orvel::INotifyUI {
public:
    void Notify(Orvel::UiNotify& notify) override {
        for (const std::wstring& type : ignored) {
            if (notify.type == type.c_str()) {
                return;
            }
        }
        entries.push_back(std::wstring(notify.type.Data()) + L":" +
                          (notify.sender != nullptr ? notify.sender->Name().Data() : L"-"));
        wParams.push_back(notify.wParam);
    }
    std::vector<std::wstring> entries;
    std::vector<WPARAM> wParams;
    // Types left out of the log.
    std::vector<std::wstring> ignored;
};

}  // namespace controltest
