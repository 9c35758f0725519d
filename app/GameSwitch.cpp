#include "GameSwitch.h"

#include "FolderTree.h"
#include "GameState.h"
#include "Paths.h"
#include "Platform.h"
#include "ScopedHandle.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <utility>

namespace {

// In the launcher's state folder (GameState.h).
const wchar_t kStagingFolder[] = L"update";
const wchar_t kJournalFile[] = L"journal";
const wchar_t kJournalDraft[] = L"journal.tmp";

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

bool Exists(const std::wstring& path) {
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring ParentOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.Get());
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() || (ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

}  // namespace

GameSwitch::GameSwitch(const std::wstring& gameDir)
    : gameDir_(gameDir), stagingDir_(CombinePath(CombinePath(gameDir, kGameStateFolder), kStagingFolder)) {}

std::wstring GameSwitch::GamePath(const std::wstring& gameDir, const std::string& path) {
    std::wstring relative;
    Utf8ToWide(path.data(), static_cast<int>(path.size()), relative);
    for (wchar_t& c : relative) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return gameDir + L"\\" + relative;
}

std::wstring GameSwitch::Target(const std::string& path) const {
    return GamePath(gameDir_, path);
}

std::string GameSwitch::StagedName(size_t step) {
    return "new-" + std::to_string(step);
}

std::wstring GameSwitch::StagedFile(size_t step) const {
    const std::string name = StagedName(step);
    return stagingDir_ + L"\\" + std::wstring(name.begin(), name.end());
}

std::wstring GameSwitch::AsideFile(size_t step) const {
    return stagingDir_ + L"\\old-" + std::to_wstring(step);
}

std::wstring GameSwitch::JournalFile() const {
    return CombinePath(stagingDir_, kJournalFile);
}

bool GameSwitch::MayChange() {
    if (stopAfter_ >= 0 && changes_ >= stopAfter_) {
        stopped_ = true;
    }
    if (stopped_) {
        return false;
    }
    ++changes_;
    return true;
}

bool GameSwitch::Move(const std::wstring& from, const std::wstring& to, bool replace) {
    if (!MayChange()) {
        return false;
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(from.c_str(), to.c_str(), flags)) {
        return true;
    }
    TRACE_LOG(TRACE_LEVEL_ERROR, L"move failed! lasterror:%d, from:%s, to:%s", static_cast<int>(GetLastError()),
              from.c_str(), to.c_str());
    return false;
}

bool GameSwitch::PrepareStaging() {
    if (Exists(JournalFile())) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"a switch is pending! journal:%s", JournalFile().c_str());
        return false;
    }
    if (!RemoveFolderTree(stagingDir_) || (!CreateDirs(stagingDir_) && !IsFolder(stagingDir_))) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"staging folder not made! folder:%s", stagingDir_.c_str());
        return false;
    }
    SetFileAttributesW(stagingDir_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return true;
}

bool GameSwitch::WriteJournal(const SwitchJournal& journal) {
    const std::wstring draft = CombinePath(stagingDir_, kJournalDraft);
    if (!WriteWholeFile(draft, EncodeSwitchJournal(journal))) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"journal not written! lasterror:%d, file:%s", static_cast<int>(GetLastError()),
                  draft.c_str());
        return false;
    }
    // The rename is the moment the journal's state holds.
    return Move(draft, JournalFile(), true);
}

bool GameSwitch::ReadJournal(SwitchJournal& journal) const {
    std::string text;
    return ReadWholeFile(JournalFile(), text) && DecodeSwitchJournal(text, journal);
}

GameSwitch::Outcome GameSwitch::Run(SwitchJournal journal) {
    journal.state = SwitchJournal::State::Switching;
    TRACE_LOG(TRACE_LEVEL_INFORMATION, L"switch to version %hs: %u steps", journal.version.c_str(),
              static_cast<unsigned>(journal.steps.size()));
    if (!WriteJournal(journal)) {
        if (stopped_) {
            return Outcome::Pending;
        }
        // Nothing moved yet: only the staged files go.
        RemoveFolderTree(stagingDir_);
        return Outcome::RolledBack;
    }
    return Complete(journal);
}

GameSwitch::Outcome GameSwitch::Recover() {
    if (!Exists(JournalFile())) {
        // An update that never reached its switch: the old version is whole.
        if (Exists(stagingDir_) && MayChange()) {
            RemoveFolderTree(stagingDir_);
        }
        return Outcome::Clean;
    }
    SwitchJournal journal;
    if (!ReadJournal(journal)) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"switch journal unreadable! file:%s", JournalFile().c_str());
        return Outcome::Pending;
    }
    TRACE_LOG(TRACE_LEVEL_INFORMATION, L"unfinished switch to version %hs found, state:%hs", journal.version.c_str(),
              journal.state == SwitchJournal::State::Committed ? "committed" : "switching");
    return Complete(journal);
}

