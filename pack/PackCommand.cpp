#include "PackCommand.h"

#include "TerminalProgress.h"

namespace korvapack {
namespace {

const char kUsage[] =
    "usage: korva-pack --version V [--sign KEY] GAME_FOLDER STORE_FOLDER\n"
    "  Packs GAME_FOLDER as version V (dotted numbers, newer than the store's current one) into\n"
    "  STORE_FOLDER: the chunks the store lacks, the version's manifest, then latest.json.\n"
    "  Upload STORE_FOLDER as it is to any static web server; launchers read latest.json there.\n"
    "  --sign KEY  signs latest.json with KEY, a PEM P-256 private key from\n"
    "              openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out KEY\n";

double Mebibytes(uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void Report(const PackSummary& summary, const std::string& version, std::FILE* out) {
    std::fprintf(out, "korva-pack: version %s: %llu files, %llu empty folders, %.1f MiB\n", version.c_str(),
                 static_cast<unsigned long long>(summary.files), static_cast<unsigned long long>(summary.folders),
                 Mebibytes(summary.gameBytes));
    std::fprintf(out, "korva-pack: %llu chunks, %.1f MiB stored; %llu new, %.1f MiB\n",
                 static_cast<unsigned long long>(summary.chunks), Mebibytes(summary.storedBytes),
                 static_cast<unsigned long long>(summary.newChunks), Mebibytes(summary.newStoredBytes));
    std::fprintf(out, "korva-pack: %s, %llu bytes\n", summary.manifestName.c_str(),
                 static_cast<unsigned long long>(summary.manifestBytes));
    if (summary.pointerWritten) {
        std::fprintf(out, "korva-pack: latest.json names version %s%s\n", version.c_str(),
                     summary.publicKeyBase64.empty() ? "" : " (signed)");
    } else {
        std::fprintf(out, "korva-pack: latest.json already names this content; left as it is\n");
    }
    if (!summary.publicKeyBase64.empty()) {
        std::fprintf(out, "korva-pack: publisher_key %s\n", summary.publicKeyBase64.c_str());
    }
}

}  // namespace

bool ParsePackCommand(const std::vector<std::filesystem::path>& args, PackCommand& command, std::string& error) {
    PackCommand parsed;
    std::vector<std::filesystem::path> folders;
    bool versionGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i].u8string();
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            command = parsed;
            return true;
        }
        if (arg == "--version" || arg == "--sign") {
            if (i + 1 == args.size()) {
                error = arg + " needs a value";
                return false;
            }
            if (arg == "--version") {
                parsed.options.version = args[++i].u8string();
                versionGiven = true;
            } else {
                parsed.options.keyFile = args[++i];
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            folders.push_back(args[i]);
        }
    }
    if (!versionGiven) {
        error = "--version is required";
        return false;
    }
    if (folders.size() != 2) {
        error = "give the game folder and the store folder";
        return false;
    }
    parsed.options.gameFolder = folders[0];
    parsed.options.storeFolder = folders[1];
    command = parsed;
    return true;
}

int RunPackCommand(const std::vector<std::filesystem::path>& args, std::FILE* out, std::FILE* err) {
    PackCommand command;
    std::string error;
    if (!ParsePackCommand(args, command, error)) {
        std::fprintf(err, "korva-pack: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (command.help) {
        std::fputs(kUsage, out);
        return 0;
    }
    TerminalProgress progress(out);
    Packer packer(command.options, &progress);
    PackSummary summary;
    bool packed = packer.Run(summary, error);
    progress.Finish();
    if (!packed) {
        std::fprintf(err, "korva-pack: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& warning : summary.warnings) std::fprintf(err, "korva-pack: warning: %s\n", warning.c_str());
    Report(summary, command.options.version, out);
    return 0;
}

}  // namespace korvapack
