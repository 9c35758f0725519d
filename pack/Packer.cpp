#include "Packer.h"

#include "Base64.h"
#include "ManifestCodec.h"
#include "PointerSigner.h"
#include "Sha256Hasher.h"
#include "StoreLayout.h"
#include "StorePointer.h"
#include "Version.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <fstream>

namespace korvapack {
namespace {

// Several chunks per read, so that refilling stays rare.
constexpr size_t kReadBufferBytes = 4 * 1024 * 1024;

std::string Describe(chunkstore::StoreError error) { return chunkstore::StoreErrorText(error); }

}  // namespace

Packer::Packer(PackOptions options, PackProgress* progress)
    : options_(std::move(options)), progress_(progress), store_(options_.storeFolder) {}

bool Packer::Run(PackSummary& summary, std::string& error) {
    try {
        summary_ = PackSummary();
        CurrentVersion current;
        std::vector<GameItem> items;
        if (!chunkstore::IsValidVersion(options_.version)) {
            error = "'" + options_.version + "' is not a version: use dotted numbers such as 1.4.2";
            return false;
        }
        if (!CheckFoldersApart(error) || !ReadCurrentVersion(current, error) ||
            !ScanGameFolder(options_.gameFolder, items, error)) {
            return false;
        }
        chunkstore::ManifestBuilder builder(options_.version);
        std::string manifest;
        chunkstore::Digest digest;
        if (!PackItems(items, builder, error) || !EncodeManifest(builder.Build(), manifest, digest, error) ||
            !Publish(current, manifest, digest, error)) {
            return false;
        }
        summary = summary_;
        return true;
    } catch (const std::exception& exception) {
        error = std::string("packing failed: ") + exception.what();
        return false;
    }
}

bool Packer::PackItems(const std::vector<GameItem>& items, chunkstore::ManifestBuilder& builder, std::string& error) {
    if (std::none_of(items.begin(), items.end(), [](const GameItem& item) { return !item.folder; })) {
        error = "'" + PathText(options_.gameFolder) + "' holds no file to pack";
        return false;
    }
    doneBytes_ = 0;
    totalBytes_ = 0;
    for (const GameItem& item : items) totalBytes_ += item.size;
    for (const GameItem& item : items) {
        if (item.folder) {
            builder.AddFolder(item.path);
            ++summary_.folders;
            continue;
        }
        std::vector<chunkstore::ChunkInfo> chunks;
        if (!PackFile(item, chunks, error)) return false;
        builder.AddFile(item.path, item.size, std::move(chunks));
        ++summary_.files;
        summary_.gameBytes += item.size;
    }
    return true;
}

bool Packer::EncodeManifest(const chunkstore::Manifest& manifest, std::string& bytes, chunkstore::Digest& digest,
                            std::string& error) {
    bytes = chunkstore::EncodeManifest(manifest);
    // The launcher's reader is the judge of what ships.
    chunkstore::Manifest check;
    chunkstore::StoreError refused =
        chunkstore::DecodeManifest(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), check);
    if (refused != chunkstore::StoreError::Ok) {
        error = "the manifest would be refused: " + Describe(refused);
        return false;
    }
    if (!chunkstore::Sha256Of(bytes.data(), bytes.size(), digest)) {
        error = "SHA-256 is not available";
        return false;
    }
    for (const chunkstore::ChunkInfo& chunk : manifest.chunks) summary_.storedBytes += chunk.storedBytes;
    summary_.chunks = manifest.chunks.size();
    summary_.manifestName = chunkstore::ManifestObjectName(options_.version, digest);
    summary_.manifestBytes = bytes.size();
    return true;
}

// The manifest, then the pointer; the same content again needs a new
// pointer only to sign it.
bool Packer::Publish(const CurrentVersion& current, const std::string& manifest, const chunkstore::Digest& digest,
                     std::string& error) {
    bool sameVersion = current.exists && chunkstore::CompareVersions(current.version, options_.version) == 0;
    if (sameVersion && current.manifestName != summary_.manifestName) {
        error = "version " + current.version + " is already published with other content; pack it as a newer version";
        return false;
    }
    if (!WriteManifest(manifest, summary_.manifestName, error)) return false;
    if (sameVersion && options_.keyFile.empty()) return true;
    if (current.signedPointer && options_.keyFile.empty()) {
        summary_.warnings.push_back("the store's pointer was signed; without --sign, launchers that check the "
                                    "publisher key will refuse this one");
    }
    return WritePointer(chunkstore::MakePointerPayload(options_.version, manifest.size(), digest), error);
}

// A store inside the game would be packed into the game's next version.
bool Packer::CheckFoldersApart(std::string& error) const {
    std::error_code code;
    std::filesystem::path game = std::filesystem::weakly_canonical(options_.gameFolder, code);
    std::filesystem::path store = std::filesystem::weakly_canonical(options_.storeFolder, code);
    auto within = [](const std::filesystem::path& outer, const std::filesystem::path& inner) {
        std::filesystem::path relative = inner.lexically_relative(outer);
        return !relative.empty() && *relative.begin() != "..";
    };
    if (!code && !within(game, store) && !within(store, game)) {
        return true;
    }
    error = "the game folder '" + PathText(options_.gameFolder) + "' and the store folder '" +
            PathText(options_.storeFolder) + "' must lie apart, neither inside the other";
    return false;
}

