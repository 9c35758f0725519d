#include "SwitchJournal.h"

#include "Manifest.h"
#include "StorePath.h"
#include "UpdatePlan.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace {

const char kHeader[] = "korva-switch 1";
const char kEnd[] = "end";

const char* KindWord(SwitchStep::Kind kind) {
    switch (kind) {
    case SwitchStep::Kind::Replace:
        return "replace";
    case SwitchStep::Kind::Remove:
        return "remove";
    case SwitchStep::Kind::Folder:
        return "folder";
    }
    return "";
}

bool ParseKind(const std::string& word, SwitchStep::Kind& kind) {
    for (SwitchStep::Kind k : {SwitchStep::Kind::Replace, SwitchStep::Kind::Remove, SwitchStep::Kind::Folder}) {
        if (word == KindWord(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

// "<word> <rest>" with a non-empty rest.
bool SplitLine(const std::string& line, std::string& word, std::string& rest) {
    const size_t space = line.find(' ');
    if (space == std::string::npos || space + 1 == line.size()) {
        return false;
    }
    word = line.substr(0, space);
    rest = line.substr(space + 1);
    return true;
}

}  // namespace

std::string EncodeSwitchJournal(const SwitchJournal& journal) {
    std::string text = kHeader;
    text += "\nstate ";
    text += journal.state == SwitchJournal::State::Committed ? "committed" : "switching";
    text += "\nversion " + journal.version + "\n";
    for (const SwitchStep& step : journal.steps) {
        text += std::string(KindWord(step.kind)) + " " + step.path + "\n";
    }
    for (const std::string& folder : journal.prunedFolders) {
        text += "prune " + folder + "\n";
    }
    text += kEnd;
    text += "\n";
    return text;
}

bool DecodeSwitchJournal(const std::string& text, SwitchJournal& journal) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) {
        return false;
    }
    SwitchJournal read;
    std::string word;
    std::string rest;
    if (!std::getline(lines, line) || !SplitLine(line, word, rest) || word != "state") {
        return false;
    }
    if (rest == "committed") {
        read.state = SwitchJournal::State::Committed;
    } else if (rest != "switching") {
        return false;
    }
    if (!std::getline(lines, line) || !SplitLine(line, word, read.version) || word != "version") {
        return false;
    }
    while (std::getline(lines, line)) {
        if (line == kEnd) {
            // Nothing may follow the end but the final line break.
            if (lines.peek() != std::char_traits<char>::eof()) {
                return false;
            }
            journal = std::move(read);
            return true;
        }
        if (!SplitLine(line, word, rest)) {
            return false;
        }
        SwitchStep step;
        if (word == "prune") {
            read.prunedFolders.push_back(rest);
        } else if (ParseKind(word, step.kind) && read.prunedFolders.empty()) {
            step.path = rest;
            read.steps.push_back(step);
        } else {
            return false;
        }
    }
    return false;
}

namespace {

size_t Depth(const std::string& path) {
    return static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
}

// Every folder above `path`, nearest first.
std::vector<std::string> Ancestors(const std::string& path) {
    std::vector<std::string> folders;
    for (size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0; slash = path.rfind('/', slash - 1)) {
        folders.push_back(path.substr(0, slash));
    }
    return folders;
}

}  // namespace

SwitchJournal PlanSwitch(const chunkstore::Manifest& installed, const chunkstore::Manifest& next,
                         const chunkstore::UpdatePlan& plan) {
    using chunkstore::EntryKind;
    using chunkstore::FoldPathCase;
    SwitchJournal journal;
    journal.version = next.version;

    std::set<std::string> needed;  // folded folders the new version has or needs
    for (const chunkstore::ManifestEntry& entry : next.entries) {
        for (const std::string& folder : Ancestors(entry.path)) {
            needed.insert(FoldPathCase(folder));
        }
        if (entry.kind == EntryKind::Folder) {
            needed.insert(FoldPathCase(entry.path));
        }
    }
    std::map<std::string, std::string> pruned;  // folded -> as the old version named it
    for (uint32_t index : plan.removed) {
        const chunkstore::ManifestEntry& entry = installed.entries[index];
        std::vector<std::string> folders = Ancestors(entry.path);
        if (entry.kind == EntryKind::File) {
            journal.steps.push_back({SwitchStep::Kind::Remove, entry.path});
        } else {
            folders.insert(folders.begin(), entry.path);
        }
        for (const std::string& folder : folders) {
            std::string folded = FoldPathCase(folder);
            if (needed.count(folded) == 0) {
                pruned.emplace(std::move(folded), folder);
            }
        }
    }
    for (uint32_t index : plan.changed) {
        const chunkstore::ManifestEntry& entry = next.entries[index];
        journal.steps.push_back(
            {entry.kind == EntryKind::File ? SwitchStep::Kind::Replace : SwitchStep::Kind::Folder, entry.path});
    }
    for (auto& folder : pruned) {
        journal.prunedFolders.push_back(std::move(folder.second));
    }
    std::stable_sort(journal.prunedFolders.begin(), journal.prunedFolders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    return journal;
}
