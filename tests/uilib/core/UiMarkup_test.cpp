#include "ResourcePathScope.h"
#include "UiMarkup.h"
#include "UiMarkupTestHelpers.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;
using markuptest::DumpTree;

namespace {

struct Failure {
    const wchar_t* document;
    const wchar_t* message;
    const wchar_t* location;
};

int CountElements(const CUiMarkupNode& first) {
    int count = 0;
    for (CUiMarkupNode node = first; node.IsValid(); node = node.NextSibling()) {
        count += 1 + CountElements(node.FirstChild());
    }
    return count;
}

}  // namespace

TEST(UiMarkupTest, WalksElementsAttributesAndText) {
    CUiMarkup markup(L"<Window size=\"720,496\" caption = \"0,0,0,50\">\n"
                     L"  <Font id=\"0\" name=\"微软雅黑\"/>\n"
                     L"  <VerticalLayout>\n"
                     L"    <Label text=\"a\">hello world</Label>\n"
                     L"    <Button />\n"
                     L"  </VerticalLayout>\n"
                     L"</Window>\n");
    CUiMarkupNode root = markup.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_STREQ(L"Window", root.Name());
    ASSERT_EQ(2, root.AttributeCount());
    EXPECT_STREQ(L"size", root.AttributeName(0));
    EXPECT_STREQ(L"720,496", root.AttributeValue(0));
    EXPECT_STREQ(L"caption", root.AttributeName(1));
    EXPECT_STREQ(L"0,0,0,50", root.AttributeValue(1));
    EXPECT_STREQ(L"", root.AttributeName(2));
    EXPECT_STREQ(L"", root.AttributeValue(-1));
    EXPECT_FALSE(root.NextSibling().IsValid());

    CUiMarkupNode font = root.FirstChild();
    EXPECT_STREQ(L"Font", font.Name());
    EXPECT_FALSE(font.HasChildren());
    EXPECT_STREQ(L"微软雅黑", font.AttributeValue(1));
    CUiMarkupNode layout = font.NextSibling();
    EXPECT_STREQ(L"VerticalLayout", layout.Name());
    EXPECT_FALSE(layout.HasAttributes());
    CUiMarkupNode label = layout.FirstChild();
    EXPECT_STREQ(L"Label", label.Name());
    EXPECT_STREQ(L"hello world", label.Value());
    CUiMarkupNode button = label.NextSibling();
    EXPECT_STREQ(L"Button", button.Name());
    EXPECT_STREQ(L"", button.Value());
    EXPECT_FALSE(button.NextSibling().IsValid());
    EXPECT_FALSE(button.FirstChild().IsValid());
}

TEST(UiMarkupTest, InvalidNodeAnswersEmpty) {
    CUiMarkupNode node;
    EXPECT_FALSE(node.IsValid());
    EXPECT_EQ(nullptr, node.Name());
    EXPECT_EQ(nullptr, node.AttributeName(0));
    EXPECT_EQ(nullptr, node.AttributeValue(0));
    EXPECT_EQ(0, node.AttributeCount());
    EXPECT_FALSE(node.HasAttributes());
    EXPECT_FALSE(node.HasChildren());
    EXPECT_FALSE(node.FirstChild().IsValid());
    EXPECT_FALSE(node.NextSibling().IsValid());
    wchar_t buffer[4] = L"abc";
    EXPECT_FALSE(node.FindAttribute(L"x", buffer, 4));
    EXPECT_STREQ(L"abc", buffer);
}

TEST(UiMarkupTest, DecodesTheFiveEntitiesOnly) {
    CUiMarkup markup;
    ASSERT_TRUE(markup.Load(L"<a v=\"&quot;x&apos;&amp;\" w=\"plain\">&lt;&gt;&amp; &#65; &nbsp; &AMP; &amp</a>"));
    CUiMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(L"<>& &#65; &nbsp; &AMP; &amp", root.Value());
    ASSERT_EQ(2, root.AttributeCount());
    EXPECT_STREQ(L"\"x'&", root.AttributeValue(0));
    // The attribute after a shortened value is still found.
    EXPECT_STREQ(L"w", root.AttributeName(1));
    EXPECT_STREQ(L"plain", root.AttributeValue(1));
}

