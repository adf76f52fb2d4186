#pragma once
// The byte layouts of the drag-and-drop formats that carry files, as other programs hand them over:
//   CF_HDROP             a 20-byte header (offset of the names, drop point, non-client flag, wide flag), then a name
//                        list;
//   "FileNameMap(W)"     a name list alone (narrow or wide);
//   "Shell IDList Array" a count, count + 1 offsets from the block's start (the first names the parent folder), and
//                        the identifier lists they point at.
// A name list is names each ending with a zero unit, closed by an empty name. Everything is little-endian. Wide text
// is UTF-16: one code unit per wchar_t, on every platform. A block that does not keep to its layout decodes to
// nothing; no read goes past its end.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

using DropBlock = std::vector<unsigned char>;

// The names of a name list within [data, data + size).
std::optional<std::vector<std::wstring>> DecodeWideNameList(const unsigned char* data, std::size_t size);
std::optional<std::vector<std::string>> DecodeNarrowNameList(const unsigned char* data, std::size_t size);
// Appends a wide name list. A name must not be empty or hold a zero unit: the list would end there.
void AppendWideNameList(DropBlock& block, const std::vector<std::wstring>& names);

constexpr std::size_t kHDropHeaderSize = 20;

// The names of a CF_HDROP block: wide ones, or the bytes of narrow ones (in the sender's ANSI code page).
struct HDropNames {
    bool Wide = true;
    std::vector<std::wstring> WideNames;
    std::vector<std::string> NarrowNames;
};
std::optional<HDropNames> DecodeHDrop(const unsigned char* data, std::size_t size);
// A CF_HDROP block of wide names (names outside the ANSI code page survive the trip).
DropBlock EncodeHDrop(const std::vector<std::wstring>& names);

// A "Shell IDList Array": each identifier list as its bytes, the closing zero-size item included.
struct IdListArray {
    std::string Parent;
    std::vector<std::string> Items;
    bool operator==(const IdListArray&) const = default;
};
std::optional<IdListArray> DecodeIdListArray(const unsigned char* data, std::size_t size);
// Each list must be whole: items of two or more bytes each, then the closing zero-size item.
DropBlock EncodeIdListArray(const IdListArray& lists);
