#pragma once
// The zip archive directory reader: finds the end-of-central-directory record and reads the central headers.
// It knows no windows and no message boxes: the caller hands it a byte source and turns the ids it reports into
// messages. Every length an archive states is checked against the file before it is used, so a damaged or
// truncated archive ends in a reported id, never in a read past the data.
#include "core/ByteStreams.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One central header: the 42 bytes that follow its signature, then its variable parts.
struct ZipDirEntry {
    std::uint16_t MadeBy = 0; // low byte: zip version, high byte: host system
    std::uint16_t NeedVersion = 0;
    std::uint16_t Flag = 0;
    std::uint16_t ComprMethod = 0;
    std::uint16_t ModifTime = 0;
    std::uint16_t ModifDate = 0;
    std::uint32_t CRC32 = 0;
    std::uint32_t ComprSize = 0;
    std::uint32_t UncomprSize = 0;
    std::uint16_t FileNameLength = 0;
    std::uint16_t ExtraFieldLength = 0;
    std::uint16_t FileCommentLen = 0;
    std::uint16_t StartOnDisk = 0;
    std::uint16_t IntFileAttrib = 0;
    std::uint32_t ExtFileAttrib = 0;
    std::uint32_t RelOffLocal = 0;
    std::string RawFileName; // as stored
    std::string RawComment;  // as stored
    std::string ExtraData;
    bool Encrypted = false;
    // Filled by the owner after the character-set conversion ("\" as separator).
    std::wstring FileName;
    std::wstring FileComment;
};

// What finding the end record gave.
struct ZipEndRecord {
    bool Found = false;
    bool SplitStartMark = false; // the file starts like the first part of a split archive
    std::int64_t Position = 0;   // of the signature
    std::int64_t LogicalSize = 0;
    bool GarbageWarning = false;
    std::uint16_t ThisDisk = 0;
    std::uint16_t DirectoryDisk = 0;
    std::uint16_t TotalEntries = 0;
    std::uint32_t DirectorySize = 0;
    std::uint32_t DirectoryOffset = 0;
    std::string Comment; // only the bytes the file holds
};

ZipEndRecord FindZipEndRecord(ByteSource& source);

struct ZipDirectory {
    std::vector<ZipDirEntry> Entries;
    int ErrorId = 0;           // 0 when the whole directory was read
    std::vector<int> Warnings; // ids of warnings, in the order found
    ZipEndRecord End;
    std::int64_t DirectoryStart = 0; // where the central directory really begins
    std::int64_t ArchiveStart = 0;   // smallest local header offset seen, moved like the directory
    int DroppedDirEntries = 0;
    bool MultiDisk = false;
};

// Reads the whole directory. keepDirEntries keeps entries that name only a folder. convert fills FileName and
// FileComment of an entry from its raw bytes (the character-set rule is the owner's); it may be empty.
ZipDirectory ReadZipDirectoryFrom(ByteSource& source, bool keepDirEntries,
                                  const std::function<void(ZipDirEntry&)>& convert);
