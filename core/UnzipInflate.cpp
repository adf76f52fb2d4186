#include "core/UnzipInflate.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

} // namespace

bool InflateEntry(const UnzipEntryData& entry, ByteSource& source, std::int64_t offset, ByteSink* out,
                  const std::function<bool(std::uint64_t written)>& progress, bool& crcOk) {
    crcOk = false;
    z_stream z{};
    if (entry.Method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        return false;
    }
    std::vector<unsigned char> input(kChunk);
    std::vector<unsigned char> chunk(kChunk);
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t done = 0;
    bool ok = true;
    const auto deliver = [&](const unsigned char* data, std::size_t n) {
        crc = crc32(crc, data, static_cast<uInt>(n));
        ok = !out || n == 0 || out->Write(data, n);
        done += n;
        ok = ok && (!progress || progress(done));
    };
    if (entry.Method == 0) {
        for (std::uint64_t at = 0; ok && at < entry.PackedSize; at += kChunk) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, entry.PackedSize - at));
            // Stored data is written as it lies: the stated size bounds it as it bounds what inflate makes.
            if (done + n > entry.Size || !source.ReadAt(offset + static_cast<std::int64_t>(at), input.data(), n)) {
                ok = false;
                break;
            }
            deliver(input.data(), n);
        }
    } else {
        std::uint64_t fed = 0;
        int status = Z_OK;
        while (ok && status != Z_STREAM_END) {
            if (z.avail_in == 0 && fed < entry.PackedSize) {
                const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, entry.PackedSize - fed));
                if (!source.ReadAt(offset + static_cast<std::int64_t>(fed), input.data(), n)) {
                    ok = false;
                    break;
                }
                z.next_in = input.data();
                z.avail_in = static_cast<uInt>(n);
                fed += n;
            }
            z.next_out = chunk.data();
            z.avail_out = static_cast<uInt>(chunk.size());
            status = inflate(&z, Z_NO_FLUSH);
            const auto n = static_cast<std::size_t>(chunk.size() - z.avail_out);
            if (status != Z_OK && status != Z_STREAM_END) {
                ok = false;
                break;
            }
            if (n == 0 && status == Z_OK && z.avail_in == 0 && fed == entry.PackedSize) {
                ok = false; // the data ends before the stream does
                break;
            }
            if (done + n > entry.Size) {
                ok = false; // more than the entry claims: stop before it fills the disk
                break;
            }
            deliver(chunk.data(), n);
        }
        inflateEnd(&z);
    }
    crcOk = ok && crc == entry.Crc && done == entry.Size;
    return ok;
}
