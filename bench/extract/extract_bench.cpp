// Times one extraction with QueryPerformanceCounter through ExtractArchive,
// the code behind mini_unzip_dll, with a given number of workers.
// Usage: extract_bench <archive> <folder> <workers, 0 for the default>
#include "ZipExtractor.h"
#include "ZipPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Wide(const char* text) {
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(units > 0 ? static_cast<size_t>(units) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], units);
    out.resize(out.size() - 1);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: extract_bench <archive> <folder> <workers>\n");
        return 2;
    }
    unsigned workers = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));
    unsigned used = 0;
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ZipResult result = ExtractArchive(Wide(argv[1]), Wide(argv[2]), workers, &used);
    QueryPerformanceCounter(&end);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("workers %u result %d in %.3f s\n", used, static_cast<int>(result), seconds);
    return result == ZipResult::Ok ? 0 : 1;
}
