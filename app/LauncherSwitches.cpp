#include "LauncherSwitches.h"

const wchar_t kVerifySwitch[] = L"--korva-verify";

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The end of the token that starts at `begin`: the first blank outside quotes.
size_t TokenEnd(const std::wstring& line, size_t begin) {
    bool quoted = false;
    size_t backslashes = 0;
    size_t i = begin;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == L'\\') {
            ++backslashes;
            continue;
        }
        if (line[i] == L'"' && backslashes % 2 == 0) {
            quoted = !quoted;
        }
        backslashes = 0;
    }
    return i;
}

}  // namespace

bool TakeLauncherSwitch(std::wstring& commandLine, const wchar_t* name) {
    const std::wstring wanted(name);
    bool found = false;
    size_t i = 0;
    while (i < commandLine.size()) {
        if (IsBlank(commandLine[i])) {
            ++i;
            continue;
        }
        const size_t begin = i;
        const size_t end = TokenEnd(commandLine, begin);
        if (commandLine.compare(begin, end - begin, wanted) != 0) {
            i = end;
            continue;
        }
        found = true;
        if (end < commandLine.size()) {
            commandLine.erase(begin, end - begin + 1);
            i = begin;
        } else {
            const size_t from = begin > 0 ? begin - 1 : begin;
            commandLine.erase(from);
            i = from;
        }
    }
    return found;
}
