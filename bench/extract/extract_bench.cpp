// Times one mini_unzip_dll call with QueryPerformanceCounter.
// Usage: extract_bench <minizip.dll> <archive> <folder>
#include <windows.h>

#include <cstdio>

using MiniUnzipFunction = int(__cdecl*)(const char* archive, const char* folder);

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: extract_bench <minizip.dll> <archive> <folder>\n");
        return 2;
    }
    HMODULE library = LoadLibraryExA(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    auto unzip = reinterpret_cast<MiniUnzipFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "mini_unzip_dll")));
    if (unzip == nullptr) {
        std::fprintf(stderr, "mini_unzip_dll not exported\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int result = unzip(argv[2], argv[3]);
    QueryPerformanceCounter(&end);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("minizip.dll result %d in %.3f s\n", result, seconds);
    FreeLibrary(library);
    return result == 0 ? 0 : 1;
}
