// The unzip library's data loop over any entry data: it never writes more than the entry's stated size, what it
// reports as whole matches the stated size and CRC, and data deflated here comes back unchanged.
#include "core/UnzipInflate.h"
#include "FuzzCheck.h"

#include <zlib.h>

#include <string>
#include <vector>

namespace {

struct CollectingSink : ByteSink {
    std::string bytes;
    bool Write(const void* data, std::size_t count) override {
        bytes.append(static_cast<const char*>(data), count);
        return true;
    }
};

std::uint32_t Crc(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string RawDeflate(const unsigned char* data, std::size_t size, int level) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        std::abort();
    }
    std::string out(deflateBound(&z, static_cast<uLong>(size)), '\0');
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    FUZZ_CHECK(deflate(&z, Z_FINISH) == Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Runs the loop and checks what holds for every input; returns what it wrote.
std::string Run(const UnzipEntryData& entry, const std::string& packed, std::int64_t offset, bool& ok, bool& crcOk) {
    MemoryByteSource source(packed);
    CollectingSink sink;
    std::uint64_t lastProgress = 0;
    ok = InflateEntry(
        entry, source, offset, &sink,
        [&](std::uint64_t written) {
            FUZZ_CHECK(written == sink.bytes.size() && written >= lastProgress);
            lastProgress = written;
            return true;
        },
        crcOk);
    FUZZ_CHECK(sink.bytes.size() <= entry.Size); // the limit that keeps a small archive from filling the disk
    if (crcOk) {
        FUZZ_CHECK(ok && sink.bytes.size() == entry.Size && Crc(sink.bytes) == entry.Crc);
    }
    return sink.bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    const unsigned char mode = data[0];
    // Up to a megabyte: enough to cross the loop's pieces, small enough for millions of runs.
    const std::uint32_t stated = static_cast<std::uint32_t>(data[1] | (data[2] << 8) | ((data[3] & 0x0F) << 16));
    const std::uint32_t offset = data[4] % 8;
    const std::string rest(reinterpret_cast<const char*>(data + 5), size - 5);
    bool ok = false;
    bool crcOk = false;
    if (mode % 2 == 0) {
        // The bytes as an archive's entry data, stored or deflated, with a stated size and a CRC from the input.
        UnzipEntryData entry;
        entry.Method = mode & 2 ? 8 : 0;
        entry.PackedSize = rest.size() >= offset ? rest.size() - offset + (mode & 4 ? 3 : 0) : 0;
        entry.Size = entry.Method == 0 && !(mode & 8) ? entry.PackedSize : stated;
        entry.Crc = static_cast<std::uint32_t>(stated * 2654435761u);
        Run(entry, rest, offset, ok, crcOk);
    } else {
        // The bytes deflated here: the loop gives them back whole, and one byte less of room is refused.
        const std::string packed = RawDeflate(data + 5, size - 5, (mode >> 1) % 10);
        UnzipEntryData entry;
        entry.Method = 8;
        entry.PackedSize = packed.size();
        entry.Size = rest.size();
        entry.Crc = Crc(rest);
        const std::string out = Run(entry, packed, 0, ok, crcOk);
        FUZZ_CHECK(ok && crcOk && out == rest);
        if (!rest.empty()) {
            entry.Size = rest.size() - 1;
            Run(entry, packed, 0, ok, crcOk);
            FUZZ_CHECK(!crcOk);
        }
    }
    return 0;
}
