#pragma once
#include "ConditionalFetch.h"
#include "GameState.h"
#include "StorePointer.h"

#include <string>

// The one request a start of a store-installed game makes: is there a newer
// version than the installed one? What the last answer carried is kept in
// the installed-version record (GameState.h), so that an unchanged
// latest.json costs a 304.

// The whole check ends within this, even when the host never answers.
constexpr unsigned kUpdateCheckDeadlineMs = 3000;

enum class UpdateCheckOutcome {
    UpToDate,    // 304, or the installed version
    NewVersion,  // `pointer` names a newer version
    Unreachable, // no usable answer: the installed game starts (logged)
    Refused,     // an answer that must not be followed: unreadable, wrongly
                 // signed, or an older version; the installed game starts
};

struct UpdateCheck {
    UpdateCheckOutcome outcome = UpdateCheckOutcome::Unreachable;
    chunkstore::StorePointer pointer;  // NewVersion only
    // What the answer carried: to be kept once the new version is installed
    // (keeping it earlier would make a failed update look current).
    HttpValidators validators;
};

// What an answer to the pointer request means for `installedVersion`, with
// `publisherKey` (base64 DER, "" for none) required to have signed it.
UpdateCheck JudgePointerAnswer(const FetchAnswer& answer, const std::string& installedVersion,
                               const std::string& publisherKey);

// The request for `pointerUrl` and its judgement. An answer that finds the
// installed version current is remembered in its record at once.
UpdateCheck CheckForUpdate(const std::wstring& pointerUrl, const std::wstring& gameDir,
                           const InstalledVersion& installed, const std::string& publisherKey);