TEST(UiMarkupTest, KeepsWhitespaceInsideTextAndValues) {
    CUiMarkup markup(L"<a v=\" two  spaces\ttab \">\n line one\n  line two </a>");
    CUiMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(L" two  spaces\ttab ", root.AttributeValue(0));
    EXPECT_STREQ(L"\n line one\n  line two ", root.Value());
}

TEST(UiMarkupTest, FindAttributeIgnoresCaseAndCopiesLikeWcsncpy) {
    CUiMarkup markup(L"<Button Name=\"btn_wnd_close\" width=\"30\" NAME=\"second\"/>");
    CUiMarkupNode root = markup.GetRoot();
    wchar_t buffer[32];
    wmemset(buffer, L'#', 32);
    ASSERT_TRUE(root.FindAttribute(L"name", buffer, 32));
    EXPECT_STREQ(L"btn_wnd_close", buffer);
    EXPECT_EQ(L'\0', buffer[31]);  // padded with NULs
    wmemset(buffer, L'#', 32);
    ASSERT_TRUE(root.FindAttribute(L"NAME", buffer, 3));
    EXPECT_EQ(L'b', buffer[0]);
    EXPECT_EQ(L'n', buffer[2]);
    EXPECT_EQ(L'#', buffer[3]);  // not terminated
    EXPECT_FALSE(root.FindAttribute(L"height", buffer, 32));
    EXPECT_TRUE(root.FindAttribute(L"width", nullptr, 0));
}

TEST(UiMarkupTest, OnlyTheFirst64AttributesAreVisible) {
    std::wstring document = L"<a";
    for (int i = 0; i < 70; ++i) {
        document += L" n" + std::to_wstring(i) + L"=\"" + std::to_wstring(i * 7) + L"\"";
    }
    document += L"/>";
    CUiMarkup markup;
    ASSERT_TRUE(markup.Load(document.c_str()));
    CUiMarkupNode root = markup.GetRoot();
    EXPECT_EQ(64, root.AttributeCount());
    EXPECT_STREQ(L"n63", root.AttributeName(63));
    EXPECT_STREQ(L"441", root.AttributeValue(63));
    EXPECT_STREQ(L"", root.AttributeName(64));
    wchar_t buffer[8] = {};
    EXPECT_TRUE(root.FindAttribute(L"n63", buffer, 8));
    EXPECT_FALSE(root.FindAttribute(L"n64", buffer, 8));
}

TEST(UiMarkupTest, UnclosedRootAndChildrenOfTheRootAreAccepted) {
    CUiMarkup markup;
    ASSERT_TRUE(markup.Load(L"<Window><Control/>"));
    CUiMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(L"Window", root.Name());
    EXPECT_STREQ(L"Control", root.FirstChild().Name());

    // The names of elements left open still end where they ended.
    ASSERT_TRUE(markup.Load(L"<Window><Label>text"));
    EXPECT_STREQ(L"Window", markup.GetRoot().Name());
    EXPECT_STREQ(L"Label", markup.GetRoot().FirstChild().Name());
    EXPECT_STREQ(L"text", markup.GetRoot().FirstChild().Value());
    ASSERT_TRUE(markup.Load(L"<Window>caption"));
    EXPECT_STREQ(L"Window", markup.GetRoot().Name());
    EXPECT_STREQ(L"caption", markup.GetRoot().Value());
}

