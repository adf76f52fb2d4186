// The zip directory reader alone, over archives in memory: what it finds in a whole archive, and that every
// truncation and random damage ends in a report, never in a read past the data.
#include "core/ZipDirectory.h"
#include "core/ZipMessageIds.h"

#include "support/ZipWriter.h"

#include <gtest/gtest.h>

#include <random>

using testzip::MakeZip;

namespace {

std::vector<testzip::ZipItem> SampleItems() {
    return {
        testzip::Entry("readme.txt", "plain text, stored"),
        testzip::Entry("sub/", ""),
        testzip::Entry("sub/tool.exe", std::string(5000, 'x') + "tail", true),
    };
}

} // namespace

TEST(ZipDirectoryReader, ReadsEntriesAndMovesOffsetsByDataInFront) {
    for (std::size_t prefix : {std::size_t{0}, std::size_t{300}}) {
        SCOPED_TRACE(prefix);
        const auto layout = testzip::BuildZip(SampleItems(), "note", std::string(prefix, 'P'));
        MemoryByteSource source(layout.Bytes);
        const ZipDirectory dir = ReadZipDirectoryFrom(source, false, nullptr);
        EXPECT_EQ(dir.ErrorId, 0);
        ASSERT_EQ(dir.Entries.size(), 2u);
        EXPECT_EQ(dir.DroppedDirEntries, 1);
        EXPECT_EQ(dir.Entries[0].RawFileName, "readme.txt");
        EXPECT_EQ(dir.Entries[1].RawFileName, "sub/tool.exe");
        EXPECT_EQ(dir.Entries[1].ComprMethod, 8);
        EXPECT_EQ(dir.End.Comment, "note");
        EXPECT_EQ(dir.DirectoryStart, static_cast<std::int64_t>(layout.CentralHeaders.front()));
        EXPECT_EQ(dir.ArchiveStart, static_cast<std::int64_t>(prefix));
        EXPECT_EQ(dir.Warnings, prefix ? std::vector<int>{LI_WrongZipStruct} : std::vector<int>{});
    }
}

TEST(ZipDirectoryReader, EveryTruncationAndRandomDamageIsAReportNotACrash) {
    const std::string whole = MakeZip(SampleItems(), "tail comment");
    for (std::size_t n = 0; n < whole.size(); ++n) {
        MemoryByteSource source(std::string_view(whole).substr(0, n));
        const ZipDirectory dir = ReadZipDirectoryFrom(source, false, nullptr);
        EXPECT_TRUE(dir.ErrorId != 0 || !dir.Warnings.empty() || dir.Entries.size() == 2) << n;
        for (const auto& e : dir.Entries) {
            EXPECT_EQ(e.RawFileName.size(), e.FileNameLength);
            EXPECT_EQ(e.ExtraData.size(), e.ExtraFieldLength);
        }
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = whole;
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < flips; ++i) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        MemoryByteSource source(bytes);
        const ZipDirectory dir = ReadZipDirectoryFrom(source, true, nullptr);
        for (const auto& e : dir.Entries) {
            ASSERT_EQ(e.RawFileName.size(), e.FileNameLength);
            ASSERT_EQ(e.RawComment.size(), e.FileCommentLen);
        }
    }
}
