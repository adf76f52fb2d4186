#pragma once
// A small zip writer for tests: stored and deflated entries with chosen raw names, hosts, times and comments, and
// the archive's byte layout, so that tests can damage exactly the field they mean to.
#include <cstdint>
#include <string>
#include <vector>

namespace testzip {

struct ZipItem {
    std::string Name; // raw bytes as stored ("/" as separator)
    std::string Data;
    bool Deflate = false;
    std::uint16_t MadeBy = 0x0014; // MS-DOS host, zip 2.0
    std::uint16_t Flags = 0;
    std::uint16_t DosTime = 0x6000; // 12:00:00
    std::uint16_t DosDate = 0x5A21; // 2025-01-01
    std::string Comment;
};

inline ZipItem Entry(std::string name, std::string data, bool deflate = false, std::uint16_t madeBy = 0x0014) {
    ZipItem item;
    item.Name = std::move(name);
    item.Data = std::move(data);
    item.Deflate = deflate;
    item.MadeBy = madeBy;
    return item;
}

struct ZipLayout {
    std::string Bytes;
    std::vector<std::size_t> LocalHeaders; // where each local header begins in Bytes
    std::vector<std::size_t> CentralHeaders;
    std::size_t EndRecord = 0;
};

// Builds an archive. prefix goes in front of it without moving the stored offsets (as when an archive is
// appended to another file); trailer follows the end record and its comment.
ZipLayout BuildZip(const std::vector<ZipItem>& items, const std::string& archiveComment = {},
                   const std::string& prefix = {}, const std::string& trailer = {});

inline std::string MakeZip(const std::vector<ZipItem>& items, const std::string& archiveComment = {}) {
    return BuildZip(items, archiveComment).Bytes;
}

void Put16(std::string& bytes, std::size_t at, std::uint16_t value);
void Put32(std::string& bytes, std::size_t at, std::uint32_t value);

} // namespace testzip
