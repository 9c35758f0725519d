#include "LauncherSwitches.h"

#include "TextHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const wchar_t* line;
    const wchar_t* forTheGame;
    bool found;
};

TEST(LauncherSwitches, OnlyTheUnquotedSwitchAndOneBlankAreTaken) {
    const Case cases[] = {
        {L"", L"", false},
        {L"--korva-verify", L"", true},
        {L"--korva-verify -channel demo", L"-channel demo", true},
        {L"-channel demo --korva-verify", L"-channel demo", true},
        {L"-a --korva-verify -b", L"-a -b", true},
        {L"-a  --korva-verify\t-b", L"-a  -b", true},
        {L"--korva-verify --korva-verify x", L"x", true},
        // Not the switch: quoted, longer, or part of another argument.
        {L"\"--korva-verify\"", L"\"--korva-verify\"", false},
        {L"\"a --korva-verify b\"", L"\"a --korva-verify b\"", false},
        {L"--korva-verify=1 --KORVA-VERIFY", L"--korva-verify=1 --KORVA-VERIFY", false},
        {L"-x--korva-verify", L"-x--korva-verify", false},
        // An escaped quote does not open a quoted part; an even run of backslashes does.
        {L"a\\\" --korva-verify b", L"a\\\" b", true},
        {L"a\\\\\" --korva-verify b\"", L"a\\\\\" --korva-verify b\"", false},
        {L"玩家一 --korva-verify \"C:\\路径\\\"", L"玩家一 \"C:\\路径\\\"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        std::wstring line = c.line;
        EXPECT_EQ(c.found, TakeLauncherSwitch(line, kVerifySwitch));
        EXPECT_EQ(c.forTheGame, line);
    }
}

// In code page 936 乗 is 81 5C: read byte by byte, its second byte would be a
// backslash escaping the quote after it, and the switch would seem quoted.
TEST(LauncherSwitches, TheAnsiCommandLineIsReadAfterWidening) {
    const std::string ansi = WideToAnsi(L"\"乗\" --korva-verify 玩家");
    ASSERT_EQ("\"\x81\x5c\" --korva-verify \xcd\xe6\xbc\xd2", ansi) << "not code page 936";
    std::wstring line = AnsiToWide(ansi);
    EXPECT_TRUE(TakeLauncherSwitch(line, kVerifySwitch));
    EXPECT_EQ(L"\"乗\" 玩家", line);
}

}  // namespace
