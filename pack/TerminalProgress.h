#pragma once
#include "Packer.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace korvapack {

// One line on the terminal, redrawn at most a few times a second; nothing
// when the output goes to a file or a pipe (build logs stay clean).
class TerminalProgress : public PackProgress {
public:
    explicit TerminalProgress(std::FILE* out);
    void Advance(uint64_t doneBytes, uint64_t totalBytes) override;
    // Ends the line if one was drawn.
    void Finish();

private:
    std::FILE* out_;  // not owned
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace korvapack
