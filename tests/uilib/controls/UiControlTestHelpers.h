#pragma once
#include "ControlUI.h"
#include "UiInterfaces.h"

#include <cstdio>
#include <cwchar>
#include <utility>
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

// Every notification as "type:sender name", and with its parameters.
class NotifyLog : public Orvel::INotifyUI {
public:
    void Notify(Orvel::UiNotify& notify) override {
        for (const std::wstring& type : ignored) {
            if (notify.type == type.c_str()) {
                return;
            }
        }
        const std::wstring sender = notify.sender != nullptr ? notify.sender->Name().Data() : L"-";
        entries.push_back(std::wstring(notify.type.Data()) + L":" + sender);
        wParams.push_back(notify.wParam);
        wchar_t params[64];
        std::swprintf(params, 64, L":%lld:%lld", static_cast<long long>(notify.wParam),
                      static_cast<long long>(notify.lParam));
        detailed.push_back(std::make_pair(std::wstring(notify.type.Data()), sender + params));
    }
    // The notifications of one type as "sender:wParam:lParam".
    std::vector<std::wstring> Of(const wchar_t* type) const {
        std::vector<std::wstring> found;
        for (const auto& entry : detailed) {
            if (entry.first == type) {
                found.push_back(entry.second);
            }
        }
        return found;
    }
    void Clear() {
        entries.clear();
        wParams.clear();
        detailed.clear();
    }
    std::vector<std::wstring> entries;
    std::vector<WPARAM> wParams;
    std::vector<std::pair<std::wstring, std::wstring>> detailed;
    // Types left out of the log.
    std::vector<std::wstring> ignored;
};

}  // namespace controltest
