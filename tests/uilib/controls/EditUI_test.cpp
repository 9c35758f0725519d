// The edit field on a real window: the native edit window it opens over its
// text while focused, typing into that window, and what the field draws
// while not being edited.
#include "EditUI.h"
#include "EditWnd.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestControls.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"
#include "VerticalLayoutUI.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Orvel;
using Log = std::vector<std::wstring>;

namespace {

constexpr RECT kFieldPos = {10, 10, 210, 40};
constexpr POINT kInField = {100, 25};
constexpr POINT kElsewhere = {100, 60};

BOOL CALLBACK CountEditWindows(HWND child, LPARAM count) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    *reinterpret_cast<int*>(count) += std::wstring(name) == L"EditWnd" ? 1 : 0;
    return TRUE;
}

// A field 200 x 30 on white, and a plain control below it to click on.
class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(1200, 1000);
        Open(L"");
    }
    void TearDown() override { window.Manager().RemoveNotifier(&log); }

    void Open(const wchar_t* attributes, bool layered = false) {
        auto* root = new TestContainer(L"root");
        root->SetBackColor(0xFFFFFFFF);
        edit = root->Add(new CEditUI(), kFieldPos);
        edit->SetName(L"edit");
        edit->ApplyAttributeList(attributes);
        root->Add(new CControlUI(), {10, 50, 210, 70});
        window.Manager().SetLayered(layered);
        ASSERT_TRUE(window.Manager().AttachRoot(root));
        log.ignored = {L"windowinit", L"setfocus", L"killfocus"};
        window.Manager().AddNotifier(&log);
        window.Show();
        UiTestWindow::PumpPending();
    }

    HWND Native() const { return edit->EditWindowHandle(); }
    void Focus() {
        window.Manager().FocusControl(edit);
        UiTestWindow::PumpPending();
        log.entries.clear();
    }
    void Click(POINT point) {
        SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        SendMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        UiTestWindow::PumpPending();
    }
    // Characters as the keyboard brings them to the focused native window.
    void Type(const std::wstring& text) {
        for (wchar_t ch : text) {
            PostMessageW(Native(), WM_CHAR, ch, 1);
        }
        UiTestWindow::PumpPending();
    }
    void Key(WPARAM key) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
        UiTestWindow::PumpPending();
    }
    bool WaitClosed() {
        return UiTestWindow::PumpUntil([&] { return edit->EditWindow() == nullptr; }, 2000);
    }
    std::wstring NativeText() const {
        wchar_t text[64] = {};
        GetWindowTextW(Native(), text, 64);
        return text;
    }
    // The field as the window paints it (the native window is not in it).
    std::vector<DWORD> Field() {
        window.Repaint();
        std::vector<DWORD> pixels;
        for (int y = kFieldPos.top; y < kFieldPos.bottom; ++y) {
            for (int x = kFieldPos.left; x < kFieldPos.right; ++x) {
                pixels.push_back(window.OffscreenPixel(x, y) & 0xFFFFFF);
            }
        }
        return pixels;
    }
    int FieldPixels(const std::function<bool(DWORD)>& test) {
        int count = 0;
        for (DWORD rgb : Field()) {
            count += test(rgb) ? 1 : 0;
        }
        return count;
    }

    UiTestWindow window{240, 80};
    controltest::NotifyLog log;
    CEditUI* edit = nullptr;  // owned by the tree
};

