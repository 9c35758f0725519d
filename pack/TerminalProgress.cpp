#include "TerminalProgress.h"

#ifdef _WIN32
#include <io.h>
#define KORVA_ISATTY _isatty
#define KORVA_FILENO _fileno
#else
#include <unistd.h>
#define KORVA_ISATTY isatty
#define KORVA_FILENO fileno
#endif

namespace korvapack {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

double Mebibytes(uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

TerminalProgress::TerminalProgress(std::FILE* out)
    : out_(out), enabled_(KORVA_ISATTY(KORVA_FILENO(out)) != 0), start_(std::chrono::steady_clock::now()) {}

void TerminalProgress::Advance(uint64_t doneBytes, uint64_t totalBytes) {
    if (!enabled_) {
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDrawn_ < kRedrawInterval && doneBytes < totalBytes) {
        return;
    }
    double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(out_, "\rkorva-pack: %3d%%  %.1f of %.1f MiB  %.1f MiB/s   ",
                 totalBytes == 0 ? 100 : static_cast<int>(doneBytes * 100 / totalBytes), Mebibytes(doneBytes),
                 Mebibytes(totalBytes), seconds > 0 ? Mebibytes(doneBytes) / seconds : 0.0);
    std::fflush(out_);
    drawn_ = true;
    lastDrawn_ = now;
}

void TerminalProgress::Finish() {
    if (drawn_) {
        std::fputs("\n", out_);
        drawn_ = false;
    }
}

}  // namespace korvapack
