#pragma once
#include <cstdint>
#include <string>

// Bytes the current user may still write on the volume that holds `folder`;
// false when the volume cannot be asked. Tests put their own in its place.
using FreeSpaceQuery = bool (*)(const std::wstring& folder, uint64_t& freeBytes);

// The platform's answer (GetDiskFreeSpaceExW, quotas included).
bool QueryFreeDiskSpace(const std::wstring& folder, uint64_t& freeBytes);

// False only when the volume is known to hold fewer than `neededBytes` free;
// an unanswered query lets the caller go ahead, and the write will tell.
// Logs the shortfall on behalf of `function`.
bool HasRoomFor(FreeSpaceQuery query, const std::wstring& folder, uint64_t neededBytes, const wchar_t* function);