// Finishing is preferred: every staged file was verified before the journal
// was written, so a switch that can go on ends in the version the player
// was updating to.
GameSwitch::Outcome GameSwitch::Complete(SwitchJournal& journal) {
    if (journal.state == SwitchJournal::State::Switching) {
        for (size_t i = 0; i < journal.steps.size(); ++i) {
            if (!Forward(journal.steps[i], i)) {
                return stopped_ ? Outcome::Pending : RollBack(journal, i + 1);
            }
        }
        journal.state = SwitchJournal::State::Committed;
        if (!WriteJournal(journal)) {
            return stopped_ ? Outcome::Pending : RollBack(journal, journal.steps.size());
        }
    }
    Finish(journal);
    return stopped_ ? Outcome::Pending : Outcome::Switched;
}

// Each step walks one short chain of states on disk, forward here and back
// in Undo, so a switch stopped anywhere, even while being undone, is in a
// state both can continue from. Replace: {new staged, old at the path} ->
// {new staged, old aside} -> {new at the path, old aside}. Remove: {old at
// the path} -> {old aside}.
bool GameSwitch::Forward(const SwitchStep& step, size_t index) {
    const std::wstring target = Target(step.path);
    const std::wstring aside = AsideFile(index);
    switch (step.kind) {
    case SwitchStep::Kind::Replace: {
        const std::wstring staged = StagedFile(index);
        if (!Exists(staged)) {
            return Exists(target) && !IsFolder(target);
        }
        // A folder of the old version, emptied by the removals before: it
        // goes, unless something of the player's is still in it.
        if (IsFolder(target) && !(MayChange() && RemoveDirectoryW(target.c_str()))) {
            TRACE_LOG(TRACE_LEVEL_ERROR, L"a folder is where a file goes! path:%s", target.c_str());
            return false;
        }
        if (Exists(target) && !Exists(aside) && !Move(target, aside, false)) {
            return false;
        }
        CreateDirs(ParentOf(target));
        return Move(staged, target, true);
    }
    case SwitchStep::Kind::Remove:
        if (!Exists(target) || IsFolder(target) || Exists(aside)) {
            return true;
        }
        return Move(target, aside, false);
    case SwitchStep::Kind::Folder:
        if (IsFolder(target)) {
            return true;
        }
        return !Exists(target) && MayChange() && (CreateDirs(target) || IsFolder(target));
    }
    return false;
}

bool GameSwitch::Undo(const SwitchStep& step, size_t index) {
    const std::wstring target = Target(step.path);
    const std::wstring aside = AsideFile(index);
    switch (step.kind) {
    case SwitchStep::Kind::Replace: {
        const std::wstring staged = StagedFile(index);
        if (!Exists(staged) && Exists(target) && !IsFolder(target) && !Move(target, staged, false)) {
            return false;
        }
        return !Exists(aside) || MoveBack(aside, target);
    }
    case SwitchStep::Kind::Remove:
        return !Exists(aside) || (Exists(target) && !IsFolder(target)) || MoveBack(aside, target);
    case SwitchStep::Kind::Folder:
        // Only when empty: a player may have put something there since.
        if (IsFolder(target) && MayChange()) {
            RemoveDirectoryW(target.c_str());
        }
        return !stopped_;
    }
    return false;
}

// Where the new version put a folder in place of the file, the folder goes
// first, while empty; where it removed the file's folder, the folder returns.
bool GameSwitch::MoveBack(const std::wstring& aside, const std::wstring& target) {
    if (IsFolder(target) && !(MayChange() && RemoveDirectoryW(target.c_str()))) {
        return false;
    }
    CreateDirs(ParentOf(target));
    return Move(aside, target, false);
}

GameSwitch::Outcome GameSwitch::RollBack(const SwitchJournal& journal, size_t steps) {
    TRACE_LOG(TRACE_LEVEL_ERROR, L"switch to version %hs failed, rolling back", journal.version.c_str());
    for (size_t i = steps; i-- > 0;) {
        if (!Undo(journal.steps[i], i)) {
            return Outcome::Pending;
        }
    }
    // The old version is whole from here: the journal goes first, so a
    // stop before the staged files are gone does not switch again.
    if (!MayChange() || !DeleteFileW(JournalFile().c_str())) {
        return Outcome::Pending;
    }
    if (MayChange()) {
        RemoveFolderTree(stagingDir_);
    }
    return stopped_ ? Outcome::Pending : Outcome::RolledBack;
}

bool GameSwitch::Finish(const SwitchJournal& journal) {
    for (const std::string& folder : journal.prunedFolders) {
        if (!MayChange()) {
            return false;
        }
        // Fails, as it should, while a player's file is left in it.
        RemoveDirectoryW(Target(folder).c_str());
    }
    // The journal goes with the rest: once committed, nothing here is needed.
    return MayChange() && RemoveFolderTree(stagingDir_);
}
