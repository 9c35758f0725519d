#pragma once
// minizip.dll: unpacks a zip archive into a folder.
//
//   int mini_unzip_dll(const char* archive, const char* folder);
//
// Both paths are zero-terminated text in the system ANSI code page. Every
// entry is written under `folder` with its inner path (folders created as
// needed, existing files overwritten, read-only ones included); files are
// streamed to disk by up to one thread per processor (at most 8), all
// finished before the call returns. Entry names, encryption and compression
// methods are all checked before the first file is written; data faults
// (CRC, sizes, corrupt deflate) are found while writing. The code is the one
// of the first failing entry in directory order; files already written stay
// in place, the failing entry's file is deleted.
// An archive with data glued in front (a self-extractor stub) is read as
// Info-ZIP reads it: its offsets are taken as short by the prefix.
// Exported undecorated, cdecl. Returns 0 on success or one of these codes:

#define MINI_UNZIP_OK 0
#define MINI_UNZIP_BAD_ARGUMENT 1           /* null or empty path, or not convertible */
#define MINI_UNZIP_OPEN_FAILED 2            /* the archive cannot be opened or read */
#define MINI_UNZIP_BAD_ARCHIVE 3            /* not a zip, or a bad central directory */
#define MINI_UNZIP_TRUNCATED 4              /* headers or data run past the end of the file */
#define MINI_UNZIP_OVERLAPPING_ENTRIES 5    /* entries sharing bytes with each other or the directory */
#define MINI_UNZIP_TOO_MANY_ENTRIES 6       /* over 262144 entries or a directory over 64 MiB */
#define MINI_UNZIP_UNSAFE_NAME 7            /* absolute, drive letter, UNC, "..", NUL, forbidden
                                               characters, device names, over 1024 bytes; or a
                                               path through a link that leads out of the folder */
#define MINI_UNZIP_ENCRYPTED 8
#define MINI_UNZIP_UNSUPPORTED_METHOD 9     /* anything but stored (0) and deflate (8) */
#define MINI_UNZIP_BAD_DATA 10              /* corrupt deflate stream */
#define MINI_UNZIP_SIZE_MISMATCH 11         /* an entry inflates to more or less than declared */
#define MINI_UNZIP_CRC_MISMATCH 12
#define MINI_UNZIP_BAD_LOCAL_HEADER 13      /* local header missing or contradicting the directory */
#define MINI_UNZIP_CREATE_FOLDER_FAILED 14
#define MINI_UNZIP_WRITE_FAILED 15          /* a file cannot be created or written */
#define MINI_UNZIP_OUT_OF_MEMORY 16

#ifdef __cplusplus
extern "C" {
#endif

typedef int(__cdecl* MiniUnzipFunction)(const char* archive, const char* folder);

#ifdef MINIZIP_BUILDING_DLL
__declspec(dllexport)
#endif
int __cdecl mini_unzip_dll(const char* archive, const char* folder);

#ifdef __cplusplus
}
#endif
