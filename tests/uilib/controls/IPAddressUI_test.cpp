#include "IPAddressUI.h"
#include "IPAddressWnd.h"
#include "PaintManagerUI.h"
#include "TestControls.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace Orvel;
using controltest::RectText;

namespace {

std::wstring TextOf(const CControlUI& control) {
    return control.Text().Data();
}

HWND Native(const CIPAddressUI& field) {
    return field.NativeWindow() != nullptr ? field.NativeWindow()->Handle() : nullptr;
}

DWORD NativeAddress(HWND native) {
    DWORD address = 0;
    SendMessageW(native, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return address;
}

// The addresses the fixture found for the host, as texts.
std::vector<std::wstring> HostAddressTexts() {
    std::vector<std::wstring> texts;
    const char* found = std::getenv("HOST_ADDRESSES");
    std::istringstream words(found != nullptr ? found : "");
    for (std::string word; words >> word;) {
        texts.emplace_back(word.begin(), word.end());
    }
    return texts;
}

// A key pressed and released in the edit field that has the focus, as the
// keyboard delivers it.
void PressKey(WPARAM key) {
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    UiTestWindow::PumpPending();
}

// One shown window for the whole suite (a window that took the focus is
// slow to go away): an address field and a tab stop to move the focus to.
class IPAddressTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window = new UiTestWindow(240, 100);
        auto* root = new TestContainer(L"root");
        field = root->Add(new CIPAddressUI(), {10, 10, 170, 34});
        other = root->Add(new RecordingControl(L"other", UiTraitTabStop), {10, 50, 130, 74});
        window->Manager().AttachRoot(root);
        window->Show();
    }
    static void TearDownTestSuite() {
        delete window;
        window = nullptr;
    }

    void SetUp() override {
        Manager().FocusControl(other);
        if (HWND native = Native(*field)) {
            DestroyWindow(native);
        }
        field->SetReadOnly(false);
        field->SetAddress(0xC0A80105);
    }

    static CPaintManagerUI& Manager() { return window->Manager(); }

    // Opens the native window the way a click on the field does.
    static HWND Open() {
        Manager().FocusControl(field);
        UiEvent press;
        press.type = UiEventType::ButtonDown;
        press.mousePoint = {field->ItemRect().left + 2, field->ItemRect().top + 2};
        field->HandleEvent(press);
        return Native(*field);
    }

    static bool Closed() {
        return UiTestWindow::PumpUntil([] { return field->NativeWindow() == nullptr; });
    }

    static UiTestWindow* window;
    static CIPAddressUI* field;
    static RecordingControl* other;
};

UiTestWindow* IPAddressTest::window = nullptr;
CIPAddressUI* IPAddressTest::field = nullptr;
RecordingControl* IPAddressTest::other = nullptr;

TEST(IPAddressTextTest, ANewFieldShowsTheHostsAddress) {
    CIPAddressUI field;
    const std::vector<std::wstring> expected = HostAddressTexts();
    ASSERT_FALSE(expected.empty()) << "set by the fixture";
    EXPECT_NE(expected.end(), std::find(expected.begin(), expected.end(), TextOf(field)))
        << testing::PrintToString(TextOf(field)) << " not in " << testing::PrintToString(expected);

    const struct {
        DWORD address;
        const wchar_t* text;
    } addresses[] = {{0xC0A80105, L"192.168.1.5"}, {0, L"0.0.0.0"}, {0xFFFFFFFF, L"255.255.255.255"},
                     {0x0A000001, L"10.0.0.1"}};
    for (const auto& address : addresses) {
        field.SetAddress(address.address);
        EXPECT_EQ(address.text, TextOf(field));
    }
}

TEST_F(IPAddressTest, FocusOpensTheControlOverTheFieldWithItsAddress) {
    Manager().FocusControl(field);
    const HWND native = Native(*field);
    ASSERT_NE(nullptr, native);
    wchar_t className[64] = {};
    GetClassNameW(native, className, 64);
    EXPECT_STREQ(L"IPAddressWnd", className);
    EXPECT_TRUE(IsWindowVisible(native));
    RECT rect = {};
    GetWindowRect(native, &rect);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(RectText({10, 10, 170, 34}), RectText(rect));
    EXPECT_EQ(0xC0A80105u, NativeAddress(native));
    EXPECT_TRUE(IsChild(native, GetFocus())) << "one of its fields has the focus";
}

TEST_F(IPAddressTest, LeavingTheControlTakesItsAddressAndHidesIt) {
    const HWND native = Open();
    ASSERT_NE(nullptr, native);
    SendMessageW(native, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 3));
    Manager().FocusControl(other);
    UiTestWindow::PumpPending();
    EXPECT_EQ(L"10.1.2.3", TextOf(*field));
    EXPECT_EQ(0x0A010203u, field->Address());
    EXPECT_FALSE(IsWindowVisible(native)) << "hidden, not closed";
    EXPECT_EQ(native, Native(*field));
    EXPECT_EQ(native, Open()) << "a click shows it again";
    EXPECT_TRUE(IsWindowVisible(native));
}

TEST_F(IPAddressTest, TypingMovesBetweenItsOwnFieldsWithoutClosing) {
    const HWND native = Open();
    ASSERT_NE(nullptr, native);
    SendMessageW(native, IPM_CLEARADDRESS, 0, 0);
    SetFocus(GetWindow(native, GW_CHILD));
    for (wchar_t ch : std::wstring(L"172.16.0.9")) {
        PostMessageW(GetFocus(), WM_CHAR, ch, 1);
        UiTestWindow::PumpPending();
    }
    EXPECT_TRUE(IsWindowVisible(native));
    EXPECT_EQ(L"192.168.1.5", TextOf(*field)) << "nothing written back while editing";
    Manager().FocusControl(other);
    UiTestWindow::PumpPending();
    EXPECT_EQ(L"172.16.0.9", TextOf(*field));
}

TEST_F(IPAddressTest, DeleteClearsTheTextAndClosesTheWindow) {
    const HWND native = Open();
    ASSERT_NE(nullptr, native);
    PressKey(VK_DELETE);
    EXPECT_TRUE(Closed());
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(L"", TextOf(*field));
    // An empty field starts again from the host's address.
    const HWND reopened = Open();
    ASSERT_NE(nullptr, reopened);
    EXPECT_EQ(CIPAddressUI::LocalHostAddress(), NativeAddress(reopened));
}

TEST_F(IPAddressTest, EscapeClosesTheWindowAndKeepsTheText) {
    const HWND native = Open();
    ASSERT_NE(nullptr, native);
    SendMessageW(native, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 9, 9, 9));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(L"192.168.1.5", TextOf(*field));
}

TEST_F(IPAddressTest, AReadOnlyFieldOpensNothing) {
    field->SetReadOnly(true);
    EXPECT_EQ(nullptr, Open());
    EXPECT_EQ(L"192.168.1.5", TextOf(*field));
}

}  // namespace
