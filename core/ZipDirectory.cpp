#include "core/ZipDirectory.h"

#include "core/LittleEndian.h"
#include "core/ZipMessageIds.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kSplitSignature = 0x08074b50;
constexpr std::int64_t kEndSize = 22;
constexpr std::int64_t kCentralSize = 46;
constexpr std::int64_t kLargestComment = 65535;

// Takes the record at pos of window (which starts at file offset windowStart) and judges what follows it.
void TakeEndRecord(ByteSource& source, const unsigned char* record, std::int64_t position, ZipEndRecord& end) {
    const std::int64_t physical = source.Size();
    end.Found = true;
    end.Position = position;
    end.ThisDisk = Get16(record + 4);
    end.DirectoryDisk = Get16(record + 6);
    end.TotalEntries = Get16(record + 10);
    end.DirectorySize = Get32(record + 12);
    end.DirectoryOffset = Get32(record + 16);
    const std::int64_t commentLength = Get16(record + 20);
    const std::int64_t commentEnd = position + kEndSize + commentLength;
    // A comment that claims more than the file holds keeps only what is there.
    const std::int64_t present = std::min(commentEnd, physical) - (position + kEndSize);
    if (present > 0) {
        end.Comment.resize(static_cast<std::size_t>(present));
        if (!source.ReadAt(position + kEndSize, end.Comment.data(), end.Comment.size())) {
            end.Comment.clear();
        }
    }
    if (commentEnd > physical) {
        end.LogicalSize = physical;
        end.GarbageWarning = true;
        return;
    }
    end.LogicalSize = commentEnd;
    const std::int64_t trailing = physical - commentEnd;
    if (trailing == 0) {
        return;
    }
    // A file padded to whole 512-byte blocks with zeros (as some transfers leave it) is no fault.
    bool zeros = physical % 512 == 0 && trailing < 512;
    if (zeros) {
        std::string tail(static_cast<std::size_t>(trailing), '\0');
        zeros = source.ReadAt(commentEnd, tail.data(), tail.size()) &&
                std::all_of(tail.begin(), tail.end(), [](char c) { return c == 0; });
    }
    end.GarbageWarning = !zeros;
}

} // namespace

