// The chunk store's figures on a generated game of mixed content (about
// half of it compressible), packed by the packer's own library:
//   store_bench [game MiB, default 200] [work folder]
// Prints the manifest's share of the store, the chunk size distribution,
// pack throughput, what two small updates fetch, and the same measures for
// other chunk sizes and zstd levels, each on its own line.
#include "ChunkEncoder.h"
#include "Chunker.h"
#include "ManifestBuilder.h"
#include "ManifestCodec.h"
#include "Packer.h"
#include "ScratchFolder.h"
#include "Sha256Hasher.h"
#include "StorePointer.h"
#include "TestBytes.h"
#include "UpdatePlan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Game = std::vector<std::pair<std::string, std::string>>;

constexpr double kMiB = 1024.0 * 1024.0;

// Blocks of incompressible bytes (textures, audio) among text-like ones.
std::string MixedBytes(size_t size, uint64_t seed, int randomPercent) {
    std::string bytes;
    uint64_t block = 0;
    while (bytes.size() < size) {
        size_t length = std::min<size_t>(size - bytes.size(), 48 * 1024);
        bool random = (seed * 31 + block * 17) % 100 < static_cast<uint64_t>(randomPercent);
        bytes += random ? testkit::RandomBytes(length, seed * 1000 + block) : testkit::TextLikeBytes(length, seed + block);
        ++block;
    }
    return bytes;
}

// A game of `total` bytes: one large pack file (half), a movie, the
// executable, 150 medium files and 1500 small ones.
Game MakeGame(uint64_t total) {
    Game game;
    game.push_back({"data/world.pak", MixedBytes(total / 2, 1, 40)});
    game.push_back({"movies/intro.bk2", testkit::RandomBytes(total * 15 / 100, 2)});
    game.push_back({"bin/Game.exe", MixedBytes(total * 5 / 100, 3, 50)});
    for (int i = 0; i < 150; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "data/关卡/level_%03d.lvl", i);
        game.push_back({name, MixedBytes(total / 750 * (50 + i % 100) / 100, 100 + i, 30)});
    }
    for (int i = 0; i < 1500; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "locale/zh/strings_%04d.txt", i);
        game.push_back({name, testkit::TextLikeBytes(total / 15000 * (20 + i % 160) / 100, 5000 + i)});
    }
    return game;
}

uint64_t SizeOf(const Game& game) {
    uint64_t size = 0;
    for (const auto& file : game) size += file.second.size();
    return size;
}

// About `share` of the bytes changed, spread over 40 files: regions of the
// large pack file overwritten or inserted, 39 others rewritten in a region
// or whole.
Game ChangeBytes(Game game, double share) {
    uint64_t target = static_cast<uint64_t>(SizeOf(game) * share);
    uint64_t perRegion = target * 4 / 10 / 10;
    std::string& pak = game[0].second;
    for (int region = 0; region < 10; ++region) {
        size_t at = pak.size() / 11 * (region + 1);
        std::string patch = testkit::RandomBytes(perRegion, 900 + region);
        if (region % 2 == 0) {
            pak.replace(at, patch.size(), patch);
        } else {
            pak.insert(at, patch);
        }
    }
    uint64_t perFile = target * 6 / 10 / 39;
    for (size_t i = 0; i < 39; ++i) {
        std::string& bytes = game[2 + i * 41 % (game.size() - 2)].second;
        std::string patch = testkit::TextLikeBytes(std::min<uint64_t>(perFile, bytes.size()), 700 + i);
        bytes.replace((bytes.size() - patch.size()) / 3, patch.size(), patch);
    }
    return game;
}

Game InsertNearStart(Game game, size_t bytes) {
    game[0].second.insert(4096, testkit::RandomBytes(bytes, 77));
    return game;
}

void WriteGame(const Game& game, const fs::path& root) {
    fs::remove_all(root);
    for (const auto& [path, bytes] : game) testkit::WriteFileBytes(root / fs::u8path(path), bytes);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Packed {
    korvapack::PackSummary summary;
    chunkstore::Manifest manifest;
    double seconds = 0;
};

Packed Pack(const Game& game, const fs::path& work, const std::string& version) {
    fs::path folder = work / ("game-" + version);
    WriteGame(game, folder);
    Packed packed;
    std::string error;
    auto start = std::chrono::steady_clock::now();
    korvapack::Packer packer({version, folder, work / "store", {}}, nullptr);
    if (!packer.Run(packed.summary, error)) {
        std::fprintf(stderr, "store_bench: %s\n", error.c_str());
        std::exit(1);
    }
    packed.seconds = Seconds(start);
    std::string bytes = testkit::ReadFileBytes(work / "store" / fs::u8path(packed.summary.manifestName));
    chunkstore::DecodeManifest(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), packed.manifest);
    fs::remove_all(folder);
    return packed;
}

void PrintChunkSizes(const Packed& packed) {
    std::vector<uint32_t> sizes;
    for (const auto& entry : packed.manifest.entries) {
        if (entry.size < 4 * 256 * 1024) continue;
        for (uint32_t index : entry.chunks) sizes.push_back(packed.manifest.chunks[index].rawBytes);
    }
    std::sort(sizes.begin(), sizes.end());
    double sum = 0;
    for (uint32_t size : sizes) sum += size;
    auto at = [&](double q) { return sizes[static_cast<size_t>(q * (sizes.size() - 1))] / 1024.0; };
    std::printf("chunk sizes in files over 1 MiB: %zu chunks, mean %.1f KiB, min %.1f, p10 %.1f, p50 %.1f, "
                "p90 %.1f, max %.1f KiB\n",
                sizes.size(), sum / sizes.size() / 1024.0, at(0), at(0.1), at(0.5), at(0.9), at(1));
}

