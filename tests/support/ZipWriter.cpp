#include "support/ZipWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace testzip {

namespace {

void Append16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Append32(std::string& out, std::uint32_t v) {
    Append16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Append16(out, static_cast<std::uint16_t>(v >> 16));
}

std::string RawDeflate(const std::string& data) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2");
    }
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&z, Z_FINISH);
    deflateEnd(&z);
    if (status != Z_STREAM_END) {
        throw std::runtime_error("deflate");
    }
    out.resize(z.total_out);
    return out;
}

} // namespace

void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes.at(at) = static_cast<char>(value & 0xFF);
    bytes.at(at + 1) = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

ZipLayout BuildZip(const std::vector<ZipItem>& items, const std::string& archiveComment, const std::string& prefix,
                   const std::string& trailer) {
    ZipLayout layout;
    std::string archive; // offsets are relative to its start
    std::string central;
    std::vector<std::size_t> centralOffsets;
    for (const ZipItem& item : items) {
        const std::string packed = item.Deflate ? RawDeflate(item.Data) : item.Data;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(item.Data.data()), static_cast<uInt>(item.Data.size())));
        const std::uint16_t method = item.Deflate ? 8 : 0;
        const auto local = static_cast<std::uint32_t>(archive.size());
        layout.LocalHeaders.push_back(prefix.size() + local);
        Append32(archive, 0x04034b50);
        Append16(archive, 20);
        Append16(archive, item.Flags);
        Append16(archive, method);
        Append16(archive, item.DosTime);
        Append16(archive, item.DosDate);
        Append32(archive, crc);
        Append32(archive, static_cast<std::uint32_t>(packed.size()));
        Append32(archive, static_cast<std::uint32_t>(item.Data.size()));
        Append16(archive, static_cast<std::uint16_t>(item.Name.size()));
        Append16(archive, 0);
        archive += item.Name;
        archive += packed;

        centralOffsets.push_back(central.size());
        Append32(central, 0x02014b50);
        Append16(central, item.MadeBy);
        Append16(central, 20);
        Append16(central, item.Flags);
        Append16(central, method);
        Append16(central, item.DosTime);
        Append16(central, item.DosDate);
        Append32(central, crc);
        Append32(central, static_cast<std::uint32_t>(packed.size()));
        Append32(central, static_cast<std::uint32_t>(item.Data.size()));
        Append16(central, static_cast<std::uint16_t>(item.Name.size()));
        Append16(central, 0);
        Append16(central, static_cast<std::uint16_t>(item.Comment.size()));
        Append16(central, 0);
        Append16(central, 0);
        Append32(central, item.Name.empty() || item.Name.back() != '/' ? 0x20 : 0x10);
        Append32(central, local);
        central += item.Name;
        central += item.Comment;
    }
    const auto centralStart = static_cast<std::uint32_t>(archive.size());
    for (std::size_t offset : centralOffsets) {
        layout.CentralHeaders.push_back(prefix.size() + centralStart + offset);
    }
    archive += central;
    layout.EndRecord = prefix.size() + archive.size();
    Append32(archive, 0x06054b50);
    Append16(archive, 0);
    Append16(archive, 0);
    Append16(archive, static_cast<std::uint16_t>(items.size()));
    Append16(archive, static_cast<std::uint16_t>(items.size()));
    Append32(archive, static_cast<std::uint32_t>(central.size()));
    Append32(archive, centralStart);
    Append16(archive, static_cast<std::uint16_t>(archiveComment.size()));
    archive += archiveComment;
    layout.Bytes = prefix + archive + trailer;
    return layout;
}

} // namespace testzip
