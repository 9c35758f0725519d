#include "StorePath.h"

#include "StoreErrorPrinter.h"

#include <gtest/gtest.h>

#include <string>

using chunkstore::CheckStorePath;
using chunkstore::FoldPathCase;
using chunkstore::StoreError;

TEST(StorePath, EachHostileNameEndsInItsOwnRefusal) {
    const struct {
        std::string path;
        StoreError expected;
    } kCases[] = {
        {"Game.exe", StoreError::Ok},
        {"data/关卡 1/地图.pak", StoreError::Ok},
        {"a/b.c/.hidden/x y", StoreError::Ok},
        {"CONSOLE/COM10/LPT/nul-free.txt", StoreError::Ok},
        {"", StoreError::PathEmpty},
        {std::string(1025, 'a'), StoreError::PathTooLong},
        {"/etc/passwd", StoreError::PathAbsolute},
        {"\\\\server\\share", StoreError::PathAbsolute},
        {"C:/Windows/evil.dll", StoreError::PathAbsolute},
        {"c:evil.dll", StoreError::PathAbsolute},
        {"../outside.txt", StoreError::PathDotComponent},
        {"data/../../outside.txt", StoreError::PathDotComponent},
        {"./same.txt", StoreError::PathDotComponent},
        {"data//file", StoreError::PathEmptyComponent},
        {"data/", StoreError::PathEmptyComponent},
        {"data\\..\\x", StoreError::PathBadCharacter},
        {"file.txt:stream", StoreError::PathBadCharacter},
        {"what?.txt", StoreError::PathBadCharacter},
        {"tab\there", StoreError::PathBadCharacter},
        {std::string("nul\0byte", 8), StoreError::PathBadCharacter},
        {"CON", StoreError::PathReservedName},
        {"data/nul.txt", StoreError::PathReservedName},
        {"Com1.tar.gz", StoreError::PathReservedName},
        {"lpt9", StoreError::PathReservedName},
        {"AUX .txt", StoreError::PathReservedName},
        {"COM\xC2\xB9", StoreError::PathReservedName},
        {"conout$", StoreError::PathReservedName},
        {"trailing.", StoreError::PathTrailingDotOrSpace},
        {"folder /x", StoreError::PathTrailingDotOrSpace},
        {std::string(256, 'n'), StoreError::PathComponentTooLong},
        {"\xC0\xAF", StoreError::PathNotUtf8},
        {"\xED\xA0\x80", StoreError::PathNotUtf8},
        {"\xF4\x90\x80\x80", StoreError::PathNotUtf8},
        {"bad\xE4\xB8", StoreError::PathNotUtf8},
        {".korva-install-incomplete", StoreError::PathReservedForLauncher},
        {".KORVA/journal", StoreError::PathReservedForLauncher},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.expected, CheckStorePath(c.path)) << chunkstore::StoreErrorText(CheckStorePath(c.path));
    }
}

TEST(StorePath, CaseFoldingMakesWindowsTwinsEqualAndKeepsOthersApart) {
    const struct {
        std::string a;
        std::string b;
        bool same;
    } kCases[] = {
        {"Data/Level.PAK", "data/level.pak", true},
        {"ÉTÉ/Ÿ", "été/ÿ", true},
        {"Łódź/Ŋ", "łódź/ŋ", true},
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
        {"ΣΑΣ", "σας", true},
        {"МОСКВА/Ёж", "москва/ёж", true},
        {"ＡＢＣ", "ａｂｃ", true},
        {"地图", "地图", true},
        {"a", "b", false},
        {"straße", "STRASSE", false},
        {"é", "e\xCC\x81", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        ASSERT_EQ(StoreError::Ok, CheckStorePath(c.a));
        ASSERT_EQ(StoreError::Ok, CheckStorePath(c.b));
        EXPECT_EQ(c.same, FoldPathCase(c.a) == FoldPathCase(c.b));
    }
}
