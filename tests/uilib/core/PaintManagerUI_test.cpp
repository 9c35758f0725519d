#include "ControlUI.h"
#include "PaintManagerUI.h"
#include "TestPng.h"
#include "TestWindow.h"
#include "UiDrawInfo.h"
#include "UiImageInfo.h"
#include "UiInterfaces.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace Orvel;

namespace {

// Logs notifications as "type:sender" and, as a notify hook, "hook:type".
class Recorder : public INotifyUI {
public:
    void Notify(UiNotify& notify) override {
        log.push_back(std::wstring(notify.type.Data()) + L":" +
                      (notify.sender != nullptr ? notify.sender->Name().Data() : L"-"));
        if (onNotify) {
            onNotify();
        }
    }
    bool Hook(void* param) {
        log.push_back(std::wstring(L"hook:") + static_cast<UiNotify*>(param)->type.Data());
        return true;
    }

    std::vector<std::wstring> log;
    std::function<void()> onNotify;
};

CControlUI* Named(const wchar_t* name) {
    auto* control = new CControlUI();
    control->SetName(name);
    return control;
}

TEST(PaintManagerFontsTest, RegisteredFontsReplaceFallBackAndScale) {
    CPaintManagerUI manager;
    HFONT first = manager.RegisterFont(1, L"", 12, FW_NORMAL, false, false);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, manager.FontById(1));
    HFONT second = manager.RegisterFont(1, L"", 14, FW_BOLD, false, true);
    EXPECT_EQ(second, manager.FontById(1));
    EXPECT_EQ(0u, GetObjectType(first)) << "the replaced font is deleted";
    EXPECT_EQ(FW_BOLD, manager.FontInfoById(1)->weight);
    EXPECT_TRUE(manager.FontInfoById(1)->hasMetrics);
    EXPECT_EQ(second, manager.FindFontByAttributes(L"", 14, FW_BOLD, false, true));
    EXPECT_EQ(nullptr, manager.FindFontByAttributes(L"", 14, FW_BOLD, false, false));

    HFONT fallback = manager.DefaultFontInfo()->font;
    EXPECT_EQ(fallback, manager.FontById(-1));
    EXPECT_EQ(fallback, manager.FontById(77));
    EXPECT_EQ(manager.DefaultFontInfo(), manager.FontInfoByHandle(reinterpret_cast<HFONT>(0x1234)));
    manager.SetDefaultFont(L"", 20, FW_BOLD, true, false);
    EXPECT_NE(fallback, manager.FontById(-1));
    EXPECT_EQ(20, manager.DefaultFontInfo()->size);

    CPaintManagerUI scaled;
    scaled.DpiScale().SetDpi(144);
    LOGFONTW description = {};
    GetObjectW(scaled.RegisterFont(2, L"", 12, FW_NORMAL, false, false), sizeof(description), &description);
    EXPECT_EQ(-18, description.lfHeight);
}

TEST(PaintManagerFontsTest, SharedFontsAreFoundAfterTheWindowsOwn) {
    CPaintManagerUI one;
    CPaintManagerUI two;
    HFONT shared = one.RegisterFont(5, L"", 11, FW_NORMAL, false, false, true);
    EXPECT_EQ(shared, two.FontById(5));
    HFONT own = two.RegisterFont(5, L"", 13, FW_NORMAL, false, false);
    EXPECT_EQ(own, two.FontById(5));
    EXPECT_EQ(shared, one.FontById(5));
    two.SetSharedResources(true);
    HFONT redirected = two.RegisterFont(6, L"", 9, FW_NORMAL, false, false);
    EXPECT_EQ(redirected, one.FontById(6));
}

TEST(PaintManagerImagesTest, TablesCacheReplaceAndShare) {
    ASSERT_TRUE(testpng::WriteSolid(L"cached.png", 3, 2, 0xFF00FF00));
    CPaintManagerUI one;
    CPaintManagerUI two;
    const UiImageInfo* loaded = one.FindOrLoadImage(L"cached.png", nullptr, 0, false);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(3, loaded->width);
    EXPECT_EQ(loaded, one.FindOrLoadImage(L"cached.png", nullptr, 0, false));
    EXPECT_EQ(nullptr, two.FindImage(L"cached.png"));

    EXPECT_EQ(nullptr, one.AddImage(L"bk", L"png", 0, false, false));
    EXPECT_EQ(nullptr, one.AddImage(L"", nullptr, 0, false, false));
    const UiImageInfo* shared = one.AddImage(L"cached.png", nullptr, 0, false, true);
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(shared, two.FindImage(L"cached.png"));
    EXPECT_EQ(loaded, one.FindImage(L"cached.png"));

    one.RemoveImage(L"cached.png");
    EXPECT_EQ(shared, one.FindImage(L"cached.png"));
    one.RemoveImage(L"cached.png", true);
    EXPECT_EQ(nullptr, two.FindImage(L"cached.png"));
}

