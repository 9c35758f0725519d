#include "DateTimeUI.h"
#include "DateTimeWnd.h"
#include "PaintManagerUI.h"
#include "TestControls.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

using namespace Orvel;
using controltest::RectText;

namespace {

SYSTEMTIME Date(WORD year, WORD month, WORD day) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    return time;
}

std::wstring TextOf(const CControlUI& control) {
    return control.Text().Data();
}

HWND Picker(const CDateTimeUI& field) {
    return field.NativeWindow() != nullptr ? field.NativeWindow()->Handle() : nullptr;
}

SYSTEMTIME PickerDate(HWND picker) {
    SYSTEMTIME time = {};
    SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

// The window's place of a child window, in client coordinates.
RECT ChildRect(HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// One shown window for the whole suite: a window that took the focus is
// slow to go away. Its tree holds a date field, a tab stop to move the focus
// to, and a second field mostly outside a small container.
class DateTimeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window = new UiTestWindow(240, 120);
        auto* root = new TestContainer(L"root");
        field = root->Add(new CDateTimeUI(), {10, 10, 130, 34});
        other = root->Add(new RecordingControl(L"other", UiTraitTabStop), {10, 50, 130, 74});
        auto* narrow = root->Add(new TestContainer(L"narrow"), {150, 10, 190, 40});
        clipped = narrow->Add(new CDateTimeUI(), {0, 0, 100, 24});
        window->Manager().AttachRoot(root);
        window->Show();
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
    }

    void SetUp() override {
        Manager().FocusControl(other);
        UiTestWindow::PumpUntil([] { return field->NativeWindow() == nullptr && clipped->NativeWindow() == nullptr; });
        field->SetTime(Date(2024, 3, 7));
    }

    static CPaintManagerUI& Manager() { return window->Manager(); }

    // Opens the field's picker the way a click on it does.
    static HWND Open(CDateTimeUI* target) {
        Manager().FocusControl(target);
        UiEvent press;
        press.type = UiEventType::ButtonDown;
        press.mousePoint = {target->ItemRect().left + 2, target->ItemRect().top + 2};
        target->HandleEvent(press);
        return Picker(*target);
    }

    static bool Closed(const CDateTimeUI& target) {
        return UiTestWindow::PumpUntil([&] { return target.NativeWindow() == nullptr; });
    }

    // What the picker tells its parent.
    static void Notify(HWND picker, UINT code) {
        NMHDR header = {picker, static_cast<UINT_PTR>(GetDlgCtrlID(picker)), code};
        SendMessageW(GetParent(picker), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    static UiTestWindow* window;
    static CDateTimeUI* field;
    static CDateTimeUI* clipped;
    static RecordingControl* other;
};

UiTestWindow* DateTimeTest::window = nullptr;
CDateTimeUI* DateTimeTest::field = nullptr;
CDateTimeUI* DateTimeTest::clipped = nullptr;
RecordingControl* DateTimeTest::other = nullptr;

TEST(DateTimeTextTest, TodayThenAnyDateAsFourDigitYearAndTwoDigitMonthAndDay) {
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    CDateTimeUI field;
    wchar_t expected[16] = {};
    swprintf(expected, 16, L"%04d-%02d-%02d", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(expected, TextOf(field));
    EXPECT_EQ(today.wDay, field.Time().wDay);

    const struct {
        SYSTEMTIME date;
        const wchar_t* text;
    } dates[] = {
        {Date(999, 1, 2), L" 999-01-02"},
        {Date(7, 12, 31), L"   7-12-31"},
        {Date(2024, 3, 7), L"2024-03-07"},
    };
    for (const auto& date : dates) {
        field.SetTime(date.date);
        EXPECT_EQ(date.text, TextOf(field));
    }
    field.SetUpdateMode(CDateTimeUI::ClearText);
    field.UpdateText();
    EXPECT_EQ(L"", TextOf(field));
    field.SetTime(Date(2024, 3, 7));
    EXPECT_EQ(L"2024-03-07", TextOf(field));
}

TEST_F(DateTimeTest, FocusOpensThePickerOverTheFieldWithItsDate) {
    Manager().FocusControl(field);
    const HWND picker = Picker(*field);
    ASSERT_NE(nullptr, picker);
    wchar_t className[64] = {};
    GetClassNameW(picker, className, 64);
    EXPECT_STREQ(L"DateTimeWnd", className);
    EXPECT_TRUE(IsWindowVisible(picker));
    EXPECT_EQ(window->Handle(), GetParent(picker));
    EXPECT_EQ(RectText({10, 10, 130, 34}), RectText(ChildRect(picker)));
    EXPECT_EQ(picker, GetFocus());
    const SYSTEMTIME shown = PickerDate(picker);
    EXPECT_EQ(2024, shown.wYear);
    EXPECT_EQ(3, shown.wMonth);
    EXPECT_EQ(7, shown.wDay);
}

TEST_F(DateTimeTest, KeysChangeTheDateAndEscapeRestoresIt) {
    const HWND picker = Open(field);
    ASSERT_NE(nullptr, picker);
    // Wine's picker selects no field when it takes the focus (Windows selects
    // the first); moving to a field first works with either.
    for (WPARAM key : {VK_RIGHT, VK_UP}) {
        SendMessageW(picker, WM_KEYDOWN, key, 0);
        SendMessageW(picker, WM_KEYUP, key, 0);
    }
    EXPECT_NE(L"2024-03-07", TextOf(*field)) << "the picked date is shown at once";
    SendMessageW(picker, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(L"2024-03-07", TextOf(*field));
    EXPECT_TRUE(Closed(*field));
    EXPECT_FALSE(IsWindow(picker));
}

TEST_F(DateTimeTest, LosingTheFocusClosesThePickerAndKeepsTheDate) {
    const HWND picker = Open(field);
    ASSERT_NE(nullptr, picker);
    SYSTEMTIME picked = Date(2031, 11, 5);
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
    Notify(picker, DTN_DATETIMECHANGE);
    EXPECT_EQ(L"2031-11-05", TextOf(*field));
    Manager().FocusControl(other);
    EXPECT_TRUE(Closed(*field));
    EXPECT_EQ(L"2031-11-05", TextOf(*field));
    EXPECT_EQ(2031, field->Time().wYear);
}

TEST_F(DateTimeTest, ADroppedDownCalendarKeepsThePickerUntilItCloses) {
    for (bool focusFirst : {false, true}) {
        SCOPED_TRACE(focusFirst ? "the calendar takes the focus, then the picker reports it" : "reported first");
        const HWND picker = Open(field);
        ASSERT_NE(nullptr, picker);
        if (focusFirst) {
            SetFocus(window->Handle());
        }
        Notify(picker, DTN_DROPDOWN);
        SetFocus(window->Handle());
        UiTestWindow::PumpPending();
        ASSERT_NE(nullptr, field->NativeWindow()) << "the calendar has the focus for now";
        SYSTEMTIME picked = Date(2025, 1, focusFirst ? 30 : 31);
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&picked));
        Notify(picker, DTN_CLOSEUP);
        EXPECT_EQ(focusFirst ? L"2025-01-30" : L"2025-01-31", TextOf(*field));
        EXPECT_TRUE(Closed(*field));
    }
}

TEST_F(DateTimeTest, ThePickerIsCutToItsAncestors) {
    const HWND picker = Open(clipped);
    ASSERT_NE(nullptr, picker);
    EXPECT_EQ(RectText({150, 10, 190, 34}), RectText(ChildRect(picker)));
}

TEST_F(DateTimeTest, ResizingTheWindowClosesThePicker) {
    ASSERT_NE(nullptr, Open(field));
    SendMessageW(window->Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 120));
    EXPECT_TRUE(Closed(*field));
    EXPECT_EQ(other, Manager().FocusedControl()) << "the focus moved on";
}

TEST_F(DateTimeTest, DestroyingTheFieldClosesItsPicker) {
    auto doomed = std::make_unique<CDateTimeUI>();
    doomed->Attach(&Manager(), nullptr, false);
    doomed->Place({10, 80, 130, 104});
    const HWND picker = Open(doomed.get());
    ASSERT_NE(nullptr, picker);
    doomed.reset();
    EXPECT_FALSE(IsWindow(picker));
    UiTestWindow::PumpPending();
    EXPECT_EQ(nullptr, Manager().FocusedControl());
}

}  // namespace
