#pragma once
#include <string>

// The launcher's own command-line switches. The rest of the command line
// belongs to the game, which receives it without them.

// Verifies every installed file against the manifest and repairs what differs.
extern const wchar_t kVerifySwitch[];

// Removes every unquoted `name` token from `commandLine`, each with one
// separating blank (the one after it, or the one before it at the end), and
// leaves every other character as it was; true when there was one. Quotes
// follow the C runtime's rules (a quote after an odd run of backslashes is
// literal), so a quoted "--korva-verify" stays an argument of the game. The
// wide command line is scanned, never the ANSI one, whose double-byte
// characters may end in a byte that reads as a backslash.
bool TakeLauncherSwitch(std::wstring& commandLine, const wchar_t* name);
