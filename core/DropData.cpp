#include "core/DropData.h"

#include "core/LittleEndian.h"

#include <cstdint>

namespace {

void Put16(DropBlock& block, std::uint16_t value) {
    block.push_back(static_cast<unsigned char>(value));
    block.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(DropBlock& block, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        block.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void Set32(DropBlock& block, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        block[offset + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Names of unit bytes each, up to an empty one, within [begin, end). Nothing when a name runs past the end.
template <typename Name, std::size_t unit>
std::optional<std::vector<Name>> DecodeNameList(const unsigned char* begin, const unsigned char* end) {
    std::vector<Name> names;
    const unsigned char* p = begin;
    while (true) {
        Name name;
        while (true) {
            if (static_cast<std::size_t>(end - p) < unit) {
                return std::nullopt;
            }
            const unsigned value = unit == 2 ? Get16(p) : *p;
            p += unit;
            if (value == 0) {
                break;
            }
            name.push_back(static_cast<typename Name::value_type>(value));
        }
        if (name.empty()) {
            return names;
        }
        names.push_back(std::move(name));
    }
}

// The identifier list starting at offset, when its closing item lies inside the block.
std::optional<std::string> ListAt(const unsigned char* data, std::size_t size, std::uint64_t offset) {
    std::uint64_t p = offset;
    while (true) {
        if (p + 2 > size) {
            return std::nullopt;
        }
        const std::uint16_t cb = Get16(data + p);
        if (cb == 0) {
            return std::string(reinterpret_cast<const char*>(data + offset), static_cast<std::size_t>(p + 2 - offset));
        }
        if (cb < 2) {
            return std::nullopt;
        }
        p += cb;
    }
}

} // namespace

std::optional<std::vector<std::wstring>> DecodeWideNameList(const unsigned char* data, std::size_t size) {
    return DecodeNameList<std::wstring, 2>(data, data + size);
}

std::optional<std::vector<std::string>> DecodeNarrowNameList(const unsigned char* data, std::size_t size) {
    return DecodeNameList<std::string, 1>(data, data + size);
}

void AppendWideNameList(DropBlock& block, const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names) {
        for (wchar_t c : name) {
            Put16(block, static_cast<std::uint16_t>(c));
        }
        Put16(block, 0);
    }
    Put16(block, 0);
}

std::optional<HDropNames> DecodeHDrop(const unsigned char* data, std::size_t size) {
    if (!data || size < kHDropHeaderSize) {
        return std::nullopt;
    }
    const std::uint32_t namesAt = Get32(data);
    if (namesAt < kHDropHeaderSize || namesAt > size) {
        return std::nullopt;
    }
    HDropNames result;
    result.Wide = Get32(data + 16) != 0;
    if (result.Wide) {
        auto names = DecodeWideNameList(data + namesAt, size - namesAt);
        if (!names) {
            return std::nullopt;
        }
        result.WideNames = std::move(*names);
    } else {
        auto names = DecodeNarrowNameList(data + namesAt, size - namesAt);
        if (!names) {
            return std::nullopt;
        }
        result.NarrowNames = std::move(*names);
    }
    return result;
}

DropBlock EncodeHDrop(const std::vector<std::wstring>& names) {
    DropBlock block;
    Put32(block, kHDropHeaderSize); // the names follow the header
    Put32(block, 0);                // drop point x
    Put32(block, 0);                // drop point y
    Put32(block, 0);                // not in the non-client area
    Put32(block, 1);                // wide names
    AppendWideNameList(block, names);
    return block;
}

std::optional<IdListArray> DecodeIdListArray(const unsigned char* data, std::size_t size) {
    if (!data || size < 8) {
        return std::nullopt;
    }
    const std::uint32_t count = Get32(data);
    if (4ull * count + 8 > size) {
        return std::nullopt;
    }
    IdListArray lists;
    auto parent = ListAt(data, size, Get32(data + 4));
    if (!parent) {
        return std::nullopt;
    }
    lists.Parent = std::move(*parent);
    for (std::uint32_t i = 1; i <= count; ++i) {
        auto item = ListAt(data, size, Get32(data + 4ull * (i + 1)));
        if (!item) {
            return std::nullopt;
        }
        lists.Items.push_back(std::move(*item));
    }
    return lists;
}

DropBlock EncodeIdListArray(const IdListArray& lists) {
    DropBlock block(4 * lists.Items.size() + 8, 0);
    Set32(block, 0, static_cast<std::uint32_t>(lists.Items.size()));
    Set32(block, 4, static_cast<std::uint32_t>(block.size()));
    block.insert(block.end(), lists.Parent.begin(), lists.Parent.end());
    for (std::size_t i = 0; i < lists.Items.size(); ++i) {
        Set32(block, 4 * i + 8, static_cast<std::uint32_t>(block.size()));
        block.insert(block.end(), lists.Items[i].begin(), lists.Items[i].end());
    }
    return block;
}