TEST_F(EditTest, FocusOpensTheNativeWindowOverTheTextWithAllOfItSelected) {
    edit->SetText(L"hello");
    ASSERT_EQ(nullptr, Native());
    Focus();
    ASSERT_NE(nullptr, Native());
    EXPECT_EQ(Native(), GetFocus());
    EXPECT_TRUE(IsWindowVisible(Native()));
    EXPECT_EQ(window.Handle(), GetParent(Native()));
    EXPECT_EQ(L"hello", NativeText());
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(Native(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(5u, end);
    EXPECT_EQ(reinterpret_cast<LRESULT>(window.Manager().FontById(-1)), SendMessageW(Native(), WM_GETFONT, 0, 0));

    // Over the text area: inside the padding, one text line high, centred.
    RECT rect = {};
    GetWindowRect(Native(), &rect);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    const int textHeight = window.Manager().FontInfoById(-1)->metrics.tmHeight;
    EXPECT_EQ(CUiRect(14, 25 - textHeight / 2, 206, 25 - textHeight / 2 + textHeight), CUiRect(rect))
        << controltest::RectText(rect);
    EXPECT_EQ(CUiRect(rect), edit->EditWindow()->CalcEditRect());

    // The native window follows the field.
    edit->Shift({0, 5});
    GetWindowRect(Native(), &rect);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(30 - textHeight / 2, rect.top);

    // A new window size keeps the field in editing.
    SendMessageW(window.Handle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 80));
    UiTestWindow::PumpPending();
    EXPECT_NE(nullptr, Native());
    EXPECT_EQ(Native(), GetFocus());
}

TEST_F(EditTest, TypingSetsTheFieldsTextWithOneNotificationPerChange) {
    edit->SetText(L"old");
    Click(kInField);
    ASSERT_NE(nullptr, Native()) << "a click focuses the field";
    log.entries.clear();
    Type(L"new");
    EXPECT_EQ(L"new", std::wstring(edit->Text().Data()));
    EXPECT_EQ(Log(3, L"textchanged:edit"), log.entries);

    // Setting the text while editing shows it in the native window.
    edit->SetText(L"set");
    EXPECT_EQ(L"set", NativeText());
    EXPECT_EQ(L"set", std::wstring(edit->Text().Data()));
}

TEST_F(EditTest, ReturnReportsAndEscapeIsTheEditControlsOwn) {
    Focus();
    Type(L"ab");
    log.entries.clear();
    HWND native = Native();
    Key(VK_RETURN);
    EXPECT_EQ(Log{L"return:edit"}, log.entries);
    EXPECT_EQ(native, Native()) << "still editing";
    EXPECT_EQ(native, GetFocus());
    Key(VK_ESCAPE);
    EXPECT_EQ(Log{L"return:edit"}, log.entries);
    EXPECT_EQ(native, Native());
    EXPECT_EQ(L"ab", std::wstring(edit->Text().Data()));
}

TEST_F(EditTest, LosingTheFocusClosesTheNativeWindowAndTheFieldShowsTheNewText) {
    Focus();
    const int before = FieldPixels([](DWORD rgb) { return rgb == 0; });
    EXPECT_EQ(0, before);
    Type(L"typed");
    HWND native = Native();
    Click(kElsewhere);
    ASSERT_TRUE(WaitClosed());
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(L"typed", std::wstring(edit->Text().Data()));
    EXPECT_GT(FieldPixels([](DWORD rgb) { return rgb == 0; }), 10) << "the text in the default colour";

    // Focused again, the native window opens again.
    Focus();
    EXPECT_EQ(L"typed", NativeText());
    edit->SetVisible(false);
    ASSERT_TRUE(WaitClosed()) << "hiding the field ends editing";
    EXPECT_EQ(nullptr, window.Manager().FocusedControl());
}

TEST_F(EditTest, TheLimitNumberOnlyAndReadOnlyHoldInTheNativeWindow) {
    const struct {
        const wchar_t* attributes;
        const wchar_t* typed;
        const wchar_t* text;
    } cases[] = {
        {L"maxchar=\"5\"", L"abcdefgh", L"abcde"},
        {L"numberonly=\"true\"", L"a1b2", L"12"},
        {L"readonly=\"true\" text=\"keep\"", L"xy", L"keep"},
        {L"", L"abcdefgh", L"abcdefgh"},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(item.attributes)));
        Open(item.attributes);
        Focus();
        Type(item.typed);
        EXPECT_EQ(item.text, std::wstring(edit->Text().Data()));
        EXPECT_EQ(item.text, NativeText());
    }
    // A limit set while editing holds at once.
    edit->SetMaxChar(2);
    edit->SetText(L"");
    Type(L"xyz");
    EXPECT_EQ(L"xy", NativeText());
}

TEST_F(EditTest, ThePlaceholderShowsWhileTheTextIsEmpty) {
    Open(L"tipvalue=\"Name\"");
    const auto tipPixels = [&] { return FieldPixels([](DWORD rgb) { return rgb == 0xBAC0C5; }); };
    EXPECT_GT(tipPixels(), 10);
    Focus();
    Type(L"x");
    EXPECT_EQ(0, tipPixels()) << "the text instead, under the native window";
    edit->SetText(L"Name");
    EXPECT_GT(tipPixels(), 10) << "a text equal to the placeholder is drawn as one";
}

