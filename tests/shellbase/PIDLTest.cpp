// Item identifier lists: byte-level routines on hand-made lists, and split, join, compare and display names of
// real folders. The fourteen registered clipboard formats.
#include "components/PIDL.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A list from item payloads, in the shell allocator: each item is its count and its bytes, then two zero bytes.
TPidlPtr MakeList(const std::vector<std::string>& payloads) {
    std::vector<BYTE> bytes;
    for (const auto& p : payloads) {
        const USHORT cb = static_cast<USHORT>(p.size() + 2);
        bytes.push_back(BYTE(cb));
        bytes.push_back(BYTE(cb >> 8));
        bytes.insert(bytes.end(), p.begin(), p.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    TPidlPtr list = PIDL_Create(static_cast<UINT>(bytes.size()));
    std::memcpy(list.get(), bytes.data(), bytes.size());
    return list;
}

std::wstring DisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags) {
    std::wstring name;
    EXPECT_TRUE(PIDL_GetDisplayName(folder, list, flags, name));
    return name;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

} // namespace

TEST(PIDL, SizesAndWalking) {
    EXPECT_EQ(PIDL_GetSize(nullptr), 0u);
    EXPECT_EQ(PIDL_GetNextItem(nullptr), nullptr);
    TPidlPtr empty = MakeList({});
    EXPECT_EQ(PIDL_GetSize(empty.get()), 2u);
    TPidlPtr three = MakeList({"abc", "", "hello"});
    EXPECT_EQ(PIDL_GetSize(three.get()), 5u + 2u + 7u + 2u);
    auto second = PIDL_GetNextItem(three.get());
    EXPECT_EQ(reinterpret_cast<BYTE*>(second) - reinterpret_cast<BYTE*>(three.get()), 5);
    EXPECT_EQ(PIDL_GetSize(second), 2u + 7u + 2u);
}

TEST(PIDL, CreateZeroFillsAndCopyDuplicates) {
    TPidlPtr block = PIDL_Create(16);
    ASSERT_TRUE(block);
    const std::vector<BYTE> zeros(16, 0);
    EXPECT_EQ(std::memcmp(block.get(), zeros.data(), 16), 0);
    EXPECT_EQ(PIDL_Copy(nullptr), nullptr);
    TPidlPtr list = MakeList({"one", "two"});
    TPidlPtr copy = PIDL_Copy(list.get());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), list.get());
    EXPECT_TRUE(PIDL_Equal(copy.get(), list.get()));
}

TEST(PIDL, Equal) {
    EXPECT_FALSE(PIDL_Equal(nullptr, nullptr));
    TPidlPtr a = MakeList({"abc"});
    EXPECT_FALSE(PIDL_Equal(a.get(), nullptr));
    EXPECT_FALSE(PIDL_Equal(nullptr, a.get()));
    EXPECT_TRUE(PIDL_Equal(a.get(), MakeList({"abc"}).get()));
    EXPECT_FALSE(PIDL_Equal(a.get(), MakeList({"abd"}).get()));
    EXPECT_FALSE(PIDL_Equal(a.get(), MakeList({"abc", "d"}).get()));
    EXPECT_TRUE(PIDL_Equal(MakeList({}).get(), MakeList({}).get()));
}

TEST(PIDL, SplitAndConcatenateByteLists) {
    TPidlPtr list = MakeList({"ab", "cde", "f"});
    TPidlPtr parent, last;
    PIDL_Split(list.get(), parent, last);
    EXPECT_TRUE(PIDL_Equal(parent.get(), MakeList({"ab", "cde"}).get()));
    EXPECT_TRUE(PIDL_Equal(last.get(), MakeList({"f"}).get()));
    EXPECT_TRUE(PIDL_Equal(list.get(), MakeList({"ab", "cde", "f"}).get())); // the input stays
    EXPECT_TRUE(PIDL_Equal(PIDL_Concatenate(parent.get(), last.get()).get(), list.get()));

    TPidlPtr single = MakeList({"xyz"});
    PIDL_Split(single.get(), parent, last);
    EXPECT_EQ(PIDL_GetSize(parent.get()), 2u);
    EXPECT_TRUE(PIDL_Equal(last.get(), single.get()));

    PIDL_Split(nullptr, parent, last);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(last, nullptr);
    PIDL_Split(MakeList({}).get(), parent, last);
    EXPECT_EQ(PIDL_GetSize(parent.get()), 2u);
    EXPECT_EQ(last, nullptr);

    EXPECT_TRUE(PIDL_Equal(PIDL_Concatenate(nullptr, single.get()).get(), single.get()));
    EXPECT_TRUE(PIDL_Equal(PIDL_Concatenate(single.get(), nullptr).get(), single.get()));
    EXPECT_TRUE(PIDL_Equal(PIDL_Concatenate(MakeList({}).get(), single.get()).get(), single.get()));
    EXPECT_TRUE(PIDL_Equal(PIDL_Concatenate(nullptr, nullptr).get(), MakeList({}).get()));
}

