#pragma once
// The unzip library's data loop: one entry's stored or deflated bytes, read from a source, checked against the
// entry's stated size and CRC, written to a sink.
#include "core/ByteStreams.h"

#include <cstdint>
#include <functional>

// What the central directory states about one entry's data.
struct UnzipEntryData {
    std::uint16_t Method = 0; // 0 stored, 8 deflated
    std::uint64_t PackedSize = 0;
    std::uint64_t Size = 0; // the most the entry may write
    std::uint32_t Crc = 0;
};

// Reads entry.PackedSize bytes from source at offset and writes what they unpack to into out (nothing when out is
// null, as for a test run). progress gets the bytes written so far after each piece; when it answers false the loop
// stops. Never writes more than entry.Size bytes, whatever the method. Returns false when the data is damaged, a
// write fails or the loop was stopped; crcOk tells whether the data was whole and matched the entry's size and CRC.
bool InflateEntry(const UnzipEntryData& entry, ByteSource& source, std::int64_t offset, ByteSink* out,
                  const std::function<bool(std::uint64_t written)>& progress, bool& crcOk);
