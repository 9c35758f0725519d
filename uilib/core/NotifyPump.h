#pragma once
#include "UiPlatform.h"
#include "UiString.h"

#include <type_traits>
#include <utility>
#include <vector>

namespace Orvel {

struct UiNotify;
class CNotifyPump;
struct UiNotifyMap;

enum class UiNotifyHandlerKind : int {
    End = 0,     // closes a table
    Params = 1,  // handler(wParam, lParam)
    Notify = 2,  // handler(UiNotify&)
};

// One row of a class's notification table. An empty control name takes the
// type from any sender that no row of the same table names exactly.
struct UiNotifyMapEntry {
    using ParamsHandler = void (CNotifyPump::*)(WPARAM, LPARAM);
    using NotifyHandler = void (CNotifyPump::*)(UiNotify&);

    const wchar_t* type = L"";
    const wchar_t* controlName = L"";
    UiNotifyHandlerKind kind = UiNotifyHandlerKind::End;
    ParamsHandler paramsHandler = nullptr;
    NotifyHandler notifyHandler = nullptr;
};

// A class's table and the way to its base class's table (null at the root).
struct UiNotifyMap {
    const UiNotifyMap* (*base)();
    const UiNotifyMapEntry* entries;
};

// Routes notifications to member functions by notification type and sender
// name, through a chain of tables from the most derived class to the base,
// and first to the virtual windows a notification names. A derived class
// declares its table with ORVEL_DECLARE_NOTIFY_MAP() and defines it:
//
//   ORVEL_BEGIN_NOTIFY_MAP(CMyWindow, WindowImplBase)
//       ORVEL_ON_NOTIFY(L"click", L"ok_btn", OnOk)   // void OnOk(UiNotify&)
//       ORVEL_ON_NOTIFY(L"timer", L"", OnTick)       // void OnTick(WPARAM, LPARAM)
//   ORVEL_END_NOTIFY_MAP()
class CNotifyPump {
public:
    CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    // Notifications whose virtual-window name matches `name` (ignoring case)
    // go to `pump` first (not owned). One pump per name; false for a name
    // already taken.
    bool AddVirtualWindow(const wchar_t* name, CNotifyPump* pump);
    bool RemoveVirtualWindow(const wchar_t* name);
    // True when a handler took the notification.
    bool Dispatch(UiNotify& notify);

    // The table of this class; derived classes hide it with their own.
    static const UiNotifyMap* ClassNotifyMap();

protected:
    ~CNotifyPump() = default;

    // The table of the most derived class.
    virtual const UiNotifyMap* NotifyMap() const;

private:
    bool DispatchToChain(UiNotify& notify);

    std::vector<std::pair<CUiString, CNotifyPump*>> virtualWindows_;  // pumps not owned
};

// A table row for a member function of a pump class; the handler's class
// must derive (non-virtually) from CNotifyPump.
template <class Pump>
UiNotifyMapEntry UiNotifyRow(const wchar_t* type, const wchar_t* controlName, void (Pump::*handler)(UiNotify&)) {
    static_assert(std::is_base_of<CNotifyPump, Pump>::value, "a notification handler belongs to a CNotifyPump");
    return {type, controlName, UiNotifyHandlerKind::Notify, nullptr,
            static_cast<UiNotifyMapEntry::NotifyHandler>(handler)};
}

template <class Pump>
UiNotifyMapEntry UiNotifyRow(const wchar_t* type, const wchar_t* controlName, void (Pump::*handler)(WPARAM, LPARAM)) {
    static_assert(std::is_base_of<CNotifyPump, Pump>::value, "a notification handler belongs to a CNotifyPump");
    return {type, controlName, UiNotifyHandlerKind::Params, static_cast<UiNotifyMapEntry::ParamsHandler>(handler),
            nullptr};
}

}  // namespace Orvel

// Inside the class; leaves the class's access at protected.
#define ORVEL_DECLARE_NOTIFY_MAP()                         \
public:                                                    \
    static const ::Orvel::UiNotifyMap* ClassNotifyMap();   \
                                                           \
protected:                                                 \
    const ::Orvel::UiNotifyMap* NotifyMap() const override;

#define ORVEL_BEGIN_NOTIFY_MAP(Class, Base)                                                  \
    const ::Orvel::UiNotifyMap* Class::NotifyMap() const { return Class::ClassNotifyMap(); } \
    const ::Orvel::UiNotifyMap* Class::ClassNotifyMap() {                                   \
        using NotifyMapClass [[maybe_unused]] = Class;                                      \
        using NotifyMapBase = Base;                                                         \
        static const ::Orvel::UiNotifyMapEntry notifyMapEntries[] = {

// The handler's signature decides how it is called: (UiNotify&) or (WPARAM, LPARAM).
#define ORVEL_ON_NOTIFY(type, controlName, handler) \
    ::Orvel::UiNotifyRow(type, controlName, &NotifyMapClass::handler),

#define ORVEL_END_NOTIFY_MAP()                                                                    \
    ::Orvel::UiNotifyMapEntry{}};                                                                 \
    static const ::Orvel::UiNotifyMap notifyMap = {&NotifyMapBase::ClassNotifyMap, notifyMapEntries}; \
    return &notifyMap;                                                                            \
    }
