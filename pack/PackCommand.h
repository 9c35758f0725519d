#pragma once
#include "Packer.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace korvapack {

struct PackCommand {
    bool help = false;
    PackOptions options;
};

// korva-pack --version V [--sign KEY] GAME_FOLDER STORE_FOLDER, arguments
// after the program's name. False with `error` for anything else.
bool ParsePackCommand(const std::vector<std::filesystem::path>& args, PackCommand& command, std::string& error);

// The whole program: parses, packs with progress on a terminal, reports.
// Exit code: 0 done, 1 packing failed, 2 wrong usage.
int RunPackCommand(const std::vector<std::filesystem::path>& args, std::FILE* out, std::FILE* err);

}  // namespace korvapack