TEST(UiMarkupTest, CommentsAndDeclarationsCreateNoElements) {
    CUiMarkup markup;
    ASSERT_TRUE(markup.Load(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- a <b> comment -->\n"
                            L"<Window><!-- inner --><Control/><?pi?></Window>"));
    EXPECT_EQ(L"Window {}\n Control {}\n", DumpTree(markup));
    ASSERT_TRUE(markup.Load(L"<!-- only a comment -->"));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    ASSERT_TRUE(markup.Load(L"<!-- never closed"));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(UiMarkupTest, EmptyDocumentHasNoRoot) {
    CUiMarkup markup;
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_TRUE(markup.Load(L" \r\n\t "));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_TRUE(markup.Load(L""));
    EXPECT_TRUE(markup.Load(nullptr));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_TRUE(markup.LoadFromMemory("", 0, MarkupEncoding::Utf8));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(UiMarkupTest, TopLevelSiblingsAreLinked) {
    CUiMarkup markup(L"<a/><b></b>  <c>t</c>");
    EXPECT_EQ(L"a {}\nb {}\nc {t}\n", DumpTree(markup));
}

TEST(UiMarkupTest, FailuresReportTheirMessageAndLocation) {
    const Failure failures[] = {
        {L"<a b='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<a><b/>text</a>", L"Expected start tag", L"text</a>"},
        {L"<a/>junk", L"Expected start tag", L"junk"},
        {L"<Window", L"Error parsing element name", L""},
        {L"<a b=\"1\"/ >", L"Expected start-tag closing", L"/ >"},
        {L"<a><b><c>text", L"Expected end-tag start", L""},
        {L"<a><b></c></a>", L"Unmatched closing tag", L"c></a>"},
        {L"<a></a x>", L"Unmatched closing tag", L"x>"},
        {L"<a></ab>", L"Unmatched closing tag", L"b>"},
        {L"<a b c=\"1\"/>", L"Error while parsing attributes", L"c=\"1\"/>"},
        {L"<a b=\"never closed/>", L"Error while parsing attribute string", L""},
        {L"text", L"Expected start tag", L"text"},
    };
    for (const Failure& failure : failures) {
        CUiMarkup markup;
        EXPECT_FALSE(markup.Load(failure.document)) << failure.document;
        EXPECT_STREQ(failure.message, markup.ErrorMessage()) << failure.document;
        EXPECT_STREQ(failure.location, markup.ErrorLocation()) << failure.document;
        EXPECT_FALSE(markup.GetRoot().IsValid()) << failure.document;
    }
}

TEST(UiMarkupTest, ErrorLocationKeeps49Units) {
    std::wstring tail(80, L'x');
    CUiMarkup markup;
    ASSERT_FALSE(markup.Load((L"<a/>" + tail).c_str()));
    EXPECT_EQ(std::wstring(49, L'x'), markup.ErrorLocation());
}

TEST(UiMarkupTest, SuccessClearsTheLastErrorAndTheMarkupStaysUsable) {
    CUiMarkup markup;
    ASSERT_FALSE(markup.Load(L"<a b='x'/>"));
    ASSERT_TRUE(markup.Load(L"<a b=\"x\"/>"));
    EXPECT_STREQ(L"", markup.ErrorMessage());
    EXPECT_STREQ(L"", markup.ErrorLocation());
    EXPECT_STREQ(L"x", markup.GetRoot().AttributeValue(0));
    markup.Release();
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

// Nesting depth comes from the document; it must not run out of stack.
TEST(UiMarkupTest, DeepNestingNeitherCrashesNorLosesElements) {
    const int depth = 200000;
    std::wstring document;
    for (int i = 0; i < depth; ++i) {
        document += L"<n>";
    }
    for (int i = 0; i < depth; ++i) {
        document += L"</n>";
    }
    CUiMarkup markup;
    ASSERT_TRUE(markup.Load(document.c_str()));
    int levels = 0;
    for (CUiMarkupNode node = markup.GetRoot(); node.IsValid(); node = node.FirstChild()) {
        ++levels;
    }
    EXPECT_EQ(depth, levels);
    document.resize(static_cast<size_t>(depth) * 3);
    EXPECT_FALSE(markup.Load(document.c_str()));
    EXPECT_STREQ(L"Expected end-tag start", markup.ErrorMessage());
}

TEST(UiMarkupTest, Utf8WithAndWithoutMarkAndUtf16BothOrdersGiveTheSameTree) {
    std::string utf8 = markuptest::ReadSkinBytes();
    ASSERT_FALSE(utf8.empty());
    std::wstring wide = markuptest::Utf8ToWide(utf8);
    std::wstring folder = testenv::MakeTempSubdir(L"encodings");
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\plain.xml", utf8));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\bom.xml", "\xEF\xBB\xBF" + utf8));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\le.xml", markuptest::ToUtf16Bytes(wide, false)));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\be.xml", markuptest::ToUtf16Bytes(wide, true)));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\nobom16.xml", markuptest::ToUtf16Bytes(wide, false).substr(2)));
    ResourcePathScope scope(folder + L"\\");

    CUiMarkup reference;
    ASSERT_TRUE(reference.Load(wide.c_str())) << reference.ErrorMessage();
    std::wstring expected = DumpTree(reference);
    EXPECT_EQ(33, CountElements(reference.GetRoot()));
    EXPECT_NE(std::wstring::npos, expected.find(L"traytiptext=[专属下载器 & 更新]"));
    EXPECT_NE(std::wstring::npos, expected.find(L"{Installs into the \"Game\" folder <beside> the launcher."));

    CUiMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"plain.xml", MarkupEncoding::Utf8)) << markup.ErrorMessage();
    EXPECT_EQ(expected, DumpTree(markup));
    ASSERT_TRUE(markup.LoadFromFile(L"bom.xml")) << markup.ErrorMessage();
    EXPECT_EQ(expected, DumpTree(markup));
    ASSERT_TRUE(markup.LoadFromFile(L"le.xml", MarkupEncoding::Utf16)) << markup.ErrorMessage();
    EXPECT_EQ(expected, DumpTree(markup));
    ASSERT_TRUE(markup.LoadFromFile(L"be.xml", MarkupEncoding::Utf16)) << markup.ErrorMessage();
    EXPECT_EQ(expected, DumpTree(markup));
    // Unknown encodings are read as UTF-16.
    ASSERT_TRUE(markup.LoadFromFile(L"be.xml", static_cast<MarkupEncoding>(9))) << markup.ErrorMessage();
    EXPECT_EQ(expected, DumpTree(markup));

    EXPECT_FALSE(markup.LoadFromFile(L"nobom16.xml", MarkupEncoding::Utf16));
    EXPECT_STREQ(L"Missing byte-order mark", markup.ErrorMessage());
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(UiMarkupTest, MemoryEncodings) {
    CUiMarkup markup;
    // Malformed UTF-8 becomes replacement characters instead of failing.
    ASSERT_TRUE(markup.LoadFromMemory("<a v=\"\xFF\xFE\"/>", 11, MarkupEncoding::Utf8));
    EXPECT_STREQ(L"\xFFFD\xFFFD", markup.GetRoot().AttributeValue(0));
    // A lone byte after the mark is dropped.
    ASSERT_TRUE(markup.LoadFromMemory("\xFF\xFE<\0a\0/\0>\0\x20", 11, MarkupEncoding::Utf16));
    EXPECT_STREQ(L"a", markup.GetRoot().Name());
    EXPECT_FALSE(markup.LoadFromMemory("\xFF", 1, MarkupEncoding::Utf16));
    EXPECT_FALSE(markup.LoadFromMemory(nullptr, 0, MarkupEncoding::Utf16));

    std::wstring chinese = L"<Label text=\"正在下载\"/>";
    int bytes = WideCharToMultiByte(CP_ACP, 0, chinese.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, chinese.c_str(), -1, &ansi[0], bytes, nullptr, nullptr);
    ASSERT_TRUE(markup.LoadFromMemory(ansi.data(), ansi.size() - 1, MarkupEncoding::Ansi));
    if (GetACP() == 936) {
        EXPECT_STREQ(L"正在下载", markup.GetRoot().AttributeValue(0));
    }
    // The mark is only skipped for UTF-8.
    EXPECT_FALSE(markup.LoadFromMemory("\xEF\xBB\xBF<a/>", 7, MarkupEncoding::Ansi));
}

