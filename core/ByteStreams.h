#pragma once
// Where window-free readers get their bytes and where they put them: the Windows side wraps files and handles in
// these, tests and fuzz targets wrap memory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Random-access reading.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t Size() const = 0;
    // Reads exactly count bytes at offset; false on a short read or an error.
    virtual bool ReadAt(std::int64_t offset, void* buffer, std::size_t count) = 0;
};

// Sequential writing.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all count bytes; false when they could not all be written.
    virtual bool Write(const void* data, std::size_t count) = 0;
};

// Bytes in memory, borrowed: they must outlive the source.
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
    MemoryByteSource(const void* data, std::size_t size) : bytes_(static_cast<const char*>(data), size) {}

    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    bool ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
        if (offset < 0 || offset > Size() || count > bytes_.size() - static_cast<std::size_t>(offset)) {
            return false;
        }
        if (count > 0) {
            std::memcpy(buffer, bytes_.data() + offset, count);
        }
        return true;
    }

private:
    std::string_view bytes_;
};
