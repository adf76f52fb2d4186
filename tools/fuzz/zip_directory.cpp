// The zip directory reader over any bytes: whatever it returns agrees with itself and with the archive.
#include "core/ZipDirectory.h"
#include "core/TextEncoding.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    MemoryByteSource source(data, size);
    // The component converts stored names like this, with the code page the archive's host calls for.
    const auto convert = [](ZipDirEntry& e) {
        e.FileName = WideFromWindows1252(e.RawFileName);
        std::replace(e.FileName.begin(), e.FileName.end(), L'/', L'\\');
        e.FileComment = WideFromWindows1252(e.RawComment);
    };
    for (bool keepFolders : {false, true}) {
        const ZipDirectory dir = ReadZipDirectoryFrom(source, keepFolders, convert);
        const ZipEndRecord& end = dir.End;
        if (!end.Found) {
            FUZZ_CHECK(dir.Entries.empty() && dir.ErrorId != 0);
            continue;
        }
        FUZZ_CHECK(end.Position >= 0 && end.Position + 22 <= static_cast<std::int64_t>(size));
        FUZZ_CHECK(std::memcmp(data + end.Position, "PK\x05\x06", 4) == 0);
        FUZZ_CHECK(end.LogicalSize <= static_cast<std::int64_t>(size));
        FUZZ_CHECK(end.Position + 22 + static_cast<std::int64_t>(end.Comment.size()) <=
                   static_cast<std::int64_t>(size));
        FUZZ_CHECK(dir.Entries.size() + static_cast<std::size_t>(dir.DroppedDirEntries) <= end.TotalEntries);
        if (dir.ErrorId == 0) {
            // A directory read whole accounts for every entry the end record announces.
            FUZZ_CHECK(dir.Entries.size() + static_cast<std::size_t>(dir.DroppedDirEntries) == end.TotalEntries);
            FUZZ_CHECK(dir.DirectoryStart >= 0 && dir.DirectoryStart <= end.Position);
        }
        for (const ZipDirEntry& e : dir.Entries) {
            FUZZ_CHECK(e.RawFileName.size() == e.FileNameLength);
            FUZZ_CHECK(e.ExtraData.size() == e.ExtraFieldLength);
            FUZZ_CHECK(e.RawComment.size() == e.FileCommentLen);
            FUZZ_CHECK(e.Encrypted == ((e.Flag & 1) != 0));
            if (!keepFolders) {
                FUZZ_CHECK(!e.FileName.empty() && e.FileName.back() != L'\\');
            }
        }
    }
    return 0;
}
