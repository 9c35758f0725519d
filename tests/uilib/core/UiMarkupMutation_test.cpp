#include "ControlUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "ResourcePathScope.h"
#include "UiMarkup.h"
#include "UiMarkupTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Orvel;

// Skins come from files and zips too: no input may crash the parser, make
// it read or write outside its buffer, or loop. A fixed seed keeps every run
// the same; the budget keeps it to a few seconds under Wine.
namespace {

constexpr unsigned kSeed = 0x5EED0411u;

const wchar_t* const kFragments[] = {
    L"<", L">", L"/", L"\"", L"'", L"=", L"&", L";", L"!", L"?", L"-", L" ", L"\t", L"\n",
    L"<!--", L"-->", L"<?", L"?>", L"</", L"/>", L"&amp;", L"&lt;", L"&quot;", L"&#x41;", L"<a>", L"</a>",
    L"<Window", L"<b c=\"", L"=\"\"", L"\xFFFD", L"\xD800", L"微软雅黑",
};

class MutationRun {
public:
    explicit MutationRun(const std::wstring& base) : base_(base), random_(kSeed) {}

    // Loads `text` and checks what any load must leave behind.
    void CheckText(const std::wstring& text) {
        bool ok = markup_.Load(text.c_str());
        CheckOutcome(ok, CountOpenBrackets(text));
    }

    void CheckBytes(const std::string& bytes, MarkupEncoding encoding) {
        bool ok = markup_.LoadFromMemory(bytes.data(), bytes.size(), encoding);
        CheckOutcome(ok, bytes.size() + 1);
    }

    std::wstring Mutate() {
        std::wstring text = base_;
        int operations = 1 + Below(4);
        for (int i = 0; i < operations && !text.empty(); ++i) {
            size_t at = static_cast<size_t>(Below(static_cast<int>(text.size())));
            size_t length = static_cast<size_t>(1 + Below(40));
            switch (Below(5)) {
            case 0:
                text[at] = kFragments[Below(14)][0];
                break;
            case 1:
                text.erase(at, length);
                break;
            case 2:
                text.insert(at, text.substr(at, length));
                break;
            case 3:
                text.insert(at, kFragments[Below(sizeof(kFragments) / sizeof(kFragments[0]))]);
                break;
            default:
                text.resize(at);
                break;
            }
        }
        return text;
    }

    std::string RandomBytes() {
        static const char kMarkupBytes[] = "<>/\"'=&;!?- \nabAB01";
        std::string bytes;
        int length = Below(300);
        for (int i = 0; i < length; ++i) {
            bytes += Below(2) == 0 ? kMarkupBytes[Below(sizeof(kMarkupBytes) - 1)] : static_cast<char>(Below(256));
        }
        return bytes;
    }

    int Below(int bound) { return bound <= 0 ? 0 : static_cast<int>(random_() % static_cast<unsigned>(bound)); }

    int failures() const { return failures_; }

private:
    static size_t CountOpenBrackets(const std::wstring& text) {
        size_t count = 0;
        for (wchar_t ch : text) {
            count += ch == L'<' ? 1 : 0;
        }
        return count;
    }

    void CheckOutcome(bool ok, size_t maxElements) {
        if (!ok) {
            if (!markuptest::IsKnownError(markup_.ErrorMessage())) {
                ADD_FAILURE() << "unknown message: " << markup_.ErrorMessage();
                ++failures_;
            }
            if (markup_.GetRoot().IsValid() || wcslen(markup_.ErrorLocation()) > 49) {
                ADD_FAILURE() << "failed load left a document behind";
                ++failures_;
            }
            return;
        }
        // Every element is reached once; links never loop.
        size_t visited = 0;
        std::vector<CUiMarkupNode> stack;
        for (CUiMarkupNode node = markup_.GetRoot(); node.IsValid() && visited <= maxElements;
             node = node.NextSibling()) {
            stack.push_back(node);
            ++visited;
        }
        while (!stack.empty() && visited <= maxElements) {
            CUiMarkupNode node = stack.back();
            stack.pop_back();
            if (node.Name() == nullptr || node.Value() == nullptr || node.AttributeCount() > 64) {
                ADD_FAILURE() << "broken node";
                ++failures_;
                return;
            }
            for (int i = 0; i < node.AttributeCount(); ++i) {
                wcslen(node.AttributeName(i));
                wcslen(node.AttributeValue(i));
            }
            for (CUiMarkupNode child = node.FirstChild(); child.IsValid() && visited <= maxElements;
                 child = child.NextSibling()) {
                stack.push_back(child);
                ++visited;
            }
        }
        if (visited > maxElements) {
            ADD_FAILURE() << "more elements than start tags: the links loop";
            ++failures_;
        }
    }

