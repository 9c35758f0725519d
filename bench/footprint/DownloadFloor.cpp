// The floor for the launcher's working set during a download: one GET read
// with InternetReadFile into a 10240-byte buffer (the downloader's) and
// written to a file, nothing else.
//
//   download_floor.exe URL FILE
#include <windows.h>

#include <wininet.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 2;
    }
    HINTERNET session = InternetOpenW(L"download_floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = session != nullptr
                            ? InternetOpenUrlW(session, argv[1], nullptr, 0,
                                               INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                            : nullptr;
    HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    int result = 1;
    if (request != nullptr && file != INVALID_HANDLE_VALUE) {
        char buffer[10240];
        DWORD read = 0;
        while (InternetReadFile(request, buffer, sizeof(buffer), &read) && read > 0) {
            DWORD written = 0;
            WriteFile(file, buffer, read, &written, nullptr);
        }
        result = read == 0 ? 0 : 1;
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    if (request != nullptr) {
        InternetCloseHandle(request);
    }
    if (session != nullptr) {
        InternetCloseHandle(session);
    }
    return result;
}
