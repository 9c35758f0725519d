#include "GameState.h"

#include "Paths.h"
#include "Sha256Hasher.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <string>

namespace {

InstalledVersion SampleVersion(const std::string& manifest) {
    InstalledVersion installed;
    installed.version = "2.10.3";
    installed.manifestName = "manifests/2.10.3-0123456789abcdef.manifest";
    installed.manifestBytes = manifest.size();
    chunkstore::Sha256Of(manifest.data(), manifest.size(), installed.manifestSha256);
    installed.manifestUrl = L"https://cdn.example.com/游戏/latest.json";
    installed.pointerETag = L"\"5f-1a\"";
    installed.pointerLastModified = L"Tue, 03 Mar 2026 10:00:00 GMT";
    return installed;
}

}  // namespace

TEST(GameState, TheInstalledVersionReadsBackAsWritten) {
    const std::wstring game = testenv::MakeTempSubdir(L"roundtrip");
    const std::string manifest = "KVMF manifest bytes";
    const InstalledVersion written = SampleVersion(manifest);
    ASSERT_TRUE(WriteInstalledVersion(game, written, manifest));

    InstalledVersion read;
    ASSERT_TRUE(ReadInstalledVersion(game, read));
    EXPECT_EQ(written.version, read.version);
    EXPECT_EQ(written.manifestName, read.manifestName);
    EXPECT_EQ(written.manifestBytes, read.manifestBytes);
    EXPECT_EQ(written.manifestSha256, read.manifestSha256);
    EXPECT_EQ(written.manifestUrl, read.manifestUrl);
    EXPECT_EQ(written.pointerETag, read.pointerETag);
    EXPECT_EQ(written.pointerLastModified, read.pointerLastModified);
    std::string bytes;
    ASSERT_TRUE(ReadInstalledManifest(game, read, bytes));
    EXPECT_EQ(manifest, bytes);
    EXPECT_TRUE(GetFileAttributesW((game + L"\\.korva").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(PathExists(game + L"\\.korva\\installed.json.new"));
}

// The record decides which versions a pointer may name: one that is not
// exactly what the launcher writes counts as no record at all, and a
// manifest that is not the one it pins is not read.
TEST(GameState, ARecordOrManifestThatIsNotWhatWasWrittenIsRefused) {
    const std::string manifest = "KVMF manifest bytes";
    const std::wstring game = testenv::MakeTempSubdir(L"refused");
    ASSERT_TRUE(WriteInstalledVersion(game, SampleVersion(manifest), manifest));
    const std::string good = testenv::ReadFileBytes(game + L"\\.korva\\installed.json");
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        size_t at = text.find(from);
        return at == std::string::npos ? std::string("not found: " + from) : text.replace(at, from.size(), to);
    };
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"not JSON", good.substr(0, good.size() / 2)},
        {"another format", replaced("\"format\":1", "\"format\":2")},
        {"no version", replaced("\"version\":\"2.10.3\"", "\"version\":\"2.010.3\"")},
        {"size past the limit", replaced("\"size\":19", "\"size\":99999999999")},
        {"no digest", replaced("\"sha256\":\"", "\"sha256\":\"x")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(testenv::WriteFileBytes(game + L"\\.korva\\installed.json", c.text));
        InstalledVersion read;
        EXPECT_FALSE(ReadInstalledVersion(game, read));
    }

    ASSERT_TRUE(testenv::WriteFileBytes(game + L"\\.korva\\installed.json", good));
    ASSERT_TRUE(testenv::WriteFileBytes(game + L"\\.korva\\installed.manifest", "KVMF manifest byteZ"));
    InstalledVersion read;
    ASSERT_TRUE(ReadInstalledVersion(game, read));
    std::string bytes;
    EXPECT_FALSE(ReadInstalledManifest(game, read, bytes));
    InstalledVersion none;
    EXPECT_FALSE(ReadInstalledVersion(testenv::MakeTempSubdir(L"none"), none));
}