    std::wstring base_;
    std::mt19937 random_;
    CUiMarkup markup_;
    int failures_ = 0;
};

std::wstring BaseSkin() {
    std::wstring skin = markuptest::Utf8ToWide(markuptest::ReadSkinBytes());
    EXPECT_GT(skin.size(), 1000u);
    CUiMarkup check;
    EXPECT_TRUE(check.Load(skin.c_str())) << check.ErrorMessage();
    return skin;
}

}  // namespace

TEST(UiMarkupMutationTest, EveryTruncationOfTheSkin) {
    std::wstring skin = BaseSkin();
    MutationRun run(skin);
    for (size_t length = 0; length <= skin.size() && run.failures() < 10; ++length) {
        run.CheckText(skin.substr(0, length));
    }
}

TEST(UiMarkupMutationTest, MutatedSkins) {
    MutationRun run(BaseSkin());
    for (int i = 0; i < 4000 && run.failures() < 10; ++i) {
        run.CheckText(run.Mutate());
    }
}

TEST(UiMarkupMutationTest, MutatedSkinBytesInEveryEncoding) {
    std::wstring skin = BaseSkin();
    MutationRun run(skin);
    for (int i = 0; i < 1500 && run.failures() < 10; ++i) {
        std::wstring text = run.Mutate();
        std::string utf8 = testenv::Utf8(text);
        // Cut anywhere, even inside a multi-byte sequence or a UTF-16 pair.
        utf8.resize(static_cast<size_t>(run.Below(static_cast<int>(utf8.size()) + 1)));
        run.CheckBytes(utf8, MarkupEncoding::Utf8);
        run.CheckBytes(utf8, MarkupEncoding::Ansi);
        std::string utf16 = markuptest::ToUtf16Bytes(text, i % 2 == 0);
        utf16.resize(static_cast<size_t>(run.Below(static_cast<int>(utf16.size()) + 1)));
        run.CheckBytes(utf16, MarkupEncoding::Utf16);
    }
}

TEST(UiMarkupMutationTest, RandomByteStrings) {
    MutationRun run(L"");
    for (int i = 0; i < 1500 && run.failures() < 10; ++i) {
        std::string bytes = run.RandomBytes();
        run.CheckBytes(bytes, MarkupEncoding::Utf8);
        run.CheckBytes(bytes, MarkupEncoding::Ansi);
        run.CheckBytes(bytes, MarkupEncoding::Utf16);
        run.CheckBytes((i % 2 == 0 ? "\xFF\xFE" : "\xFE\xFF") + bytes, MarkupEncoding::Utf16);
    }
}

// After thousands of failed loads the same object still parses a good skin.
TEST(UiMarkupMutationTest, MarkupStaysUsableAfterFailures) {
    std::wstring skin = BaseSkin();
    MutationRun run(skin);
    CUiMarkup markup;
    CUiMarkup reference(skin.c_str());
    std::wstring expected = markuptest::DumpTree(reference);
    for (int i = 0; i < 300; ++i) {
        markup.Load(run.Mutate().c_str());
        if (i % 50 == 49) {
            ASSERT_TRUE(markup.Load(skin.c_str())) << markup.ErrorMessage();
            ASSERT_EQ(expected, markuptest::DumpTree(markup));
        }
    }
}

// The builder walks whatever the parser accepts, with a real window's paint
// manager taking the window-level elements. No tree may hold more controls
// than its document has elements; every fourth tree becomes the window's root
// and is laid out and painted (painting dominates the time under Wine).
TEST(UiMarkupMutationTest, MutatedSkinsBuildIntoARealWindow) {
    std::wstring skin = BaseSkin();
    // Hiding a shadow window waits for a window manager that Xvfb lacks, and
    // adding and removing a notification-area icon again and again can stall.
    for (const wchar_t* attribute : {L"showshadow=", L"trayiconid="}) {
        const size_t at = skin.find(attribute);
        ASSERT_NE(std::wstring::npos, at);
        skin[at] = L'X';
    }
    MutationRun run(skin);
    UiTestWindow window{300, 200};
    window.Show();
    int built = 0;
    for (int i = 0; i < 800 && !testing::Test::HasFailure(); ++i) {
        const std::wstring text = run.Mutate();
        CLayoutBuilder builder;
        std::unique_ptr<CControlUI> root(builder.Build(text.c_str(), nullptr, nullptr, &window.Manager()));
        if (root == nullptr) {
            continue;
        }
        int controls = 0;
        root->FindBy([](CControlUI*, void* count) -> CControlUI* {
            ++*static_cast<int*>(count);
            return nullptr;
        }, &controls, 0);
        EXPECT_LE(controls, std::count(text.begin(), text.end(), L'<'));
        if (built++ % 4 == 0) {
            ASSERT_TRUE(window.Manager().AttachRoot(root.release()));
            UiTestWindow::PumpPending();
        }
    }
    EXPECT_GT(built, 50);
}

