#include "UpdateCheck.h"

#include "Digest.h"
#include "Sha256Hasher.h"
#include "StorePointer.h"
#include "TestEnv.h"
#include "TestKeys.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

std::string PointerFile(const char* version) {
    chunkstore::Digest digest{};
    digest.fill(0x3b);
    return chunkstore::EncodePointerFile(chunkstore::MakePointerPayload(version, 1000, digest), "");
}

FetchAnswer Fetched(const std::string& body) {
    FetchAnswer answer;
    answer.outcome = FetchOutcome::Fetched;
    answer.status = 200;
    answer.body = body;
    answer.validators.etag = L"\"v\"";
    return answer;
}

TEST(UpdateCheck, JudgesTheAnswerAgainstTheInstalledVersion) {
    const std::string signedPointer = chunkstore::EncodePointerFile(
        testkeys::kSignedPayload, testkeys::DerOf(testkeys::kPayloadSignatures[0]));
    FetchAnswer notModified;
    notModified.outcome = FetchOutcome::NotModified;
    struct Case {
        const char* name;
        FetchAnswer answer;
        const char* installed;
        const char* key;
        UpdateCheckOutcome outcome;
    };
    const Case cases[] = {
        {"304", notModified, "1.0", "", UpdateCheckOutcome::UpToDate},
        {"no answer", FetchAnswer(), "1.0", "", UpdateCheckOutcome::Unreachable},
        {"same version", Fetched(PointerFile("1.0.0")), "1.0", "", UpdateCheckOutcome::UpToDate},
        {"newer", Fetched(PointerFile("1.10")), "1.9", "", UpdateCheckOutcome::NewVersion},
        {"older", Fetched(PointerFile("1.2")), "1.10", "", UpdateCheckOutcome::Refused},
        {"not a pointer", Fetched("<html>"), "1.0", "", UpdateCheckOutcome::Refused},
        {"unsigned with a key", Fetched(PointerFile("2")), "1.0", testkeys::kPublicKey, UpdateCheckOutcome::Refused},
        {"signed", Fetched(signedPointer), "1.0", testkeys::kPublicKey, UpdateCheckOutcome::NewVersion},
        {"signed by another", Fetched(signedPointer), "1.0", testkeys::kOtherPublicKey, UpdateCheckOutcome::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const UpdateCheck check = JudgePointerAnswer(c.answer, c.installed, c.key);
        EXPECT_EQ(c.outcome, check.outcome);
        if (check.outcome == UpdateCheckOutcome::NewVersion) {
            EXPECT_NE(c.installed, check.pointer.version);
            EXPECT_EQ(L"\"v\"", check.validators.etag);
        }
    }
}

class UpdateCheckServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = testenv::MakeTempSubdir(L"Game");
        url = L"http://127.0.0.1:" + testenv::Var(L"HTTP_TEST_PORT") + L"/files/store/latest.json";
        const std::string manifest = "KVMF manifest bytes";
        InstalledVersion record;
        record.version = "1.0";
        record.manifestName = "manifests/1.0-0123456789abcdef.manifest";
        record.manifestBytes = manifest.size();
        chunkstore::Sha256Of(manifest.data(), manifest.size(), record.manifestSha256);
        record.manifestUrl = url;
        ASSERT_TRUE(WriteInstalledVersion(game, record, manifest));
    }
    InstalledVersion Record() {
        InstalledVersion record;
        EXPECT_TRUE(ReadInstalledVersion(game, record));
        return record;
    }
    HttpValidators Kept() {
        const InstalledVersion record = Record();
        return HttpValidators{record.pointerETag, record.pointerLastModified};
    }
    void Publish(const char* version) {
        ASSERT_TRUE(testenv::WriteFileBytes(testenv::Var(L"STORE_ROOT") + L"\\latest.json", PointerFile(version)));
    }
    UpdateCheckOutcome Check(const std::wstring& at) { return CheckForUpdate(at, game, Record(), "").outcome; }

    std::wstring game;
    std::wstring url;
};

// Validators are kept only once the version they name is the installed one:
// kept for a newer version, they would make a failed update look current.
TEST_F(UpdateCheckServerTest, AnUnchangedPointerCostsA304AndANewOneIsSeenUntilInstalled) {
    Publish("1.0");
    EXPECT_EQ(UpdateCheckOutcome::UpToDate, Check(url));
    const HttpValidators kept = Kept();
    ASSERT_FALSE(kept.etag.empty());
    EXPECT_FALSE(kept.lastModified.empty());
    EXPECT_EQ(FetchOutcome::NotModified, FetchIfChanged(url, kept, kUpdateCheckDeadlineMs, 65536).outcome);

    Publish("1.1");
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        const UpdateCheck check = CheckForUpdate(url, game, Record(), "");
        ASSERT_EQ(UpdateCheckOutcome::NewVersion, check.outcome);
        EXPECT_EQ("1.1", check.pointer.version);
        EXPECT_NE(kept.etag, check.validators.etag);
        EXPECT_EQ(kept.etag, Kept().etag);
    }
}

TEST_F(UpdateCheckServerTest, AStoreThatCannotAnswerLetsTheInstalledGameStartWithinTheDeadline) {
    const std::wstring host = L"http://127.0.0.1:";
    const std::wstring unreachable[] = {
        host + testenv::Var(L"HTTP_TEST_PORT") + L"/status/500",
        host + testenv::Var(L"HTTP_TEST_PORT") + L"/files/store/missing.json",
        host + testenv::Var(L"CLOSED_PORT") + L"/latest.json",
        host + testenv::Var(L"SILENT_PORT") + L"/latest.json",
        L"ftp://127.0.0.1/latest.json",
    };
    for (const std::wstring& at : unreachable) {
        SCOPED_TRACE(testing::PrintToString(at));
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(UpdateCheckOutcome::Unreachable, Check(at));
        // The deadline is 3 s; the rest is room for a loaded machine.
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(kUpdateCheckDeadlineMs + 2000));
    }
    EXPECT_TRUE(Kept().etag.empty());
}

TEST_F(UpdateCheckServerTest, APointerOverItsLimitIsRefusedUnread) {
    ASSERT_TRUE(testenv::WriteFileBytes(testenv::Var(L"STORE_ROOT") + L"\\latest.json", std::string(70000, ' ')));
    const FetchAnswer answer = FetchIfChanged(url, HttpValidators(), kUpdateCheckDeadlineMs, 65536);
    EXPECT_EQ(FetchOutcome::Unreachable, answer.outcome);
    EXPECT_EQ(200u, answer.status);
    EXPECT_TRUE(answer.body.empty());
}

}  // namespace
