#include "UiMarkup.h"
#include "UiMarkupTestHelpers.h"
#include "UiResourceLocation.h"

#include "TestEnv.h"

#include "ZipArchive.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;

namespace {

// The archives the fixture wrote into the test's folder.
class ZipLocation {
public:
    explicit ZipLocation(const wchar_t* zip) {
        UiResourceLocation::SetResourcePath((testenv::TempDir() + L"\\").c_str());
        UiResourceLocation::SetResourceZip(zip);
    }
    ~ZipLocation() {
        UiResourceLocation::SetResourcePath(L"");
        UiResourceLocation::SetResourceZip(L"");
        UiResourceLocation::SetSharedZip(nullptr);
    }
};

}  // namespace

namespace {

std::wstring ReferenceTree() {
    CUiMarkup reference;
    std::wstring skin = markuptest::Utf8ToWide(markuptest::ReadSkinBytes());
    EXPECT_TRUE(reference.Load(skin.c_str()));
    return markuptest::DumpTree(reference);
}

}  // namespace

TEST(UiMarkupZipTest, LoadsEntriesIgnoringCase) {
    ZipLocation location(L"skin.zip");
    CUiMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"SKIN.XML")) << markup.ErrorMessage();
    EXPECT_EQ(ReferenceTree(), markuptest::DumpTree(markup));
    ASSERT_TRUE(markup.LoadFromFile(L"layouts/footer.xml")) << markup.ErrorMessage();
    EXPECT_STREQ(L"HorizontalLayout", markup.GetRoot().Name());
    ASSERT_TRUE(markup.LoadFromFile(L"exact.xml")) << markup.ErrorMessage();
    EXPECT_STREQ(L"Window", markup.GetRoot().Name());
}

TEST(UiMarkupZipTest, EntryFailuresHaveTheirMessages) {
    struct Case {
        const wchar_t* zip;
        const wchar_t* entry;
        const wchar_t* message;
    };
    const Case cases[] = {
        {L"skin.zip", L"missing.xml", L"Could not find ziped file"},
        {L"skin.zip", L"empty.xml", L"File is empty"},
        {L"skin.zip", L"big.xml", L"File too large"},
        {L"corrupt.zip", L"skin.xml", L"Could not unzip file"},
        {L"notzip.zip", L"skin.xml", L"Error opening zip file"},
        {L"absent.zip", L"skin.xml", L"Error opening zip file"},
    };
    for (const Case& c : cases) {
        ZipLocation location(c.zip);
        CUiMarkup markup;
        EXPECT_FALSE(markup.LoadFromFile(c.entry)) << c.zip << " " << c.entry;
        EXPECT_STREQ(c.message, markup.ErrorMessage()) << c.zip << " " << c.entry;
        EXPECT_STREQ(L"", markup.ErrorLocation());
        EXPECT_FALSE(markup.GetRoot().IsValid());
    }
}

// An archive opened for one load is closed on every way out: afterwards the
// file can be deleted, which an open handle would prevent.
TEST(UiMarkupZipTest, ArchiveOpenedForALoadIsClosedAgain) {
    ZipLocation location(L"private.zip");
    CUiMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"skin.xml")) << markup.ErrorMessage();
    EXPECT_FALSE(markup.LoadFromFile(L"missing.xml"));
    EXPECT_FALSE(markup.LoadFromFile(L"big.xml"));
    EXPECT_TRUE(DeleteFileW((testenv::TempDir() + L"\\private.zip").c_str())) << GetLastError();
}

TEST(UiMarkupZipTest, SharedArchiveIsUsedAndLeftOpen) {
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(testenv::TempDir() + L"\\shared.zip"));
    ZipLocation location(L"no-such-file.zip");
    UiResourceLocation::SetSharedZip(&archive);
    CUiMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"skin.xml")) << markup.ErrorMessage();
    EXPECT_EQ(ReferenceTree(), markuptest::DumpTree(markup));
    EXPECT_FALSE(markup.LoadFromFile(L"missing.xml"));
    EXPECT_STREQ(L"Could not find ziped file", markup.ErrorMessage());
    EXPECT_GE(archive.FindEntry("skin.xml", false), 0);
    ASSERT_TRUE(markup.LoadFromFile(L"skin.xml")) << markup.ErrorMessage();
    archive.Close();
}
