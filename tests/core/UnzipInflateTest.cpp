// The unzip library's data loop over byte sources and sinks: whole data, damage, the stated size as a hard limit.
#include "core/UnzipInflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

namespace {

std::string RawDeflate(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::uint32_t Crc(const std::string& data) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string text(size, ' ');
    for (char& c : text) {
        c = static_cast<char>('a' + random() % 16);
    }
    return text;
}

struct StringSink : ByteSink {
    std::string bytes;
    std::size_t failAfter = std::string::npos; // fails the write that would pass this many bytes
    bool Write(const void* data, std::size_t count) override {
        if (bytes.size() + count > failAfter) {
            return false;
        }
        bytes.append(static_cast<const char*>(data), count);
        return true;
    }
};

// What one run of the loop gave.
struct InflateRun {
    bool ok = false;
    bool crcOk = false;
    std::string written;
    std::uint64_t lastProgress = 0;
};

InflateRun Inflate(const UnzipEntryData& entry, const std::string& archive, std::int64_t offset,
                   std::uint64_t stopAt = UINT64_MAX) {
    MemoryByteSource source(archive);
    StringSink sink;
    InflateRun run;
    run.ok = InflateEntry(
        entry, source, offset, &sink,
        [&](std::uint64_t written) {
            EXPECT_EQ(written, sink.bytes.size());
            run.lastProgress = written;
            return written < stopAt;
        },
        run.crcOk);
    run.written = sink.bytes;
    return run;
}

UnzipEntryData EntryFor(std::uint16_t method, const std::string& packed, const std::string& plain) {
    UnzipEntryData entry;
    entry.Method = method;
    entry.PackedSize = packed.size();
    entry.Size = plain.size();
    entry.Crc = Crc(plain);
    return entry;
}

} // namespace

TEST(UnzipInflate, StoredAndDeflatedDataArriveWhole) {
    // Larger than one read of the loop, so the data crosses the pieces it is read in.
    for (const std::string& plain : {std::string("short"), Noise(200000, 1), std::string()}) {
        for (std::uint16_t method : {std::uint16_t{0}, std::uint16_t{8}}) {
            SCOPED_TRACE(std::to_string(plain.size()) + " bytes, method " + std::to_string(method));
            const std::string packed = method == 0 ? plain : RawDeflate(plain);
            const std::string archive = "HEADER" + packed + "TRAILER";
            const InflateRun run = Inflate(EntryFor(method, packed, plain), archive, 6);
            EXPECT_TRUE(run.ok);
            EXPECT_TRUE(run.crcOk);
            EXPECT_EQ(run.written, plain);
            EXPECT_EQ(run.lastProgress, plain.size());
        }
    }
}

TEST(UnzipInflate, DamageIsToldAndNeverWritesPastTheStatedSize) {
    const std::string plain = Noise(150000, 2);
    const std::string packed = RawDeflate(plain);
    struct Case {
        const char* what;
        std::uint16_t method;
        std::string data;
        std::uint64_t size; // the stated size
        std::uint32_t crc;
        bool ok;
    };
    const Case cases[] = {
        {"wrong CRC, deflated", 8, packed, plain.size(), Crc(plain) ^ 1, true},
        {"wrong CRC, stored", 0, plain, plain.size(), Crc(plain) + 1, true},
        {"stream cut short", 8, packed.substr(0, packed.size() / 2), plain.size(), Crc(plain), false},
        {"stated size smaller than the data", 8, packed, 1000, Crc(plain), false},
        {"stated size larger than the data", 8, packed, plain.size() + 1, Crc(plain), true},
        {"no deflate stream", 8, std::string(100, '\xFF'), plain.size(), Crc(plain), false},
        {"stored data longer than its stated size", 0, plain, 1000, Crc(plain), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UnzipEntryData entry;
        entry.Method = c.method;
        entry.PackedSize = c.data.size();
        entry.Size = c.size;
        entry.Crc = c.crc;
        const InflateRun run = Inflate(entry, c.data, 0);
        EXPECT_EQ(run.ok, c.ok);
        EXPECT_FALSE(run.crcOk);
        EXPECT_LE(run.written.size(), c.size);
    }
}

TEST(UnzipInflate, DataPastTheEndOfTheSourceIsDamage) {
    const std::string plain = Noise(5000, 3);
    for (std::uint16_t method : {std::uint16_t{0}, std::uint16_t{8}}) {
        const std::string packed = method == 0 ? plain : RawDeflate(plain);
        UnzipEntryData entry = EntryFor(method, packed, plain);
        entry.PackedSize += 10; // the directory claims more than the archive holds
        const InflateRun run = Inflate(entry, packed, 0);
        EXPECT_FALSE(run.crcOk) << method;
        EXPECT_LE(run.written.size(), plain.size());
    }
}

TEST(UnzipInflate, ProgressCanStopTheLoopAndAFailedWriteEndsIt) {
    const std::string plain = Noise(300000, 4);
    const std::string packed = RawDeflate(plain);
    const InflateRun stopped = Inflate(EntryFor(8, packed, plain), packed, 0, 1);
    EXPECT_FALSE(stopped.ok);
    EXPECT_FALSE(stopped.crcOk);
    EXPECT_LT(stopped.written.size(), plain.size());

    MemoryByteSource source(packed);
    StringSink sink;
    sink.failAfter = 70000;
    bool crcOk = true;
    EXPECT_FALSE(InflateEntry(EntryFor(8, packed, plain), source, 0, &sink, nullptr, crcOk));
    EXPECT_FALSE(crcOk);
    EXPECT_LE(sink.bytes.size(), 70000u);
}

TEST(UnzipInflate, WithoutASinkOnlyTheDataIsChecked) {
    const std::string plain = Noise(1000, 5);
    const std::string packed = RawDeflate(plain);
    MemoryByteSource source(packed);
    bool crcOk = false;
    EXPECT_TRUE(InflateEntry(EntryFor(8, packed, plain), source, 0, nullptr, nullptr, crcOk));
    EXPECT_TRUE(crcOk);
}
