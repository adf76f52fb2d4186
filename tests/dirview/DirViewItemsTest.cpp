// The window-free parts of the directory list view: extensions, display names, attribute letters, the order of
// records, the entry filter, the texts by language and the attribute rules of the directory search.
#include "components/DirView.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w)
        s.push_back(c < 128 ? static_cast<char>(c) : '?');
    return s;
}

// --- names -------------------------------------------------------------------------------------------------------

struct ExtCase {
    const wchar_t* name;
    const wchar_t* shortExt;
    const wchar_t* fullExt;
};
class Extensions : public testing::TestWithParam<ExtCase> {};
TEST_P(Extensions, AreUpperCaseWithoutTheDot) {
    EXPECT_EQ(ShortFileExt(GetParam().name), GetParam().shortExt);
    EXPECT_EQ(FullFileExt(GetParam().name), GetParam().fullExt);
}
INSTANTIATE_TEST_SUITE_P(Table, Extensions,
                         testing::Values(ExtCase{L"report.ps", L"PS", L"PS"}, ExtCase{L"page.html", L"HTM", L"HTML"},
                                         ExtCase{L"a.b.docx", L"DOC", L"DOCX"}, ExtCase{L"README", L"", L""},
                                         ExtCase{L"trail.", L"", L""}, ExtCase{L"..", L"", L""},
                                         ExtCase{L"C:\\x.y\\name", L"", L""}));

