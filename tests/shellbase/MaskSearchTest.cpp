// File mask lists: building, matching with backtracking, names without extension, and case.
#include "components/MaskSearch.h"

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const wchar_t* maskText;
    const wchar_t* name;
    bool matches;
};

std::ostream& operator<<(std::ostream& out, const MaskCase& c) {
    auto narrow = [](const wchar_t* w) { return std::string(w, w + wcslen(w)); };
    return out << '"' << narrow(c.maskText) << "\" vs \"" << narrow(c.name) << '"';
}

class MaskListMatching : public testing::TestWithParam<MaskCase> {};

} // namespace

TEST_P(MaskListMatching, AsAUserExpects) {
    TMaskList list;
    BuildMaskList(GetParam().maskText, list);
    EXPECT_EQ(MatchesMaskList(GetParam().name, list), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MaskListMatching,
    testing::Values(
        // empty text: every name
        MaskCase{L"", L"anything.txt", true}, MaskCase{L"", L"noext", true},
        // several masks, case ignored on both sides
        MaskCase{L"*.PS;*.prn", L"a.ps", true}, MaskCase{L"*.PS;*.prn", L"B.PRN", true},
        MaskCase{L"*.PS;*.prn", L"c.Prn", true}, MaskCase{L"*.PS;*.prn", L"d.txt", false},
        MaskCase{L"*.ps", L"\u00C4RGER.PS", true}, MaskCase{L"\u00E4*.ps", L"\u00C4rger.ps", true},
        // names without extension
        MaskCase{L"*.*", L"readme", true}, MaskCase{L"*.", L"readme", true}, MaskCase{L"*.", L"readme.txt", false},
        MaskCase{L"a?c", L"abc", true}, MaskCase{L"a?c", L"ac", false}, MaskCase{L"a?c", L"abbc", false},
        MaskCase{L"read*", L"readme", true}, MaskCase{L"readme", L"README", true}, MaskCase{L"*.ps", L"readme", false},
        // '?' takes exactly one character
        MaskCase{L"*?", L"x", true}, MaskCase{L"??.ps", L"ab.ps", true}, MaskCase{L"??.ps", L"a.ps", false},
        // backtracking: a later occurrence is tried when an earlier one fails
        MaskCase{L"*a*c", L"abcbc", true}, MaskCase{L"*ab*x", L"abyabx", true}, MaskCase{L"*ab?x", L"abyabx", false},
        MaskCase{L"*.p?", L"x.pdf.ps", true}, MaskCase{L"*.ps", L"a.ps.ps", true}, MaskCase{L"*ab?x", L"abyabzx", true},
        MaskCase{L"a*b*c", L"aXbYbZc", true}, MaskCase{L"a*b*c", L"aXbYbZ", false},
        // blanks belong to the mask; two separators in a row make a mask that matches nothing
        MaskCase{L" *.ps", L"a.ps", false}, MaskCase{L"*.ps; *.prn", L"a.prn", false}, MaskCase{L";;", L"a.ps", false},
        MaskCase{L"*.ps;;", L"a.ps", true}));

TEST(MaskSearch, BuildMaskListLowerCasesSplitsAndSorts) {
    TMaskList list;
    BuildMaskList(L"*.PS;*.prn;A?C", list);
    EXPECT_EQ(list, (TMaskList{L"*.prn", L"*.ps", L"a?c"}));
    BuildMaskList(L"*.ps;", list); // the old contents go
    EXPECT_EQ(list, (TMaskList{L"*.ps"}));
    BuildMaskList(L"", list);
    EXPECT_EQ(list, (TMaskList{L"*"}));
    BuildMaskList(L" *.ps", list);
    EXPECT_EQ(list, (TMaskList{L" *.ps"}));
}

TEST(MaskSearch, NoListOrAnEmptyListPassesEverything) {
    EXPECT_TRUE(MatchesMaskList(L"x.txt", nullptr));
    EXPECT_TRUE(MatchesMaskList(L"x.txt", TMaskList{}));
}

TEST(MaskSearch, MatchesMaskComparesExactly) {
    struct Case {
        const wchar_t* name;
        const wchar_t* mask;
        bool matches;
    };
    for (const Case& c :
         {Case{L"abc", L"abc", true}, Case{L"ABC", L"abc", false}, Case{L"abc", L"", false}, Case{L"", L"", false},
          Case{L"", L"*", true}, Case{L"", L"*?", false}, Case{L"a.b", L"*.*", true}, Case{L"ab", L"*.*", false},
          Case{L"abc", L"*", true}, Case{L"abc", L"a*", true}, Case{L"abc", L"*c", true}, Case{L"abc", L"*b", false},
          Case{L"abc", L"???", true}, Case{L"abc", L"????", false}}) {
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches)
            << std::string(c.name, c.name + wcslen(c.name)) << " / " << std::string(c.mask, c.mask + wcslen(c.mask));
    }
}