TEST(UiMarkupTest, FileSizeLimitIsFourMebibytes) {
    std::wstring folder = testenv::MakeTempSubdir(L"sizes");
    const size_t limit = 4 * 1024 * 1024;
    std::string document = "<Window>" + std::string(limit - 17, ' ') + "</Window>";
    ASSERT_EQ(limit, document.size());
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\exact.xml", document));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\over.xml", document + " "));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\empty.xml", ""));
    ResourcePathScope scope(folder + L"\\");

    CUiMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile(L"exact.xml")) << markup.ErrorMessage();
    EXPECT_STREQ(L"Window", markup.GetRoot().Name());
    EXPECT_FALSE(markup.LoadFromFile(L"over.xml"));
    EXPECT_STREQ(L"File too large", markup.ErrorMessage());
    EXPECT_STREQ(L"", markup.ErrorLocation());
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_FALSE(markup.LoadFromFile(L"empty.xml"));
    EXPECT_STREQ(L"File is empty", markup.ErrorMessage());
    EXPECT_FALSE(markup.LoadFromFile(L"missing.xml"));
    EXPECT_STREQ(L"Error opening file", markup.ErrorMessage());
    EXPECT_FALSE(markup.LoadFromFile(nullptr));
    EXPECT_STREQ(L"Error opening file", markup.ErrorMessage());
}