TEST(PaintManagerImagesTest, HslAdjustsImagesThatTakePartAndRestoresThem) {
    ASSERT_TRUE(testpng::WriteSolid(L"hsl.png", 1, 1, 0xFFFF0000));
    TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
    CPaintManagerUI manager;
    manager.Attach(window.Handle(), L"hsl");
    const UiImageInfo* adjusted = manager.AddImage(L"hsl.png", nullptr, 0, true, false);
    ASSERT_NE(nullptr, adjusted);
    auto pixel = [adjusted] { return *reinterpret_cast<const DWORD*>(adjusted->bits); };
    CPaintManagerUI::SetHsl(true, 300, 100, 100);
    EXPECT_EQ(0xFF00FF00u, pixel());
    CPaintManagerUI::SetHsl(false, 300, 100, 100);
    EXPECT_EQ(0xFFFF0000u, pixel());
    CPaintManagerUI::SetHsl(false, 180, 100, 100);
}

TEST(PaintManagerDrawInfoTest, RecordsAreCachedPerStringPair) {
    CPaintManagerUI manager;
    const UiDrawInfo* info = manager.LookupDrawInfo(L"file='a.png'", L"dest='0,0,4,4'");
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(info, manager.LookupDrawInfo(L"file='a.png'", L"dest='0,0,4,4'"));
    EXPECT_EQ(std::wstring(L"a.png"), info->name.Data());
    EXPECT_NE(manager.LookupDrawInfo(L"ab", L"c"), manager.LookupDrawInfo(L"a", L"bc"));
    EXPECT_EQ(nullptr, manager.LookupDrawInfo(L"", nullptr));
}

// Registering as a drop target starts OLE's marshalling for the window, so
// a window takes drops only once one of its controls does.
TEST(PaintManagerDropTest, AWindowIsADropTargetOnlyWhileAControlTakesDrops) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
        auto registered = [&window] { return GetPropW(window.Handle(), L"OleDropTargetInterface") != nullptr; };
        CPaintManagerUI manager;
        manager.Attach(window.Handle(), L"drops");
        CControlUI* root = Named(L"root");
        ASSERT_TRUE(manager.AttachRoot(root));
        EXPECT_FALSE(registered()) << "nothing in the tree takes drops";
        root->SetDropTarget(true);
        EXPECT_TRUE(registered());

        TestWindow other([](UINT, WPARAM, LPARAM) { return false; });
        CPaintManagerUI built;
        built.Attach(other.Handle(), L"built");
        CControlUI* dropping = Named(L"dropping");
        dropping->SetDropTarget(true);
        ASSERT_TRUE(built.AttachRoot(dropping));
        EXPECT_NE(nullptr, GetPropW(other.Handle(), L"OleDropTargetInterface")) << "a tree bound with one";
    }
    OleUninitialize();
}

TEST(PaintManagerStylesTest, WindowListsComeBeforeSharedOnes) {
    CPaintManagerUI manager;
    CPaintManagerUI other;
    other.AddStyle(L"big", L"width=\"90\"", true);
    other.AddDefaultAttributeList(L"Button", L"height=\"20\"", true);
    EXPECT_EQ(std::wstring(L"width=\"90\""), manager.FindStyle(L"big"));
    manager.AddStyle(L"big", L"width=\"10\"");
    EXPECT_EQ(std::wstring(L"width=\"10\""), manager.FindStyle(L"big"));
    EXPECT_EQ(std::wstring(L"height=\"20\""), manager.DefaultAttributeList(L"Button"));
    EXPECT_EQ(nullptr, manager.FindStyle(L"missing"));
    EXPECT_EQ(nullptr, manager.DefaultAttributeList(L"Label"));
}

TEST(PaintManagerNotifyTest, SynchronousHooksRunFirstAndQueuedOnesWaitForDeferredWork) {
    CPaintManagerUI manager;
    Recorder first;
    Recorder second;
    CControlUI* sender = Named(L"btn");
    sender->Attach(&manager, nullptr, false);
    sender->NotifyHooks += MakeDelegate(&first, &Recorder::Hook);
    ASSERT_TRUE(manager.AddNotifier(&first));
    EXPECT_FALSE(manager.AddNotifier(&first));
    ASSERT_TRUE(manager.AddNotifier(&second));

    manager.SendNotify(sender, L"click");
    EXPECT_EQ((std::vector<std::wstring>{L"hook:click", L"click:btn"}), first.log);
    EXPECT_EQ((std::vector<std::wstring>{L"click:btn"}), second.log);

    manager.SendNotify(sender, L"later", 0, 0, true);
    manager.SendNotify(sender, L"gone", 0, 0, true);
    EXPECT_EQ(1u, second.log.size());
    // A receiver that removes itself does not make the next one miss out.
    first.onNotify = [&] { manager.RemoveNotifier(&first); };
    manager.ProcessDeferredWork();
    EXPECT_EQ((std::vector<std::wstring>{L"click:btn", L"later:btn", L"gone:btn"}), second.log);
    EXPECT_EQ((std::vector<std::wstring>{L"hook:click", L"click:btn", L"hook:later", L"later:btn", L"hook:gone"}),
              first.log);
    delete sender;
}