TEST_F(EditTest, PasswordsAreMaskedOnTheFieldAndInTheNativeWindow) {
    // One password character per character, also outside the basic plane.
    const auto drawn = [&](const wchar_t* text, bool password) {
        edit->SetPassword(password);
        edit->SetText(text);
        return Field();
    };
    const std::vector<DWORD> masked = drawn(L"lll", true);
    EXPECT_EQ(masked, drawn(L"WWW", true));
    EXPECT_EQ(masked, drawn(L"a\U0001F600b", true));
    EXPECT_NE(masked, drawn(L"aa\U0001F600b", true));
    EXPECT_EQ(masked, drawn(L"***", false));
    EXPECT_NE(masked, drawn(L"lll", false));
    edit->ApplyAttribute(L"passwordchar", L"#x");
    EXPECT_EQ(drawn(L"abc", true), drawn(L"###", false));

    // The native window masks with the same character.
    const auto printed = [&](const wchar_t* text) {
        edit->SetText(text);
        Focus();
        auto canvas = std::make_unique<TestCanvas>(200, 30);
        SendMessageW(Native(), WM_PRINT, reinterpret_cast<WPARAM>(canvas->Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        window.Manager().FocusControl(nullptr);
        EXPECT_TRUE(WaitClosed());
        return canvas;
    };
    edit->SetPassword(true);
    const auto native = printed(L"lll");
    EXPECT_TRUE(native->SamePixels(*printed(L"WWW")));
    edit->SetPassword(false);
    EXPECT_FALSE(native->SamePixels(*printed(L"WWW")));

    // Switching while editing masks the open window too.
    Focus();
    edit->SetPassword(true);
    EXPECT_EQ(L'#', static_cast<wchar_t>(SendMessageW(Native(), EM_GETPASSWORDCHAR, 0, 0)));
    EXPECT_NE(0, GetWindowLongPtrW(Native(), GWL_STYLE) & ES_PASSWORD);
}

// The focus may come back to the field while its native window is being
// made (a window manager reactivating the window, say): one native window
// opens, and the field keeps it.
TEST_F(EditTest, FocusComingBackWhileTheNativeWindowIsMadeOpensNoSecondOne) {
    bool again = true;
    window.SetHook([&](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_CREATE && again) {
            again = false;
            UiEvent event;
            event.type = UiEventType::SetFocus;
            edit->HandleEvent(event);
        }
        return false;
    });
    window.Manager().FocusControl(edit);
    window.SetHook(nullptr);
    EXPECT_FALSE(again);
    int natives = 0;
    EnumChildWindows(window.Handle(), &CountEditWindows, reinterpret_cast<LPARAM>(&natives));
    EXPECT_EQ(1, natives);
    UiTestWindow::PumpPending();
    ASSERT_NE(nullptr, Native());
    EXPECT_TRUE(IsWindowVisible(Native()));
}

// No character is no mask: a password must never show in clear.
TEST_F(EditTest, AnEmptyPasswordCharacterKeepsTheMask) {
    Open(L"password=\"true\" passwordchar=\"\" text=\"abc\"");
    EXPECT_EQ(L'*', edit->PasswordChar());
    edit->SetPasswordChar(0);
    EXPECT_EQ(L'*', edit->PasswordChar());
    Focus();
    ASSERT_NE(nullptr, Native());
    EXPECT_EQ(L'*', static_cast<wchar_t>(SendMessageW(Native(), EM_GETPASSWORDCHAR, 0, 0)));
    Type(L"d");
    EXPECT_EQ(L'*', static_cast<wchar_t>(SendMessageW(Native(), EM_GETPASSWORDCHAR, 0, 0)));
}

TEST_F(EditTest, NativeColoursComeFromTheFieldOnlyWithANativeBackColour) {
    Focus();
    TestCanvas canvas(10, 10);
    EXPECT_EQ(0, SendMessageW(window.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.Dc()),
                              reinterpret_cast<LPARAM>(Native())))
        << "the edit control's own colours";

    for (const wchar_t* textColor : {L"#FF405060", L"0"}) {
        Open((std::wstring(L"nativebkcolor=\"#FF102030\" textcolor=\"#FF708090\" nativetextcolor=\"") + textColor +
              L"\"")
                 .c_str());
        Focus();
        const LRESULT brush = SendMessageW(window.Handle(), WM_CTLCOLOREDIT,
                                           reinterpret_cast<WPARAM>(canvas.Dc()), reinterpret_cast<LPARAM>(Native()));
        LOGBRUSH info = {};
        ASSERT_EQ(static_cast<int>(sizeof(info)),
                  GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(info), &info));
        EXPECT_EQ(RGB(0x10, 0x20, 0x30), info.lbColor);
        EXPECT_EQ(textColor[0] == L'#' ? RGB(0x40, 0x50, 0x60) : RGB(0x70, 0x80, 0x90), GetTextColor(canvas.Dc()));
        EXPECT_EQ(TRANSPARENT, GetBkMode(canvas.Dc()));
    }
    // The brush paints the native window's background.
    TestCanvas printed(40, 10);
    SendMessageW(Native(), WM_PRINT, reinterpret_cast<WPARAM>(printed.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(0x102030u, printed.Rgb(38, 5));
}

// The popup takes the focus, which hands it and then its owner to the
// (missing) window manager: each takes about 2 s to go under Xvfb.
TEST_F(EditTest, InALayeredWindowTheNativeWindowIsAComposedPopup) {
    Open(L"text=\"abc\"", true);
    ASSERT_TRUE(window.Manager().IsLayered());
    Focus();
    ASSERT_NE(nullptr, Native());
    EXPECT_NE(0, GetWindowLongPtrW(Native(), GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(0, GetWindowLongPtrW(Native(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(1, window.Manager().NativeWindowCount());
    RECT screen = {};
    GetWindowRect(Native(), &screen);
    RECT owner = {};
    GetWindowRect(window.Handle(), &owner);
    const CUiRect rect = edit->EditWindow()->CalcEditRect();
    EXPECT_EQ(owner.left + rect.left, screen.left);
    EXPECT_EQ(owner.top + rect.top - 1, screen.top);
    // Typing repaints the field in the window's own bitmap.
    Type(L"xy");
    EXPECT_EQ(L"xy", std::wstring(edit->Text().Data()));
    window.Manager().FocusControl(nullptr);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(0, window.Manager().NativeWindowCount());
}

TEST_F(EditTest, AFieldDestroyedWhileEditingTakesItsNativeWindowAlong) {
    Focus();
    HWND native = Native();
    ASSERT_NE(nullptr, native);
    Open(L"");
    UiTestWindow::PumpPending();
    EXPECT_FALSE(IsWindow(native));
}

// A "textchanged" handler may delete the field it comes from; the native
// window that sent it is still handling its change then.
TEST(EditLifetimeTest, AChangeHandlerMayDeleteTheField) {
    struct Deleter : INotifyUI {
        void Notify(UiNotify& notify) override {
            if (notify.type != L"textchanged" || field == nullptr) {
                return;
            }
            EXPECT_TRUE(root->Remove(field));
            field = nullptr;
            // The blocks just freed go out again at once, filled: a late read
            // of a deleted object meets garbage instead of its old fields.
            for (size_t size : {sizeof(CEditWnd), sizeof(CEditUI)}) {
                for (int i = 0; i < 32; ++i) {
                    poison.emplace_back(new unsigned char[size]);
                    std::memset(poison.back().get(), 0xFF, size);
                }
            }
        }
        CVerticalLayoutUI* root = nullptr;
        CEditUI* field = nullptr;
        std::vector<std::unique_ptr<unsigned char[]>> poison;
    } deleter;
    UiTestWindow window{240, 80};
    deleter.root = new CVerticalLayoutUI();
    deleter.root->SetDefersChildDeletion(false);
    deleter.field = new CEditUI();
    deleter.root->Add(deleter.field);
    ASSERT_TRUE(window.Manager().AttachRoot(deleter.root));
    window.Manager().AddNotifier(&deleter);
    window.Show();
    window.Manager().FocusControl(deleter.field);
    HWND native = deleter.field->EditWindowHandle();
    ASSERT_NE(nullptr, native);
    PostMessageW(native, WM_CHAR, L'x', 1);
    UiTestWindow::PumpPending();
    EXPECT_EQ(nullptr, deleter.field);
    EXPECT_EQ(0, deleter.root->ItemCount());
    EXPECT_FALSE(IsWindow(native));
    window.Manager().RemoveNotifier(&deleter);
}

TEST(EditMarkupTest, TheBuilderMakesFieldsWithTheirAttributes) {
    CLayoutBuilder builder;
    std::unique_ptr<CControlUI> control(builder.Build(
        L"<Window><Edit password=\"true\" passwordchar=\"#\" maxchar=\"12\" readonly=\"true\" numberonly=\"true\" "
        L"tipvalue=\"tip\" tipvaluecolor=\"#FF010203\" nativetextcolor=\"FF040506\" nativebkcolor=\"#FF070809\"/>"
        L"</Window>"));
    auto* edit = static_cast<CEditUI*>(control ? control->CastTo(L"Edit") : nullptr);
    ASSERT_NE(nullptr, edit);
    EXPECT_NE(nullptr, edit->CastTo(L"label"));
    EXPECT_TRUE(edit->IsPassword());
    EXPECT_EQ(L'#', edit->PasswordChar());
    EXPECT_EQ(12u, edit->MaxChar());
    EXPECT_TRUE(edit->IsReadOnly());
    EXPECT_TRUE(edit->IsNumberOnly());
    EXPECT_EQ(UINT{ES_NUMBER}, edit->ExtraWindowStyle());
    EXPECT_EQ(L"tip", std::wstring(edit->TipValue().Data()));
    EXPECT_EQ(0xFF010203u, edit->TipValueColor());
    EXPECT_EQ(0xFF040506u, edit->NativeTextColor());
    EXPECT_EQ(0xFF070809u, edit->NativeBkColor());
    EXPECT_EQ(CUiRect(4, 3, 4, 3), edit->TextPadding());
    CEditUI plain;
    EXPECT_EQ(0xFFBAC0C5u, plain.TipValueColor());
    EXPECT_EQ(CEditUI::kNoNativeColor, plain.NativeBkColor());
    EXPECT_EQ(255u, plain.MaxChar());
    EXPECT_EQ(L'*', plain.PasswordChar());
}

}  // namespace
