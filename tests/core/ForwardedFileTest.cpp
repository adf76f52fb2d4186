// The bytes of a file handed over by a second start, on bytes in memory.
#include "core/ForwardedFile.h"

#include <gtest/gtest.h>

namespace {

ForwardedBytes Bytes(std::initializer_list<unsigned> values) {
    ForwardedBytes bytes;
    for (unsigned value : values) {
        bytes.push_back(static_cast<unsigned char>(value));
    }
    return bytes;
}

} // namespace

TEST(ForwardedFile, PathsAreLittleEndianUnitsClosedByAZeroUnit) {
    EXPECT_EQ(EncodeForwardedFile(L"C:\\a"), Bytes({'C', 0, ':', 0, '\\', 0, 'a', 0, 0, 0}));
    EXPECT_EQ(EncodeForwardedFile(std::wstring(1, static_cast<wchar_t>(0x20AC))), Bytes({0xAC, 0x20, 0, 0}));
    const std::wstring paths[] = {
        L"C:\\PDF\\IN\\a b.ps",
        std::wstring(L"C:\\\u00e4\u00df") + static_cast<wchar_t>(0xD83D) + static_cast<wchar_t>(0xDE00) + L".ps",
        L"\\\\server\\share\\x.ps",
        std::wstring(300, L'x'),
    };
    for (const std::wstring& path : paths) {
        const ForwardedBytes bytes = EncodeForwardedFile(path);
        EXPECT_EQ(bytes.size(), 2 * (path.size() + 1));
        EXPECT_EQ(DecodeForwardedFile(bytes.data(), bytes.size()), std::optional<std::wstring>(path));
    }
}

TEST(ForwardedFile, BytesThatHoldNoPathAreRefused) {
    struct Case {
        const char* what;
        ForwardedBytes bytes;
        std::optional<std::wstring> path;
    } cases[] = {
        {"no bytes", {}, std::nullopt},
        {"half a unit", Bytes({'a'}), std::nullopt},
        {"odd size", Bytes({'a', 0, 'b'}), std::nullopt},
        {"only the zero unit", Bytes({0, 0}), std::nullopt},
        {"zero units only", Bytes({0, 0, 0, 0}), std::nullopt},
        {"without the zero unit", Bytes({'a', 0, 'b', 0}), L"ab"},
        {"several zero units at the end", Bytes({'a', 0, 0, 0, 0, 0}), L"a"},
        {"units behind the closing zero unit", Bytes({'a', 0, 0, 0, 'b', 0}), L"a"},
        {"a zero unit first", Bytes({0, 0, 'b', 0}), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeForwardedFile(c.bytes.data(), c.bytes.size()), c.path) << c.what;
    }
    EXPECT_EQ(DecodeForwardedFile(nullptr, 4), std::nullopt);
}
