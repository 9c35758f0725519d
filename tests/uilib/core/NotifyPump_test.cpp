// Notification routing by type and sender name through chained tables, and
// through virtual windows first.
#include "ControlUI.h"
#include "NotifyPump.h"
#include "UiEvent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Orvel;

namespace {

// The base table: "click" from "ok", and from anyone else; "timer" with its parameters.
class BasePump : public CNotifyPump {
public:
    std::vector<std::string> calls;

    void OnOk(UiNotify&) { calls.push_back("base ok"); }
    void OnAnyClick(UiNotify&) { calls.push_back("base any click"); }
    void OnCancel(UiNotify&) { calls.push_back("base cancel"); }
    void OnTimer(WPARAM wParam, LPARAM lParam) {
        calls.push_back("base timer " + std::to_string(wParam) + "," + std::to_string(lParam));
    }

    ORVEL_DECLARE_NOTIFY_MAP()
};

ORVEL_BEGIN_NOTIFY_MAP(BasePump, CNotifyPump)
ORVEL_ON_NOTIFY(L"click", L"ok", OnOk)
ORVEL_ON_NOTIFY(L"click", L"", OnAnyClick)
ORVEL_ON_NOTIFY(L"click", L"cancel", OnCancel)
ORVEL_ON_NOTIFY(L"timer", L"", OnTimer)
ORVEL_END_NOTIFY_MAP()

// Takes "click" from "apply" and every "select" before the base sees them.
class DerivedPump : public BasePump {
public:
    void OnApply(UiNotify&) { calls.push_back("derived apply"); }
    void OnAnySelect(UiNotify& notify) { calls.push_back("derived select " + std::to_string(notify.wParam)); }

    ORVEL_DECLARE_NOTIFY_MAP()
};

ORVEL_BEGIN_NOTIFY_MAP(DerivedPump, BasePump)
ORVEL_ON_NOTIFY(L"select", L"", OnAnySelect)
ORVEL_ON_NOTIFY(L"click", L"apply", OnApply)
ORVEL_END_NOTIFY_MAP()

// No table of its own: the base's decides.
class PlainPump : public BasePump {};

struct Sent {
    const wchar_t* type;
    const wchar_t* sender;  // null: no sender
    const char* call;       // null: not handled
};

class NotifyPumpTest : public ::testing::Test {
protected:
    UiNotify Make(const wchar_t* type, const wchar_t* sender, const wchar_t* virtualWindow = L"") {
        UiNotify notify;
        notify.type = type;
        notify.virtualWindow = virtualWindow;
        if (sender != nullptr) {
            controls.emplace_back(new CControlUI());
            controls.back()->SetName(sender);
            notify.sender = controls.back().get();
        }
        return notify;
    }
    void Expect(BasePump& pump, const Sent& sent) {
        SCOPED_TRACE(testing::Message() << "type " << sent.type << " sender " << (sent.sender ? sent.sender : L"-"));
        pump.calls.clear();
        UiNotify notify = Make(sent.type, sent.sender);
        notify.wParam = 3;
        notify.lParam = 4;
        EXPECT_EQ(sent.call != nullptr, pump.Dispatch(notify));
        EXPECT_EQ(sent.call ? std::vector<std::string>{sent.call} : std::vector<std::string>{}, pump.calls);
    }

    std::vector<std::unique_ptr<CControlUI>> controls;
};

TEST_F(NotifyPumpTest, ExactNamesComeBeforeAnySenderWithinATable) {
    BasePump pump;
    const Sent cases[] = {
        {L"click", L"ok", "base ok"},
        {L"click", L"cancel", "base cancel"},
        {L"click", L"OK", "base any click"},
        {L"click", L"", "base any click"},
        {L"click", nullptr, "base any click"},
        {L"timer", L"clock", "base timer 3,4"},
        {L"Click", L"ok", nullptr},
        {L"select", L"ok", nullptr},
    };
    for (const Sent& sent : cases) Expect(pump, sent);
}

TEST_F(NotifyPumpTest, TheMostDerivedTableIsAskedFirst) {
    DerivedPump derived;
    const Sent cases[] = {
        {L"click", L"apply", "derived apply"},
        {L"select", L"list", "derived select 3"},
        // The derived table has nothing for these, so the base's answers.
        {L"click", L"ok", "base ok"},
        {L"click", L"other", "base any click"},
        {L"timer", nullptr, "base timer 3,4"},
        {L"menu", L"ok", nullptr},
    };
    for (const Sent& sent : cases) Expect(derived, sent);

    PlainPump plain;
    Expect(plain, {L"click", L"ok", "base ok"});
    Expect(plain, {L"select", L"list", nullptr});
}

TEST_F(NotifyPumpTest, VirtualWindowsNamedByTheNotificationGoFirst) {
    BasePump window;
    DerivedPump page;
    EXPECT_TRUE(window.AddVirtualWindow(L"Settings", &page));
    EXPECT_FALSE(window.AddVirtualWindow(L"SETTINGS", &window)) << "names ignore case";
    EXPECT_FALSE(window.AddVirtualWindow(L"", &page));

    UiNotify forPage = Make(L"click", L"ok", L"settings");
    EXPECT_TRUE(window.Dispatch(forPage));
    EXPECT_EQ((std::vector<std::string>{"base ok"}), page.calls);
    EXPECT_TRUE(window.calls.empty());

    // The page takes no "menu": the window's own table is asked next, and refuses it too.
    UiNotify menu = Make(L"menu", L"ok", L"Settings");
    EXPECT_FALSE(window.Dispatch(menu));

    // Not the page's name, or no name: the window's own table.
    page.calls.clear();
    for (const wchar_t* name : {L"other", L""}) {
        UiNotify notify = Make(L"click", L"ok", name);
        EXPECT_TRUE(window.Dispatch(notify));
    }
    EXPECT_EQ((std::vector<std::string>{"base ok", "base ok"}), window.calls);
    EXPECT_TRUE(page.calls.empty());

    EXPECT_TRUE(window.RemoveVirtualWindow(L"SETTINGS"));
    EXPECT_FALSE(window.RemoveVirtualWindow(L"settings"));
    window.calls.clear();
    UiNotify again = Make(L"select", L"list", L"settings");
    EXPECT_FALSE(window.Dispatch(again)) << "the page is gone; the window takes no select";
    EXPECT_TRUE(page.calls.empty());
}

}  // namespace