bool Packer::ReadCurrentVersion(CurrentVersion& current, std::string& error) const {
    std::string text;
    bool missing = false;
    if (!store_.Read(chunkstore::kPointerName, text, missing)) {
        if (missing) return true;
        error = "cannot read '" + PathText(store_.PathOf(chunkstore::kPointerName)) + "'";
        return false;
    }
    chunkstore::StorePointer pointer;
    chunkstore::StoreError refused = chunkstore::DecodePointerFile(text, pointer);
    if (refused != chunkstore::StoreError::Ok) {
        error = "'" + PathText(store_.PathOf(chunkstore::kPointerName)) + "' is not a store pointer (" +
                Describe(refused) + "); move it away to start a new store there";
        return false;
    }
    if (chunkstore::CompareVersions(options_.version, pointer.version) < 0) {
        error = "version " + options_.version + " is older than the store's current version " + pointer.version +
                ", and launchers never go back to an older version";
        return false;
    }
    current = {true, !pointer.signature.empty(), pointer.version, pointer.manifestName};
    return true;
}

bool Packer::PackFile(const GameItem& item, std::vector<chunkstore::ChunkInfo>& chunks, std::string& error) {
    std::ifstream in(item.source, std::ios::binary);
    if (!in) {
        error = "cannot open '" + PathText(item.source) + "'";
        return false;
    }
    buffer_.resize(kReadBufferBytes);
    size_t begin = 0;
    size_t end = 0;
    uint64_t fileBytes = 0;
    bool atEnd = false;
    for (;;) {
        if (!atEnd && end - begin < chunker_.MaxBytes()) {
            std::memmove(buffer_.data(), buffer_.data() + begin, end - begin);
            end -= begin;
            begin = 0;
            in.read(reinterpret_cast<char*>(buffer_.data() + end), static_cast<std::streamsize>(buffer_.size() - end));
            end += static_cast<size_t>(in.gcount());
            if (in.bad()) {
                error = "cannot read '" + PathText(item.source) + "'";
                return false;
            }
            atEnd = in.eof();
        }
        if (begin == end) break;
        size_t cut = chunker_.NextCut(buffer_.data() + begin, end - begin);
        chunkstore::ChunkInfo chunk;
        if (!SettleChunk(buffer_.data() + begin, cut, chunk, error)) return false;
        chunks.push_back(chunk);
        begin += cut;
        fileBytes += cut;
        doneBytes_ += cut;
        if (progress_ != nullptr) progress_->Advance(doneBytes_, totalBytes_);
    }
    if (fileBytes != item.size) {
        error = "'" + PathText(item.source) + "' changed while it was packed";
        return false;
    }
    return true;
}

// Finds the chunk in the store, proven intact, or writes it there.
bool Packer::SettleChunk(const uint8_t* raw, size_t size, chunkstore::ChunkInfo& chunk, std::string& error) {
    chunk.rawBytes = static_cast<uint32_t>(size);
    if (!chunkstore::Sha256Of(raw, size, chunk.id)) {
        error = "SHA-256 is not available";
        return false;
    }
    auto known = settled_.find(chunk.id);
    if (known != settled_.end()) {
        chunk = known->second;
        return true;
    }
    std::string name = chunkstore::ChunkObjectName(chunk.id);
    bool missing = false;
    if (store_.Read(name, stored_, missing) && stored_.size() <= size + 1) {
        chunk.storedBytes = static_cast<uint32_t>(stored_.size());
        if (decoder_.Decode(chunk, reinterpret_cast<const uint8_t*>(stored_.data()), stored_.size(), decoded_) ==
            chunkstore::StoreError::Ok) {
            settled_.emplace(chunk.id, chunk);
            return true;
        }
    }
    // Missing, or damaged: a store repairs itself on the next pack.
    if (!encoder_.Encode(raw, size, stored_)) {
        error = "zstd failed to compress a chunk";
        return false;
    }
    if (!store_.Write(name, stored_, error)) return false;
    chunk.storedBytes = static_cast<uint32_t>(stored_.size());
    settled_.emplace(chunk.id, chunk);
    ++summary_.newChunks;
    summary_.newStoredBytes += stored_.size();
    return true;
}

bool Packer::WriteManifest(const std::string& bytes, const std::string& name, std::string& error) const {
    std::string existing;
    bool missing = false;
    if (store_.Read(name, existing, missing) && existing == bytes) return true;
    return store_.Write(name, bytes, error);
}

bool Packer::WritePointer(const std::string& payload, std::string& error) {
    std::string signature;
    if (!options_.keyFile.empty()) {
        std::string publicKey;
        if (!SignPointerPayload(options_.keyFile, payload, signature, publicKey, error)) return false;
        summary_.publicKeyBase64 = chunkstore::Base64Encode(publicKey);
    }
    std::string text = chunkstore::EncodePointerFile(payload, signature);
    // Proof that a launcher will take it, signature included.
    chunkstore::StorePointer pointer;
    chunkstore::StoreError refused = chunkstore::DecodePointerFile(text, pointer);
    if (refused == chunkstore::StoreError::Ok && !signature.empty()) {
        refused = chunkstore::VerifyPointerSignature(pointer, summary_.publicKeyBase64);
    }
    if (refused != chunkstore::StoreError::Ok) {
        error = "the pointer would be refused: " + Describe(refused);
        return false;
    }
    if (!store_.Write(chunkstore::kPointerName, text, error)) return false;
    summary_.pointerWritten = true;
    return true;
}

}  // namespace korvapack