TEST(PIDL, RealFoldersSplitJoinAndShowTheirNames) {
    testenv::TempDir dir;
    const std::wstring outer = (dir / L"Outer Folder").wstring();
    const std::wstring inner = outer + L"\\Inner.d";
    ASSERT_TRUE(CreateDirectoryW(outer.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));

    TPidlPtr full = PIDL_GetFromPath(inner);
    TPidlPtr outerList = PIDL_GetFromPath(outer);
    ASSERT_TRUE(full);
    ASSERT_TRUE(outerList);
    EXPECT_TRUE(SamePath(DisplayName(nullptr, full.get(), SHGDN_FORPARSING), inner));

    TPidlPtr parent, last;
    PIDL_Split(full.get(), parent, last);
    EXPECT_TRUE(SamePath(DisplayName(nullptr, parent.get(), SHGDN_FORPARSING), outer));
    EXPECT_EQ(PIDL_GetSize(parent.get()) + PIDL_GetSize(last.get()) - 2, PIDL_GetSize(full.get()));
    EXPECT_FALSE(PIDL_Equal(full.get(), outerList.get()));

    TShellFolderPtr folder;
    ASSERT_TRUE(PIDL_GetFolder(parent.get(), folder));
    EXPECT_EQ(DisplayName(folder.Get(), last.get(), SHGDN_INFOLDER | SHGDN_FORPARSING), L"Inner.d");

    TPidlPtr child = PIDL_GetFromParentFolder(folder.Get(), L"Inner.d");
    ASSERT_TRUE(child);
    TPidlPtr joined = PIDL_Concatenate(parent.get(), child.get());
    EXPECT_TRUE(PIDL_Equal(joined.get(), full.get()));
    EXPECT_TRUE(SamePath(DisplayName(nullptr, joined.get(), SHGDN_FORPARSING), inner));

    EXPECT_EQ(PIDL_GetFromPath((dir / L"missing").wstring()), nullptr);
    EXPECT_EQ(PIDL_GetFromParentFolder(folder.Get(), L"missing"), nullptr);
    EXPECT_EQ(PIDL_GetFromParentFolder(nullptr, L"Inner.d"), nullptr);
}

TEST(PIDL, GetFolderOfTheDesktopAndOfNothing) {
    TShellFolderPtr folder;
    ASSERT_TRUE(PIDL_GetFolder(MakeList({}).get(), folder));
    ASSERT_TRUE(folder);
    TShellFolderPtr desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(desktop.GetAddressOf())));
    // The folder in hand is the desktop: it parses the scratch drive to the same list as the desktop does.
    TPidlPtr viaFolder = PIDL_GetFromParentFolder(folder.Get(), L"S:\\");
    EXPECT_TRUE(PIDL_Equal(viaFolder.get(), PIDL_GetFromPath(L"S:\\").get()));

    TShellFolderPtr none;
    EXPECT_FALSE(PIDL_GetFolder(nullptr, none));
}

TEST(PIDL, DisplayNamesAreWholeAndOverlongPathsFailCleanly) {
    testenv::TempDir dir;
    std::wstring path = dir.path().wstring();
    while (path.size() < 230) {
        path += L"\\" + std::wstring(20, L'n');
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    TPidlPtr list = PIDL_GetFromPath(path);
    ASSERT_TRUE(list);
    EXPECT_TRUE(SamePath(DisplayName(nullptr, list.get(), SHGDN_FORPARSING), path));
    // Longer than any buffer the shell parses into: a null list, never a cut one.
    const std::wstring overlong = path + L"\\" + std::wstring(700, L'x');
    EXPECT_EQ(PIDL_GetFromPath(overlong), nullptr);
}

TEST(PIDL, FourteenClipboardFormatsAreRegisteredByName) {
    const std::vector<std::pair<UINT, const wchar_t*>> formats = {
        {CF_FILECONTENTS, L"FileContents"},
        {CF_FILEDESCRIPTOR, L"FileGroupDescriptor"},
        {CF_FILENAME, L"FileName"},
        {CF_FILENAMEMAP, L"FileNameMap"},
        {CF_FILENAMEMAPW, L"FileNameMapW"},
        {CF_INSHELLDRAGLOOP, L"InShellDragLoop"},
        {CF_NETRESOURCE, L"Net Resource"},
        {CF_PASTESUCCEEDED, L"Paste Succeeded"},
        {CF_PERFORMEDDROPEFFECT, L"Performed DropEffect"},
        {CF_PREFERREDDROPEFFECT, L"Preferred DropEffect"},
        {CF_PRINTERFRIENDLYNAME, L"PrinterFriendlyName"},
        {CF_IDLIST, L"Shell IDList Array"},
        {CF_OBJECTPOSITIONS, L"Shell Object Offsets"},
        {CF_URL, L"UniformResourceLocator"},
    };
    std::vector<UINT> seen;
    for (const auto& [format, name] : formats) {
        EXPECT_GE(format, 0xC000u) << std::string(name, name + wcslen(name));
        wchar_t buffer[64] = {};
        ASSERT_GT(GetClipboardFormatNameW(format, buffer, 64), 0);
        EXPECT_STREQ(buffer, name);
        EXPECT_EQ(format, RegisterClipboardFormatW(name)); // the same format the shell gets for that name
        for (UINT other : seen) {
            EXPECT_NE(format, other);
        }
        seen.push_back(format);
    }
    EXPECT_EQ(seen.size(), 14u);
}
