// The committed language files against the program's key table: every key present, no empty text, the byte
// format the profile functions expect (Windows-1252, CR LF), and the separators the log and box texts rely on.
#include "app/main/LanguageTexts.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <sstream>

namespace {

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

// Bytes of a cp1252 file widened one by one for the ASCII part; only names (ASCII or "Menü") are compared here.
std::wstring Widen1252(const std::string& bytes) {
    std::wstring out;
    for (unsigned char c : bytes) {
        out += static_cast<wchar_t>(c); // cp1252 and Latin-1 agree on 0xA0-0xFF, which covers the umlauts
    }
    return out;
}

// A plain reading of the INI layout, independent of the profile functions: section (lower case) -> key -> value.
using IniMap = std::map<std::wstring, std::map<std::wstring, std::wstring>>;

IniMap ParseIni(const std::string& bytes) {
    IniMap result;
    std::wstring section;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = Lower(Widen1252(line.substr(1, line.size() - 2)));
            result[section];
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            ADD_FAILURE() << "line without '=': " << line;
            continue;
        }
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        const std::wstring key = Widen1252(line.substr(0, equals));
        EXPECT_EQ(result[section].count(key), 0u) << "duplicate key " << line;
        result[section][key] = Widen1252(value);
    }
    return result;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class CommittedLanguageFile : public testing::TestWithParam<const wchar_t*> {
protected:
    std::filesystem::path File() const { return testenv::SourceDir() / L"lang" / GetParam(); }
};

TEST_P(CommittedLanguageFile, DefinesEveryKeyOfItsSectionAndNoOther) {
    const IniMap ini = ParseIni(testenv::ReadFileBytes(File()));
    std::set<std::pair<std::wstring, std::wstring>> expected;
    for (const LanguageKey& entry : LanguageKeys()) {
        const std::wstring section = Lower(entry.Section);
        expected.insert({section, entry.Key});
        const auto found = ini.find(section);
        ASSERT_NE(found, ini.end()) << "section missing: " << Narrow(entry.Section);
        const auto key = found->second.find(entry.Key);
        ASSERT_NE(key, found->second.end()) << Narrow(entry.Section) << " lacks " << Narrow(entry.Key);
        EXPECT_FALSE(key->second.empty()) << Narrow(entry.Key) << " is empty";
    }
    for (const auto& [section, keys] : ini) {
        for (const auto& [key, value] : keys) {
            EXPECT_TRUE(expected.count({section, key})) << "key the program never reads: " << Narrow(key);
        }
    }
}

TEST_P(CommittedLanguageFile, IsWindows1252WithCrLf) {
    const std::string bytes = testenv::ReadFileBytes(File());
    ASSERT_FALSE(bytes.empty());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        // Bytes cp1252 leaves undefined, and the lead bytes of UTF-8 encoded Latin-1 letters ("Ã¼" for "ü").
        EXPECT_TRUE(c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) << "undefined byte at " << i;
        if ((c == 0xC2 || c == 0xC3) && i + 1 < bytes.size()) {
            const auto next = static_cast<unsigned char>(bytes[i + 1]);
            EXPECT_FALSE(next >= 0x80 && next <= 0xBF) << "UTF-8 sequence at " << i;
        }
        if (c == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
        }
        if (c == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    EXPECT_EQ(bytes.substr(0, 3) == "\xEF\xBB\xBF", false) << "no byte-order mark";
}

TEST_P(CommittedLanguageFile, ReadsBackCompleteThroughTheBurst) {
    LanguageTexts texts;
    LoadLanguageFile(texts, File());
    for (const LanguageKey& entry : LanguageKeys()) {
        EXPECT_FALSE(texts.Get(entry.Key).empty()) << Narrow(entry.Key);
    }
    // Texts that are followed by a value in the log or a box keep their separator blank (quoted in the file).
    for (const wchar_t* key : {L"MESSAGE6", L"MESSAGE7", L"MESSAGE8", L"MESSAGE25", L"PEC"}) {
        EXPECT_EQ(texts.Get(key).back(), L' ') << Narrow(key);
    }
    // Log texts follow the time stamp directly and bring their own separator; MERGENAME3 follows the file name.
    for (const wchar_t* key : {L"MESSAGE5", L"MESSAGE6", L"MESSAGE21", L"MESSAGE22", L"MESSAGE24", L"MERGENAME3"}) {
        EXPECT_EQ(texts.Get(key).front(), L' ') << Narrow(key);
    }
}

INSTANTIATE_TEST_SUITE_P(Lang, CommittedLanguageFile, testing::Values(L"Deutsch.plf", L"English.plf"));

TEST(CommittedLanguageFiles, GermanUmlautsComeThrough) {
    LanguageTexts texts;
    LoadLanguageFile(texts, testenv::SourceDir() / L"lang" / L"Deutsch.plf");
    EXPECT_EQ(texts.Get(L"DI2L2C"), L"Stichw\u00f6rter:");
    EXPECT_EQ(texts.Get(L"MAC5"), L"Schriftart \u00e4ndern...");
    EXPECT_EQ(texts.Get(L"ZAV1"), L"&Z\u00e4hler vorne");
    EXPECT_EQ(texts.Get(L"E_I10"), L"Verschl\u00fcsselung - erst ab V8.50!");
}

TEST(CommittedLanguageFiles, TheTwoLanguagesDiffer) {
    LanguageTexts german, english;
    LoadLanguageFile(german, testenv::SourceDir() / L"lang" / L"Deutsch.plf");
    LoadLanguageFile(english, testenv::SourceDir() / L"lang" / L"English.plf");
    EXPECT_EQ(german.Get(L"ABBRECHEN"), L"Abbrechen");
    EXPECT_EQ(english.Get(L"ABBRECHEN"), L"Cancel");
    EXPECT_NE(german.Get(L"MESSAGE2"), english.Get(L"MESSAGE2"));
}

} // namespace
