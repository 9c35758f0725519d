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

// Counts how often the field reads the host's address.
class CountingField : public CIPAddressUI {
public:
    mutable int reads = 0;

protected:
    DWORD ReadHostAddress() const override {
        ++reads;
        return 0x0A000009;
    }
};

// Reading the host's address may be slow on a badly configured network: a
// field does it once, and only when something needs it.
TEST(IPAddressTextTest, TheHostsAddressIsReadOnceAndOnlyWhenNeeded) {
    CountingField unread;
    EXPECT_EQ(0, unread.reads) << "not at construction";

    CountingField shown;
    EXPECT_EQ(L"10.0.0.9", TextOf(shown));
    EXPECT_EQ(0x0A000009u, shown.Address());
    EXPECT_EQ(L"10.0.0.9", TextOf(shown));
    EXPECT_EQ(1, shown.reads);

    CountingField set;
    set.SetAddress(0xC0A80105);
    set.SetText(L"");
    set.SetAddress(0x01020304);
    EXPECT_EQ(L"1.2.3.4", TextOf(set));
    EXPECT_EQ(0, set.reads) << "an address of its own needs none";

    // Joining a window shows it: the address is read then.
    UiTestWindow window(200, 60);
    auto* root = new TestContainer(L"root");
    auto* joined = root->Add(new CountingField(), {10, 10, 170, 34});
    EXPECT_EQ(0, joined->reads);
    window.Manager().AttachRoot(root);
    EXPECT_EQ(1, joined->reads);
    window.Show();
    EXPECT_EQ(1, joined->reads);
    EXPECT_EQ(L"10.0.0.9", TextOf(*joined));
}

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

// A control only hidden would swallow the wheel for good, never open again
// as the focus comes back, and show again where the field used to be.
TEST_F(IPAddressTest, LeavingTheControlTakesItsAddressAndClosesIt) {
    const HWND native = Open();
    ASSERT_NE(nullptr, native);
    SendMessageW(native, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 3));
    Manager().FocusControl(other);
    EXPECT_TRUE(Closed());
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(L"10.1.2.3", TextOf(*field));
    EXPECT_EQ(0x0A010203u, field->Address());

    // The focus coming back opens a new one, over the field where it is now.
    field->Place(CUiRect(20, 40, 180, 64));
    Manager().FocusControl(field);
    const HWND reopened = Native(*field);
    ASSERT_NE(nullptr, reopened);
    EXPECT_TRUE(IsWindowVisible(reopened));
    RECT rect = {};
    GetWindowRect(reopened, &rect);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(RectText({20, 40, 180, 64}), RectText(rect));
    EXPECT_EQ(0x0A010203u, NativeAddress(reopened));
    Manager().FocusControl(other);
    EXPECT_TRUE(Closed());
    field->Place(CUiRect(10, 10, 170, 34));
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

// Backspace and Delete edit the parts; only an address erased to its last
// part clears the field.
TEST_F(IPAddressTest, ErasingKeysEditUntilTheWholeAddressIsGone) {
    const struct {
        const char* what;
        std::vector<WPARAM> keys;  // typed into the first part, all of it selected
        DWORD address;             // the control's address afterwards
    } cases[] = {
        {"a digit, then Backspace", {'1', VK_BACK}, MAKEIPADDRESS(0, 168, 1, 5)},
        {"Delete over the part", {VK_DELETE}, MAKEIPADDRESS(0, 168, 1, 5)},
        {"Backspace, twice", {VK_BACK, VK_BACK}, MAKEIPADDRESS(0, 168, 1, 5)},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        const HWND native = Open();
        ASSERT_NE(nullptr, native);
        HWND first = GetWindow(native, GW_CHILD);
        SetFocus(first);
        SendMessageW(first, EM_SETSEL, 0, -1);
        for (WPARAM key : item.keys) {
            if (key == VK_BACK || key == VK_DELETE) {
                PressKey(key);
            } else {
                PostMessageW(GetFocus(), WM_CHAR, key, 1);
                UiTestWindow::PumpPending();
            }
        }
        EXPECT_EQ(native, Native(*field)) << "still open";
        EXPECT_EQ(L"192.168.1.5", TextOf(*field));
        EXPECT_EQ(item.address, NativeAddress(native));
        Manager().FocusControl(other);
        EXPECT_TRUE(Closed());
        field->SetAddress(0xC0A80105);
    }
}

TEST_F(IPAddressTest, DeleteOnAnErasedAddressClearsTheTextAndClosesTheWindow) {
    const HWND native = Open();
    ASSERT_NE(nullptr, native);
    SendMessageW(native, IPM_CLEARADDRESS, 0, 0);
    SetFocus(GetWindow(native, GW_CHILD));
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