TEST(PaintManagerFocusTest, FocusMovesWithEventsAndNotifications) {
    CPaintManagerUI manager;
    CPaintManagerUI elsewhere;
    Recorder recorder;
    manager.AddNotifier(&recorder);
    CControlUI* a = Named(L"a");
    CControlUI* b = Named(L"b");
    CControlUI* hidden = Named(L"hidden");
    CControlUI* foreign = Named(L"foreign");
    for (CControlUI* control : {a, b, hidden}) {
        control->Attach(&manager, nullptr, false);
    }
    foreign->Attach(&elsewhere, nullptr, false);
    hidden->SetVisible(false);

    manager.FocusControl(a);
    EXPECT_EQ(a, manager.FocusedControl());
    EXPECT_TRUE(a->HasFocus());
    manager.FocusControl(b);
    EXPECT_FALSE(a->HasFocus());
    EXPECT_EQ((std::vector<std::wstring>{L"setfocus:a", L"killfocus:a", L"setfocus:b"}), recorder.log);
    for (CControlUI* refused : {hidden, foreign}) {
        manager.FocusControl(refused);
        EXPECT_EQ(nullptr, manager.FocusedControl());
        manager.FocusControl(b);
    }
    b->SetVisible(false);
    EXPECT_EQ(nullptr, manager.FocusedControl());
    for (CControlUI* control : {a, b, hidden, foreign}) {
        delete control;
    }
}

TEST(PaintManagerTimersTest, TimersNeedAWindowAndAreReusedAfterStopping) {
    CPaintManagerUI manager;
    CControlUI control;
    EXPECT_FALSE(manager.StartTimer(&control, 1, 1000));
    TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
    manager.Attach(window.Handle(), L"timers");
    EXPECT_TRUE(manager.StartTimer(&control, 1, 1000));
    EXPECT_FALSE(manager.StartTimer(&control, 1, 1000));
    EXPECT_TRUE(manager.StartTimer(&control, 2, 1000));
    EXPECT_TRUE(manager.StopTimer(&control, 1));
    EXPECT_FALSE(manager.StopTimer(&control, 1));
    EXPECT_TRUE(manager.StartTimer(&control, 1, 500));
    manager.StopTimers(&control);
    EXPECT_FALSE(manager.StopTimer(&control, 2));
}

TEST(PaintManagerListsTest, OptionGroupsAndPostPaintForgetDestroyedControls) {
    CPaintManagerUI manager;
    CControlUI* first = Named(L"first");
    CControlUI* second = Named(L"second");
    for (CControlUI* control : {first, second}) {
        control->Attach(&manager, nullptr, false);
    }
    EXPECT_EQ(nullptr, manager.OptionGroup(L"sizes"));
    EXPECT_TRUE(manager.AddOptionGroup(L"sizes", first));
    EXPECT_FALSE(manager.AddOptionGroup(L"sizes", first));
    EXPECT_TRUE(manager.AddOptionGroup(L"sizes", second));
    EXPECT_TRUE(manager.AddOptionGroup(L"other", second));
    ASSERT_NE(nullptr, manager.OptionGroup(L"sizes"));
    EXPECT_EQ(2, manager.OptionGroup(L"sizes")->Count());
    EXPECT_TRUE(manager.AddPostPaint(second));
    EXPECT_FALSE(manager.AddPostPaint(second));

    delete second;
    EXPECT_EQ(1, manager.OptionGroup(L"sizes")->Count());
    EXPECT_EQ(nullptr, manager.OptionGroup(L"other")) << "an emptied group goes";
    EXPECT_EQ(0, manager.PostPaintCount());
    manager.RemoveOptionGroup(L"sizes", first);
    EXPECT_EQ(nullptr, manager.OptionGroup(L"sizes"));
    delete first;
}

TEST(PaintManagerPluginTest, CreatorsAreAskedInOrder) {
    EXPECT_EQ(nullptr, CPaintManagerUI::CreatePluginControl(L"Gadget"));
    CPaintManagerUI::AddPlugin(+[](const wchar_t* name) -> CControlUI* {
        return wcscmp(name, L"Gadget") == 0 ? Named(L"first creator") : nullptr;
    });
    CPaintManagerUI::AddPlugin(+[](const wchar_t*) -> CControlUI* { return Named(L"second creator"); });
    std::unique_ptr<CControlUI> gadget(CPaintManagerUI::CreatePluginControl(L"Gadget"));
    std::unique_ptr<CControlUI> widget(CPaintManagerUI::CreatePluginControl(L"Widget"));
    EXPECT_EQ(std::wstring(L"first creator"), gadget->Name().Data());
    EXPECT_EQ(std::wstring(L"second creator"), widget->Name().Data());
}

}  // namespace
