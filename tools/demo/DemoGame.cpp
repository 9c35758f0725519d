// Stand-in game of the demo package: notes how it was started and exits.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring record(self);
    record = record.substr(0, record.find_last_of(L'\\') + 1) + L"DemoGame-started.txt";
    FILE* out = _wfopen(record.c_str(), L"wb");
    if (out == nullptr) {
        return 1;
    }
    const wchar_t* commandLine = GetCommandLineW();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    if (bytes > 1) {
        WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, &utf8[0], bytes, nullptr, nullptr);
    }
    fprintf(out, "DemoGame started with command line: %s\n", utf8.c_str());
    fclose(out);
    return 0;
}
