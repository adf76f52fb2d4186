// The version comparison of the update check.
#include "core/UpdateVersion.h"

#include <gtest/gtest.h>

TEST(FileVersionTest, ParsesExactlyFourNumbers) {
    struct Case {
        const wchar_t* Text;
        bool Valid;
        std::array<unsigned long, 4> Parts;
    };
    const Case cases[] = {
        {L"1.2.3.4", true, {1, 2, 3, 4}},
        {L"0.0.0.0", true, {0, 0, 0, 0}},
        {L"10.20.300.65535", true, {10, 20, 300, 65535}},
        {L"1.2.3", false, {}},
        {L"1.2.3.4.5", false, {}},
        {L"1..3.4", false, {}},
        {L"1.2.3.", false, {}},
        {L".1.2.3", false, {}},
        {L"1.2.3.x", false, {}},
        {L" 1.2.3.4", false, {}},
        {L"", false, {}},
        {L"1.2.3.123456", false, {}},
        {L"1,2,3,4", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        const auto parsed = ParseFileVersion(c.Text);
        ASSERT_EQ(parsed.has_value(), c.Valid);
        if (c.Valid) {
            EXPECT_EQ(*parsed, c.Parts);
        }
    }
}

TEST(FileVersionTest, OnlyAHigherServerVersionIsNews) {
    struct Case {
        const wchar_t* Newest;
        const wchar_t* Own;
        UpdateStatus Expected;
    };
    const Case cases[] = {
        {L"1.2.3.4", L"1.2.3.4", UpdateStatus::UPD3},  // equal
        {L"1.2.3.5", L"1.2.3.4", UpdateStatus::UPD4},  // newer in the last number
        {L"2.0.0.0", L"1.9.9.9", UpdateStatus::UPD4},  // newer in the first
        {L"1.10.0.0", L"1.9.0.0", UpdateStatus::UPD4}, // numbers, not text
        {L"1.2.3.3", L"1.2.3.4", UpdateStatus::UPD3},  // older: nothing to fetch
        {L"1.9.0.0", L"1.10.0.0", UpdateStatus::UPD3},
        {L"01.2.3.4", L"1.2.3.4", UpdateStatus::UPD3}, // the same number written otherwise
        {L"1.2.x", L"1.2.3.4", UpdateStatus::UPD4},    // no version: compared as text
        {L"1.2.x", L"1.2.x", UpdateStatus::UPD3},
        {L"1.2.3.4", L"", UpdateStatus::UPD4}, // program without a version resource
        {L"", L"", UpdateStatus::UPD3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.Newest) + L" vs " + c.Own);
        EXPECT_EQ(CompareVersions(c.Newest, c.Own), c.Expected);
    }
}
