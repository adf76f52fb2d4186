// The drop formats' byte layouts: what other programs hand over, read without a read past the block, and what we
// write read back the same.
#include "core/DropData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

DropBlock Bytes(std::initializer_list<int> values) {
    DropBlock block;
    for (int v : values) {
        block.push_back(static_cast<unsigned char>(v));
    }
    return block;
}

void Append(DropBlock& block, const DropBlock& more) {
    block.insert(block.end(), more.begin(), more.end());
}

DropBlock Le32(std::uint32_t v) {
    return Bytes({static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF),
                  static_cast<int>(v >> 24)});
}

// An HDROP header with the names at namesAt and the wide flag as given.
DropBlock Header(std::uint32_t namesAt, bool wide) {
    DropBlock block = Le32(namesAt);
    Append(block, Le32(5)); // x
    Append(block, Le32(7)); // y
    Append(block, Le32(0)); // non-client
    Append(block, Le32(wide ? 1 : 0));
    return block;
}

// One identifier list: items of the given payloads, then the closing zero-size item.
std::string IdList(std::initializer_list<std::string> items) {
    std::string list;
    for (const std::string& item : items) {
        const std::size_t cb = item.size() + 2;
        list += static_cast<char>(cb & 0xFF);
        list += static_cast<char>(cb >> 8);
        list += item;
    }
    return list + std::string(2, '\0');
}

} // namespace

TEST(DropData, WideHDropIsWrittenAsTheShellWritesIt) {
    const DropBlock block = EncodeHDrop({L"C:\\a.txt", L"\u00e4\u20ac"});
    DropBlock expected = Le32(20);
    Append(expected, Le32(0));
    Append(expected, Le32(0));
    Append(expected, Le32(0));
    Append(expected, Le32(1));
    for (int unit : std::initializer_list<int>{'C', ':', '\\', 'a', '.', 't', 'x', 't', 0, 0xE4, 0x20AC, 0, 0}) {
        Append(expected, Bytes({unit & 0xFF, unit >> 8}));
    }
    EXPECT_EQ(block, expected);
}

TEST(DropData, HDropOfAnotherProgramIsRead) {
    // Narrow names after a gap behind the header: the offset in the header counts, not the header's size.
    DropBlock narrow = Header(24, false);
    Append(narrow, Bytes({0xEE, 0xEE, 0xEE, 0xEE, 'a', 0xE4, 0, 'b', 0, 0}));
    const auto names = DecodeHDrop(narrow.data(), narrow.size());
    ASSERT_TRUE(names);
    EXPECT_FALSE(names->Wide);
    EXPECT_EQ(names->NarrowNames, (std::vector<std::string>{"a\xE4", "b"}));

    DropBlock wide = Header(20, true);
    Append(wide, Bytes({'x', 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0, 0, 0})); // "x" and a surrogate pair
    const auto wideNames = DecodeHDrop(wide.data(), wide.size());
    ASSERT_TRUE(wideNames);
    ASSERT_EQ(wideNames->WideNames.size(), 1u);
    EXPECT_EQ(wideNames->WideNames[0], (std::wstring{L'x', wchar_t(0xD83D), wchar_t(0xDE00)}));
}

TEST(DropData, MalformedBlocksDecodeToNothing) {
    struct Case {
        const char* what;
        DropBlock block;
    };
    DropBlock unclosed = Header(20, true);
    Append(unclosed, Bytes({'a', 0, 0, 0, 'b', 0})); // the list never ends
    DropBlock odd = Header(20, true);
    Append(odd, Bytes({'a', 0, 0, 0, 0})); // half a closing unit
    DropBlock past = Header(40, true);
    DropBlock inside = Header(8, true);
    Append(inside, Bytes({0, 0}));
    const Case cases[] = {
        {"shorter than the header", Bytes({20, 0, 0, 0})},
        {"names offset past the block", past},
        {"names offset inside the header", inside},
        {"list without its end", unclosed},
        {"closing unit cut in half", odd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(DecodeHDrop(c.block.data(), c.block.size()));
    }
    EXPECT_FALSE(DecodeHDrop(nullptr, 0));
    EXPECT_FALSE(DecodeNarrowNameList(nullptr, 0));
}

TEST(DropData, NameMapsReadBack) {
    DropBlock map;
    AppendWideNameList(map, {L"Kopie von a.txt", L"b.txt"});
    const auto names = DecodeWideNameList(map.data(), map.size());
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<std::wstring>{L"Kopie von a.txt", L"b.txt"}));

    const DropBlock narrow = Bytes({'n', 'e', 'u', 0, 0, 'x', 'y'}); // what follows the closing name is not read
    EXPECT_EQ(*DecodeNarrowNameList(narrow.data(), narrow.size()), std::vector<std::string>{"neu"});
    const DropBlock empty = Bytes({0, 0});
    EXPECT_TRUE(DecodeWideNameList(empty.data(), empty.size())->empty());
}

TEST(DropData, IdListArrayLayoutAndRoundTrip) {
    IdListArray lists;
    lists.Parent = IdList({"drive", "folder"});
    lists.Items = {IdList({"a.txt"}), IdList({"sub", "b.txt"})};
    const DropBlock block = EncodeIdListArray(lists);
    // Count, three offsets, then the lists in order.
    ASSERT_GE(block.size(), 16u);
    EXPECT_EQ(DropBlock(block.begin(), block.begin() + 8), [] {
        DropBlock head = Le32(2);
        Append(head, Le32(16));
        return head;
    }());
    const auto back = DecodeIdListArray(block.data(), block.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, lists);
}

TEST(DropData, MalformedIdListArraysDecodeToNothing) {
    const auto withOffsets = [](std::uint32_t count, std::initializer_list<std::uint32_t> offsets, std::string tail) {
        DropBlock block = Le32(count);
        for (std::uint32_t o : offsets) {
            Append(block, Le32(o));
        }
        block.insert(block.end(), tail.begin(), tail.end());
        return block;
    };
    struct Case {
        const char* what;
        DropBlock block;
    };
    const Case cases[] = {
        {"too short for a count", Bytes({1, 0, 0})},
        {"offset table past the block", withOffsets(1000, {12}, std::string(2, '\0'))},
        {"count near the top of 32 bits", withOffsets(0xFFFFFFFF, {8}, "")},
        {"parent offset past the block", withOffsets(0, {500}, "")},
        {"item without its closing item", withOffsets(1, {12, 14}, std::string(2, '\0') + "\x05\0abc")},
        {"item of size one loops", withOffsets(1, {12, 14}, std::string(2, '\0') + std::string("\x01\0", 2))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(DecodeIdListArray(c.block.data(), c.block.size()));
    }
    // The smallest well-formed array: no items, an empty parent.
    const DropBlock smallest = withOffsets(0, {8}, std::string(2, '\0'));
    const auto lists = DecodeIdListArray(smallest.data(), smallest.size());
    ASSERT_TRUE(lists);
    EXPECT_EQ(lists->Parent, std::string(2, '\0'));
    EXPECT_TRUE(lists->Items.empty());
}