// A load reads its argument before it releases the document it replaces, so
// a text taken from the markup itself (a node's value) may be loaded. The
// padding makes the old buffer big enough to go back to the system when freed.
TEST(UiMarkupTest, LoadsATextTakenFromTheMarkupItself) {
    std::wstring folder = testenv::MakeTempSubdir(L"self");
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\nested.xml", "<d/>"));
    ResourcePathScope scope(folder + L"\\");
    const std::wstring document = L"<doc file=\"nested.xml\" text=\"&lt;b x=&quot;1&quot;/&gt;\" utf16=\"\xFEFF&lt;c/&gt;\" pad=\"" +
                                  std::wstring(1 << 20, L'x') + L"\"/>";
    struct Case {
        int attribute;
        bool (*load)(CUiMarkup& markup, const wchar_t* value);
        const wchar_t* tree;
    } cases[] = {
        {1, [](CUiMarkup& m, const wchar_t* v) { return m.Load(v); }, L"b x=[1] {}\n"},
        {2,
         [](CUiMarkup& m, const wchar_t* v) {
             return m.LoadFromMemory(v, wcslen(v) * sizeof(wchar_t), MarkupEncoding::Utf16);
         },
         L"c {}\n"},
        {0, [](CUiMarkup& m, const wchar_t* v) { return m.LoadFromFile(v); }, L"d {}\n"},
    };
    for (const Case& c : cases) {
        CUiMarkup markup;
        ASSERT_TRUE(markup.Load(document.c_str()));
        const wchar_t* value = markup.GetRoot().AttributeValue(c.attribute);
        EXPECT_TRUE(c.load(markup, value)) << markup.ErrorMessage();
        EXPECT_EQ(c.tree, DumpTree(markup));
    }
}

TEST(UiMarkupTest, FileNamesAreTakenBelowTheResourcePath) {
    std::wstring folder = testenv::MakeTempSubdir(L"resources");
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\skin.xml", "<Window/>"));
    CUiMarkup markup;
    // Without a path the name is relative to the current folder.
    EXPECT_FALSE(markup.LoadFromFile(L"skin.xml"));
    EXPECT_STREQ(L"Error opening file", markup.ErrorMessage());
    ResourcePathScope scope(folder + L"\\");
    EXPECT_TRUE(markup.LoadFromFile(L"skin.xml"));
}
