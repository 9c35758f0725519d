#include "PackCommand.h"

#include <cstdio>
#include <filesystem>
#include <vector>

// The wide entry point on Windows, so that folder names outside the ANSI
// code page arrive intact.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    std::vector<std::filesystem::path> args(argv + 1, argv + argc);
    return korvapack::RunPackCommand(args, stdout, stderr);
}