void PrintUpdate(const char* what, const Packed& from, const Packed& to) {
    chunkstore::UpdatePlan plan = chunkstore::PlanUpdate(from.manifest, to.manifest);
    uint64_t fetched = plan.bytesToFetch + to.summary.manifestBytes;
    uint64_t full = to.summary.storedBytes + to.summary.manifestBytes;
    std::printf("update, %s: %zu files rewritten, fetch %.2f MiB = %.2f %% of the new version's store "
                "(%.1f MiB); the pack wrote %llu new chunks\n",
                what, plan.changed.size(), fetched / kMiB, 100.0 * fetched / full, full / kMiB,
                static_cast<unsigned long long>(to.summary.newChunks));
}

// Chunks, manifest and update cost with other chunk sizes, from raw bytes
// (no store written): what the store's 16/64/256 KiB were chosen against.
void CompareChunkSizes(const Game& v1, const Game& changed, const Game& inserted) {
    const uint32_t kSizes[][3] = {{8, 32, 128}, {16, 64, 256}, {32, 128, 512}};
    for (const auto& kib : kSizes) {
        chunkstore::Chunker chunker(kib[0] * 1024, kib[1] * 1024, kib[2] * 1024);
        auto chunkAll = [&](const Game& game, std::set<chunkstore::Digest>* known, uint64_t& newBytes) {
            chunkstore::ManifestBuilder builder("1.0");
            for (const auto& [path, bytes] : game) {
                std::vector<chunkstore::ChunkInfo> chunks;
                const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
                for (size_t at = 0; at < bytes.size();) {
                    size_t cut = chunker.NextCut(data + at, bytes.size() - at);
                    chunkstore::ChunkInfo chunk;
                    chunkstore::Sha256Of(data + at, cut, chunk.id);
                    chunk.rawBytes = static_cast<uint32_t>(cut);
                    chunk.storedBytes = static_cast<uint32_t>(cut * 6 / 10 + 1);
                    if (known != nullptr && known->insert(chunk.id).second) newBytes += cut;
                    chunks.push_back(chunk);
                    at += cut;
                }
                builder.AddFile(path, bytes.size(), chunks);
            }
            return builder.Build();
        };
        uint64_t unused = 0;
        chunkstore::Manifest first = chunkAll(v1, nullptr, unused);
        std::set<chunkstore::Digest> known;
        for (const auto& chunk : first.chunks) known.insert(chunk.id);
        std::set<chunkstore::Digest> knownToo = known;
        uint64_t changedBytes = 0;
        uint64_t insertedBytes = 0;
        chunkAll(changed, &known, changedBytes);
        chunkAll(inserted, &knownToo, insertedBytes);
        std::printf("chunk sizes %u/%u/%u KiB: %zu chunks, manifest %.3f %% of the raw game, 3 %% update fetches "
                    "%.2f %% raw, 1 KiB insert fetches %.0f KiB raw\n",
                    kib[0], kib[1], kib[2], first.chunks.size(),
                    100.0 * chunkstore::EncodeManifest(first).size() / SizeOf(v1), 100.0 * changedBytes / SizeOf(changed),
                    insertedBytes / 1024.0);
    }
}

void CompareZstdLevels(const std::string& sample) {
    chunkstore::Chunker chunker;
    for (int level : {3, 6, 9, 12, 15, 19}) {
        chunkstore::ChunkEncoder encoder(level);
        std::string stored;
        uint64_t total = 0;
        auto start = std::chrono::steady_clock::now();
        const auto* data = reinterpret_cast<const uint8_t*>(sample.data());
        for (size_t at = 0; at < sample.size();) {
            size_t cut = chunker.NextCut(data + at, sample.size() - at);
            encoder.Encode(data + at, cut, stored);
            total += stored.size();
            at += cut;
        }
        double seconds = Seconds(start);
        std::printf("zstd level %2d%s: stored %.1f %% of raw, %.1f MiB/s\n", level,
                    level == chunkstore::kChunkCompressionLevel ? " (the store's)" : "",
                    100.0 * total / sample.size(), sample.size() / kMiB / seconds);
    }
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
    testkit::ScratchFolder scratch;
    fs::path work = argc > 2 ? fs::path(argv[2]) : scratch.Path();

    Game v1 = MakeGame(mib << 20);
    std::printf("game: %.1f MiB in %zu files, mixed content\n", SizeOf(v1) / kMiB, v1.size());
    Packed first = Pack(v1, work, "1.0");
    std::printf("pack: %.1f MiB in %.1f s = %.1f MiB/s; store %.1f MiB (%.1f %% of the game) in %llu chunks\n",
                first.summary.gameBytes / kMiB, first.seconds, first.summary.gameBytes / kMiB / first.seconds,
                first.summary.storedBytes / kMiB, 100.0 * first.summary.storedBytes / first.summary.gameBytes,
                static_cast<unsigned long long>(first.summary.chunks));
    std::printf("manifest: %llu bytes = %.3f %% of the store (limit 0.2 %%)\n",
                static_cast<unsigned long long>(first.summary.manifestBytes),
                100.0 * first.summary.manifestBytes / first.summary.storedBytes);
    PrintChunkSizes(first);

    Game changed = ChangeBytes(v1, 0.03);
    Game inserted = InsertNearStart(v1, 1024);
    PrintUpdate("3 % of the bytes changed in 40 files (limit 4 %)", first, Pack(changed, work, "1.1"));
    PrintUpdate("1 KiB inserted near the start of the largest file (limit 1 MiB)", first, Pack(inserted, work, "1.2"));

    CompareChunkSizes(v1, changed, inserted);
    CompareZstdLevels(v1[0].second.substr(0, 16 << 20));
    return 0;
}