namespace {

// Documents that hold each other (and themselves) as child layouts and
// includes, with styles that name each other and themselves.
const wchar_t* const kSubSkins[] = {
    L"<Window><Style name=\"s1\" value=\"text=&quot;s2&quot; width=&quot;s1&quot; height=&quot;s2&quot;\"/>"
    L"<Style name=\"s2\" value=\"s1\"/><Style name=\"s4\" value=\"a=&quot;s4&quot; b=&quot;s4&quot; "
    L"c=&quot;s4&quot; d=&quot;s4&quot; e=&quot;s4&quot; f=&quot;s4&quot; g=&quot;s4&quot; h=&quot;s4&quot;\"/>"
    L"<VerticalLayout><ChildLayout xmlfile=\"b.xml\"/><Label text=\"s1\" tooltip=\"s4\"/>"
    L"<Include source=\"c.xml\"/><ChildLayout xmlfile=\"a.xml\"/></VerticalLayout></Window>",
    L"<Window><Style name=\"s3\" value=\"bkcolor=&quot;s3&quot; bkcolor2=&quot;s3&quot; text=&quot;s1&quot;\"/>"
    L"<HorizontalLayout><ChildLayout xmlfile=\"c.xml\"/><Button text=\"s3\"/><ChildLayout xmlfile=\"a.xml\"/>"
    L"</HorizontalLayout></Window>",
    L"<Window><VerticalLayout><Include source=\"b.xml\" count=\"2\"/><ChildLayout xmlfile=\"c.xml\"/>"
    L"<Label text=\"s2\"/></VerticalLayout></Window>",
};
const wchar_t* const kSubSkinNames[] = {L"a.xml", L"b.xml", L"c.xml"};
const wchar_t* const kReferences[] = {
    L"<ChildLayout xmlfile=\"a.xml\"/>", L"<ChildLayout xmlfile=\"b.xml\"/>", L"<ChildLayout xmlfile=\"c.xml\"/>",
    L"<Include source=\"a.xml\"/>",      L"<Include source=\"c.xml\" count=\"3\"/>",
    L"<Style name=\"s2\" value=\"text=&quot;s2&quot; bkcolor=&quot;s2&quot; width=&quot;s2&quot;\"/>",
    L" text=\"s1\"",                    L" text=\"s3\"",
};

}  // namespace

// A skin's sub-skins and styles are input too. Mutated documents that hold
// each other build into a real window, their child layouts too, within the
// builder's limits: no stack overflow, no hang.
TEST(UiMarkupMutationTest, MutatedSubSkinsAndStylesBuildIntoARealWindow) {
    const ResourcePathScope folder(L"subskins", {});
    UiTestWindow window{300, 200};
    window.Show();
    std::mt19937 random(kSeed);
    const auto below = [&random](size_t bound) { return static_cast<size_t>(random() % bound); };
    int built = 0;
    for (int i = 0; i < 150 && !testing::Test::HasFailure(); ++i) {
        for (size_t file = 0; file < 3; ++file) {
            MutationRun run(kSubSkins[file]);
            std::wstring text = below(2) == 0 ? std::wstring(kSubSkins[file]) : run.Mutate();
            // Mostly after a tag, where the reference keeps the document whole.
            for (size_t inserts = below(4); inserts > 0 && !text.empty(); --inserts) {
                size_t at = below(text.size());
                const size_t tagEnd = text.find(L'>', at);
                at = below(4) != 0 && tagEnd != std::wstring::npos ? tagEnd + 1 : at;
                text.insert(at, kReferences[below(sizeof(kReferences) / sizeof(kReferences[0]))]);
            }
            ASSERT_TRUE(testenv::WriteFileBytes(folder.Path() + kSubSkinNames[file], testenv::Utf8(text)));
        }
        CLayoutBuilder builder;
        CControlUI* root = builder.Build(kSubSkinNames[below(3)], nullptr, nullptr, &window.Manager());
        if (root == nullptr) {
            continue;
        }
        ++built;
        ASSERT_TRUE(window.Manager().AttachRoot(root));
        if (i % 4 == 0) {
            UiTestWindow::PumpPending();
        }
    }
    EXPECT_GT(built, 30);
}