ZipEndRecord FindZipEndRecord(ByteSource& source) {
    ZipEndRecord end;
    const std::int64_t size = source.Size();
    unsigned char head[8];
    if (size >= 8 && source.ReadAt(0, head, sizeof head)) {
        end.SplitStartMark = Get32(head) == kSplitSignature && Get32(head + 4) == kLocalSignature;
    }
    if (size < kEndSize) {
        return end; // too short to hold even the end record
    }
    unsigned char last[kEndSize];
    if (source.ReadAt(size - kEndSize, last, sizeof last) && Get32(last) == kEndSignature) {
        TakeEndRecord(source, last, size - kEndSize, end);
        return end;
    }
    const std::int64_t windowSize = std::min(size, kEndSize + kLargestComment);
    std::string window(static_cast<std::size_t>(windowSize), '\0');
    const std::int64_t windowStart = size - windowSize;
    if (!source.ReadAt(windowStart, window.data(), window.size())) {
        return end;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(window.data());
    // The last kEndSize bytes were looked at above; a record must fit in the window.
    for (std::int64_t at = windowSize - kEndSize - 1; at >= 0; --at) {
        if (Get32(bytes + at) == kEndSignature) {
            TakeEndRecord(source, bytes + at, windowStart + at, end);
            return end;
        }
    }
    return end;
}

ZipDirectory ReadZipDirectoryFrom(ByteSource& source, bool keepDirEntries,
                                  const std::function<void(ZipDirEntry&)>& convert) {
    ZipDirectory dir;
    dir.End = FindZipEndRecord(source);
    const ZipEndRecord& end = dir.End;
    if (!end.Found) {
        dir.ErrorId = DS_NoValidZip; // the owner refines this into the disk-set diagnoses
        return dir;
    }
    if (end.GarbageWarning) {
        dir.Warnings.push_back(LI_GarbageAtEOF);
    }
    if (end.ThisDisk != end.DirectoryDisk) {
        dir.MultiDisk = true;
        dir.ErrorId = DS_NoDiskSpan;
        return dir;
    }
    // The directory ends where the end record begins; signed arithmetic, so a size larger than what lies in
    // front of the record is caught instead of wrapping.
    const std::int64_t start = end.Position - static_cast<std::int64_t>(end.DirectorySize);
    if (start < 0 || start > end.Position) {
        dir.ErrorId = LI_ReadZipError;
        return dir;
    }
    dir.DirectoryStart = start;
    const std::int64_t shift = start - static_cast<std::int64_t>(end.DirectoryOffset);
    if (shift != 0) {
        dir.Warnings.push_back(LI_WrongZipStruct);
    }
    std::int64_t pos = start;
    std::int64_t lowestLocal = std::numeric_limits<std::int64_t>::max();
    for (unsigned i = 0; i < end.TotalEntries; ++i) {
        unsigned char h[kCentralSize];
        if (pos + kCentralSize > end.Position || !source.ReadAt(pos, h, sizeof h)) {
            dir.ErrorId = DS_CEHBadRead;
            break;
        }
        if (Get32(h) != kCentralSignature) {
            dir.ErrorId = DS_CEHWrongSig;
            break;
        }
        ZipDirEntry e;
        e.MadeBy = Get16(h + 4);
        e.NeedVersion = Get16(h + 6);
        e.Flag = Get16(h + 8);
        e.ComprMethod = Get16(h + 10);
        e.ModifTime = Get16(h + 12);
        e.ModifDate = Get16(h + 14);
        e.CRC32 = Get32(h + 16);
        e.ComprSize = Get32(h + 20);
        e.UncomprSize = Get32(h + 24);
        e.FileNameLength = Get16(h + 28);
        e.ExtraFieldLength = Get16(h + 30);
        e.FileCommentLen = Get16(h + 32);
        e.StartOnDisk = Get16(h + 34);
        e.IntFileAttrib = Get16(h + 36);
        e.ExtFileAttrib = Get32(h + 38);
        e.RelOffLocal = Get32(h + 42);
        e.Encrypted = (e.Flag & 1) != 0;
        pos += kCentralSize;
        // Each variable part must lie in front of the end record.
        const auto readPart = [&](std::string& into, std::size_t length) {
            into.resize(length);
            const bool ok = pos + static_cast<std::int64_t>(length) <= end.Position &&
                            (length == 0 || source.ReadAt(pos, into.data(), length));
            pos += static_cast<std::int64_t>(length);
            return ok;
        };
        if (!readPart(e.RawFileName, e.FileNameLength)) {
            dir.ErrorId = DS_CENameLen;
            break;
        }
        if (!readPart(e.ExtraData, e.ExtraFieldLength)) {
            dir.ErrorId = LI_ReadZipError;
            break;
        }
        if (!readPart(e.RawComment, e.FileCommentLen)) {
            dir.ErrorId = DS_FCommentLen;
            break;
        }
        if (convert) {
            convert(e);
        }
        lowestLocal = std::min(lowestLocal, static_cast<std::int64_t>(e.RelOffLocal) + shift);
        // Judged on the converted name where there is one: a raw trailing 0x5C may be half a double-byte character.
        const bool folderOnly = convert ? e.FileName.empty() || e.FileName.back() == L'\\'
                                        : e.RawFileName.empty() || e.RawFileName.back() == '/';
        if (folderOnly && !keepDirEntries) {
            ++dir.DroppedDirEntries;
            continue;
        }
        dir.Entries.push_back(std::move(e));
    }
    dir.ArchiveStart = lowestLocal == std::numeric_limits<std::int64_t>::max() ? 0 : lowestLocal;
    return dir;
}
