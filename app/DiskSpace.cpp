#include "DiskSpace.h"

#include "Platform.h"
#include "TraceLogger.h"

bool QueryFreeDiskSpace(const std::wstring& folder, uint64_t& freeBytes) {
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) {
        return false;
    }
    freeBytes = available.QuadPart;
    return true;
}

bool HasRoomFor(FreeSpaceQuery query, const std::wstring& folder, uint64_t neededBytes, const wchar_t* function) {
    uint64_t freeBytes = 0;
    if (query == nullptr || !query(folder, freeBytes) || freeBytes >= neededBytes) {
        return true;
    }
    TRACE_LOG_AS(function, TRACE_LEVEL_ERROR, L"Not enough disk space! free:%I64u, needed:%I64u, folder:%s",
                 static_cast<unsigned long long>(freeBytes), static_cast<unsigned long long>(neededBytes),
                 folder.c_str());
    return false;
}