struct NameCase {
    TFileNameDisplay display;
    const wchar_t* stored;
    const wchar_t* shown;
};
std::ostream& operator<<(std::ostream& out, const NameCase& c) {
    return out << c.display << ' ' << Narrow(c.stored);
}
class DisplayNames : public testing::TestWithParam<NameCase> {};
TEST_P(DisplayNames, FollowTheDisplayMode) {
    EXPECT_EQ(FormatDisplayName(GetParam().display, GetParam().stored), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(Table, DisplayNames,
                         testing::Values(NameCase{fndStored, L"MiXed.Ps", L"MiXed.Ps"},
                                         NameCase{fndCap, L"MiXed.Ps", L"MIXED.PS"},
                                         NameCase{fndNoCap, L"MiXed.Ps", L"mixed.ps"},
                                         NameCase{fndNice, L"REPORT.PS", L"Report.ps"},
                                         NameCase{fndNice, L"ABCDEFGH.TXT", L"Abcdefgh.txt"},   // 12 characters
                                         NameCase{fndNice, L"ABCDEFGHI.TXT", L"ABCDEFGHI.TXT"}, // 13 characters stay
                                         NameCase{fndNice, L"MY FILE.PS", L"MY FILE.PS"}, // a blank keeps the case
                                         NameCase{fndCap, L"\u00e4rger.ps", L"\u00e4RGER.PS"})); // ASCII mapping only

struct AttrCase {
    DWORD attr;
    const wchar_t* space;
    const wchar_t* text;
};
std::ostream& operator<<(std::ostream& out, const AttrCase& c) {
    return out << c.attr << " '" << Narrow(c.space) << "'";
}
class AttributeLetters : public testing::TestWithParam<AttrCase> {};
TEST_P(AttributeLetters, ShowTheSetBits) {
    EXPECT_EQ(GetAttrString(GetParam().attr, GetParam().space), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(Table, AttributeLetters,
                         testing::Values(AttrCase{0, L"", L""}, AttrCase{0, L"-", L""},
                                         AttrCase{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, L"", L"RA"},
                                         AttrCase{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, L"-", L"R--A-"},
                                         AttrCase{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, L"", L"HS"},
                                         AttrCase{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_COMPRESSED, L"", L"AC"},
                                         AttrCase{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_COMPRESSED, L".", L"...Ac"},
                                         AttrCase{FILE_ATTRIBUTE_DIRECTORY, L"", L""},
                                         AttrCase{FILE_ATTRIBUTE_DIRECTORY, L" ", L"     "}));

TEST(SpecialExtensions, AreExactlyTheEight) {
    for (const wchar_t* ext : {L"EXE", L"LNK", L"ICO", L"ANI", L"CUR", L"PIF", L"JOB", L"CPL"})
        EXPECT_TRUE(IsSpecialExt(ext)) << Narrow(ext);
    for (const wchar_t* ext : {L"", L"EX", L"XE", L"PS", L"exe", L"E,L", L"EXE,"})
        EXPECT_FALSE(IsSpecialExt(ext)) << Narrow(ext);
}

// --- texts ---------------------------------------------------------------------------------------------------

TEST(Texts, FollowThePrimaryLanguage) {
    const TDirViewTexts& german = DirViewTextsFor(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS));
    const TDirViewTexts& french = DirViewTextsFor(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_CANADIAN));
    const TDirViewTexts& english = DirViewTextsFor(MAKELANGID(LANG_ITALIAN, SUBLANG_DEFAULT));
    EXPECT_EQ(std::wstring(german.Columns[1]), L"Gr\u00F6\u00DFe");
    EXPECT_EQ(std::wstring(german.Columns[3]), L"Ge\u00E4ndert am");
    EXPECT_EQ(std::wstring(french.Columns[0]), L"Nom");
    EXPECT_EQ(std::wstring(french.Columns[4]), L"Attributs");
    EXPECT_EQ(std::wstring(french.Exists), L"File allready exists: ");
    EXPECT_EQ(std::wstring(french.FileCount), L"%u Files");
    EXPECT_EQ(std::wstring(english.Columns[3]), L"Changed");
    EXPECT_EQ(UnknownTypeText(german, L"QQQ"), L"Datei QQQ");
    EXPECT_EQ(UnknownTypeText(french, L"QQQ"), L"Fichier QQQ");
    EXPECT_EQ(UnknownTypeText(english, L""), L"File ");
    EXPECT_EQ(&DirViewTexts(), &DirViewTextsFor(GetUserDefaultLangID()));
}

// --- order ---------------------------------------------------------------------------------------------------

TFileRec Record(const wchar_t* name, bool directory, std::int64_t size, std::uint64_t time, DWORD attr = 0,
                const wchar_t* type = L"") {
    TFileRec rec;
    rec.FileName = rec.DisplayName = name;
    rec.FileExt = ShortFileExt(name);
    rec.IsDirectory = directory;
    rec.IsParentDir = std::wstring(name) == L"..";
    rec.Size = directory ? -1 : size;
    rec.FileTime.dwLowDateTime = static_cast<DWORD>(time);
    rec.FileTime.dwHighDateTime = static_cast<DWORD>(time >> 32);
    rec.Attr = attr | (directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
    rec.TypeName = type;
    return rec;
}

struct OrderCase {
    TDirSortKey key;
    bool ascending;
    bool dirsOnTop;
    std::vector<std::wstring> order;
};
std::ostream& operator<<(std::ostream& out, const OrderCase& c) {
    return out << static_cast<int>(c.key) << (c.ascending ? " asc" : " desc") << (c.dirsOnTop ? " top" : "");
}

class RecordOrder : public testing::TestWithParam<OrderCase> {
protected:
    // Times: b.txt and A.ps were written at the same moment; attributes and sizes all differ.
    std::vector<TFileRec> records = [] {
        std::vector<TFileRec> r;
        r.push_back(Record(L"zdir", true, 0, 500, 0));
        r.push_back(Record(L"b.txt", false, 300, 200, FILE_ATTRIBUTE_ARCHIVE, L"Text"));
        r.push_back(Record(L"..", true, 0, 1, 0));
        r.push_back(Record(L"A.ps", false, 10, 200, FILE_ATTRIBUTE_READONLY, L"PostScript"));
        r.push_back(Record(L"c.pdf", false, 2000, 100, FILE_ATTRIBUTE_HIDDEN, L"Portable"));
        r.push_back(Record(L"adir", true, 0, 50, FILE_ATTRIBUTE_HIDDEN));
        return r;
    }();
};

TEST_P(RecordOrder, FollowsTheColumnAndDirection) {
    const OrderCase& c = GetParam();
    std::vector<const TFileRec*> items;
    for (const TFileRec& rec : records)
        items.push_back(&rec);
    std::stable_sort(items.begin(), items.end(), [&](const TFileRec* a, const TFileRec* b) {
        return CompareFileRecs(a, b, c.key, c.ascending, c.dirsOnTop) < 0;
    });
    std::vector<std::wstring> names;
    for (const TFileRec* rec : items)
        names.push_back(rec->FileName);
    EXPECT_EQ(names, c.order);
    // The routine is antisymmetric, so the list control's own sort reaches the same order.
    for (const TFileRec* a : items)
        for (const TFileRec* b : items)
            EXPECT_EQ(CompareFileRecs(a, b, c.key, c.ascending, c.dirsOnTop) < 0,
                      CompareFileRecs(b, a, c.key, c.ascending, c.dirsOnTop) > 0);
}

using K = TDirSortKey;
INSTANTIATE_TEST_SUITE_P(
    Table, RecordOrder,
    testing::Values(OrderCase{K::Name, true, false, {L"..", L"adir", L"zdir", L"A.ps", L"b.txt", L"c.pdf"}},
                    OrderCase{K::Name, false, false, {L"..", L"c.pdf", L"b.txt", L"A.ps", L"zdir", L"adir"}},
                    OrderCase{K::Name, false, true, {L"..", L"zdir", L"adir", L"c.pdf", L"b.txt", L"A.ps"}},
                    OrderCase{K::Size, true, false, {L"..", L"adir", L"zdir", L"A.ps", L"b.txt", L"c.pdf"}},
                    OrderCase{K::Size, false, false, {L"..", L"c.pdf", L"b.txt", L"A.ps", L"zdir", L"adir"}},
                    OrderCase{K::Type, true, false, {L"..", L"adir", L"zdir", L"c.pdf", L"A.ps", L"b.txt"}},
                    OrderCase{K::Extension, true, false, {L"..", L"adir", L"zdir", L"c.pdf", L"A.ps", L"b.txt"}},
                    OrderCase{K::Extension, false, true, {L"..", L"zdir", L"adir", L"b.txt", L"A.ps", L"c.pdf"}},
                    // Equal times (A.ps, b.txt) stay in ascending name order in both directions.
                    OrderCase{K::Date, true, false, {L"..", L"adir", L"zdir", L"c.pdf", L"A.ps", L"b.txt"}},
                    OrderCase{K::Date, false, false, {L"..", L"A.ps", L"b.txt", L"c.pdf", L"zdir", L"adir"}},
                    OrderCase{K::Attributes, true, false, {L"..", L"zdir", L"adir", L"A.ps", L"c.pdf", L"b.txt"}},
                    OrderCase{K::Attributes, false, true, {L"..", L"adir", L"zdir", L"b.txt", L"c.pdf", L"A.ps"}}));

TEST(RecordOrderEdges, MissingAndSameRecords) {
    TFileRec a = Record(L"a", false, 1, 1);
    EXPECT_EQ(CompareFileRecs(&a, &a, K::Name, true, false), 0);
    EXPECT_LT(CompareFileRecs(nullptr, &a, K::Name, true, false), 0);
    EXPECT_GT(CompareFileRecs(&a, nullptr, K::Name, false, false), 0);
}

// --- filter ----------------------------------------------------------------------------------------------------

TEST(EntryFilter, RequiresAndExcludesBitsAndKeepsTheDateRange) {
    TSearchRec rec;
    rec.Attr = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN;
    rec.HasDosTime = true;
    rec.Time = (0x5000u << 16) | 0x100u;
    TEntryFilter any;
    EXPECT_TRUE(any.Passes(rec));
    TEntryFilter noHidden;
    noHidden.Excluded = FILE_ATTRIBUTE_HIDDEN;
    EXPECT_FALSE(noHidden.Passes(rec));
    TEntryFilter readOnly;
    readOnly.Required = FILE_ATTRIBUTE_READONLY;
    EXPECT_FALSE(readOnly.Passes(rec));
    rec.Attr |= FILE_ATTRIBUTE_READONLY;
    EXPECT_TRUE(readOnly.Passes(rec));

    TEntryFilter range;
    range.AnyTime = false;
    range.From = (0x5000u << 16);
    range.To = (0x5000u << 16) | 0x100u;
    EXPECT_TRUE(range.Passes(rec));
    rec.Time += 1;
    EXPECT_FALSE(range.Passes(rec));
    // A time without a DOS form passes only while the whole range is admitted.
    rec.HasDosTime = false;
    rec.Time = 0;
    EXPECT_FALSE(range.Passes(rec));
    EXPECT_TRUE(any.Passes(rec));
}

// --- search --------------------------------------------------------------------------------------------------

std::set<std::wstring> Found(const std::wstring& pattern, DWORD attr) {
    std::set<std::wstring> names;
    TFileSearch search(pattern, attr);
    TSearchRec rec;
    while (search.Next(rec))
        if (rec.Name != L"." && rec.Name != L"..")
            names.insert(rec.Name);
    return names;
}

TEST(FileSearch, AdmitsHiddenSystemAndDirectoriesOnlyWhenAsked) {
    testenv::TempDir dir(L"dvsearch");
    testenv::WriteFileBytes(dir / L"plain.ps", "12345");
    testenv::WriteFileBytes(dir / L"ro.ps", "1");
    testenv::WriteFileBytes(dir / L"hid.ps", "1");
    testenv::WriteFileBytes(dir / L"sys.ps", "1");
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    ASSERT_TRUE(SetFileAttributesW((dir / L"ro.ps").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW((dir / L"hid.ps").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW((dir / L"sys.ps").c_str(), FILE_ATTRIBUTE_SYSTEM));
    std::wstring all = (dir / L"*").wstring();

    EXPECT_EQ(Found(all, 0), (std::set<std::wstring>{L"plain.ps", L"ro.ps"}));
    EXPECT_EQ(Found(all, FILE_ATTRIBUTE_HIDDEN), (std::set<std::wstring>{L"plain.ps", L"ro.ps", L"hid.ps"}));
    EXPECT_EQ(Found(all, 22), (std::set<std::wstring>{L"plain.ps", L"ro.ps", L"hid.ps", L"sys.ps", L"sub"}));
    EXPECT_EQ(Found(all, 55), Found(all, 22));
    EXPECT_TRUE(Found((dir / L"none*").wstring(), 63).empty());

    TSearchRec rec;
    ASSERT_TRUE(FindFirstEntry((dir / L"plain.ps").wstring(), 63, rec));
    EXPECT_EQ(rec.Size, 5);
    EXPECT_TRUE(rec.HasDosTime);
    EXPECT_EQ(GetFileSize64((dir / L"plain.ps").wstring()), 5);
    EXPECT_EQ(GetFileSize64((dir / L"gone.ps").wstring()), -1);
    SetFileAttributesW((dir / L"ro.ps").c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
