// The language choice with its fallbacks, the burst over a language file, and the direct-text table.
#include "app/main/LanguageTexts.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// ---- Language choice

struct ChoiceCase {
    const char* name;
    bool deutschFile;
    bool englishFile;
    const wchar_t* choice;
    const wchar_t* expectedFile; // nullptr: no language file
    bool deutschChecked;
};

class LanguageChoiceRule : public testing::TestWithParam<ChoiceCase> {};

TEST_P(LanguageChoiceRule, PicksFileAndCheckMarks) {
    const ChoiceCase& c = GetParam();
    testenv::TempDir folder(L"lang");
    if (c.deutschFile) {
        testenv::WriteFileBytes(folder / L"Deutsch.plf", "[Hauptform]\r\nOK=Ja\r\n");
    }
    if (c.englishFile) {
        testenv::WriteFileBytes(folder / L"English.plf", "[Hauptform]\r\nOK=Yes\r\n");
    }
    const LanguageSelection selection = ChooseLanguage(c.choice, folder.path());

    EXPECT_EQ(selection.DeutschVisible, c.deutschFile);
    EXPECT_EQ(selection.EnglishVisible, c.englishFile);
    EXPECT_EQ(selection.DeutschChecked, c.deutschChecked);
    EXPECT_EQ(selection.EnglishChecked, !c.deutschChecked); // radio items: exactly one checked
    if (c.expectedFile == nullptr) {
        EXPECT_TRUE(selection.NoLanguageFile);
        EXPECT_TRUE(selection.File.empty());
    } else {
        EXPECT_FALSE(selection.NoLanguageFile);
        EXPECT_EQ(selection.File, folder / c.expectedFile);
    }
}

const ChoiceCase kChoiceCases[] = {
    {"BothGerman", true, true, L"Deutsch", L"Deutsch.plf", true},
    {"BothEnglish", true, true, L"English", L"English.plf", false},
    {"BothEmptyChoiceKeepsGerman", true, true, L"", L"Deutsch.plf", true},
    {"BothUpperCaseEnglishIsNotEnglish", true, true, L"ENGLISH", L"Deutsch.plf", true},
    {"BothLowerCaseEnglishIsNotEnglish", true, true, L"english", L"Deutsch.plf", true},
    {"BothLowerCaseDeutschKeepsDesignState", true, true, L"deutsch", L"Deutsch.plf", true},
    {"OnlyEnglishWhenGermanChosen", false, true, L"Deutsch", L"English.plf", false},
    {"OnlyEnglishWithLowerCaseDeutsch", false, true, L"deutsch", L"English.plf", false},
    {"OnlyGermanWhenEnglishChosen", true, false, L"English", L"Deutsch.plf", true},
    {"NeitherWithGerman", false, false, L"Deutsch", nullptr, true},
    {"NeitherWithEnglish", false, false, L"English", nullptr, false},
};

INSTANTIATE_TEST_SUITE_P(Lang, LanguageChoiceRule, testing::ValuesIn(kChoiceCases),
                         [](const testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(LanguageChoice, AFolderNamedLikeTheFileIsNoLanguageFile) {
    testenv::TempDir folder(L"lang");
    std::filesystem::create_directory(folder / L"Deutsch.plf");
    const LanguageSelection selection = ChooseLanguage(L"Deutsch", folder.path());
    EXPECT_TRUE(selection.NoLanguageFile);
    EXPECT_FALSE(selection.DeutschVisible);
}

// ---- The burst

// A small language file in the stored byte format: cp1252 text with CR LF.
std::filesystem::path WriteLanguageFile(const testenv::TempDir& folder, const std::string& body) {
    const auto file = folder / L"Deutsch.plf";
    testenv::WriteFileBytes(file, body);
    return file;
}

TEST(LanguageBurst, ReadsTextsAndLeavesMissingKeysEmpty) {
    testenv::TempDir folder(L"lang");
    const auto file = WriteLanguageFile(folder, "[Hauptform]\r\nMESSAGE2=Gleiche Verzeichnisse!\r\nPFA=Ostrel\r\n"
                                                "[Updateform]\r\nUPD8=Zur Downloadseite\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"MESSAGE2"), L"Gleiche Verzeichnisse!");
    EXPECT_EQ(texts.Get(L"PFA"), L"Ostrel");
    EXPECT_EQ(texts.Get(L"UPD8"), L"Zur Downloadseite");
    EXPECT_EQ(texts.Get(L"MESSAGE3"), L"");
    EXPECT_EQ(texts.Get(L"UPD1"), L"");
    EXPECT_EQ(texts.Get(L"NOSUCHKEY"), L"");
}

TEST(LanguageBurst, KeysAreReadFromTheirOwnSectionOnly) {
    testenv::TempDir folder(L"lang");
    // UPD8 belongs to [Updateform]; written under [Hauptform] the program must not find it.
    const auto file = WriteLanguageFile(folder, "[Hauptform]\r\nUPD8=falsch\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"UPD8"), L"");
}

TEST(LanguageBurst, UmlautsComeThrough) {
    testenv::TempDir folder(L"lang");
    const auto file = WriteLanguageFile(folder, "[Men\xFC]\r\nMAC5=Schriftart \xE4ndern...\r\n"
                                                "[Einstellungenform]\r\nEIN8=Eingabedateien l\xF6schen?\r\n"
                                                "[Hauptform]\r\nDI1FC=Beschreibung \xFC\x62\x65rpr\xFC\x66\x65n\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"MAC5"), L"Schriftart \u00e4ndern...");
    EXPECT_EQ(texts.Get(L"EIN8"), L"Eingabedateien l\u00f6schen?");
    EXPECT_EQ(texts.Get(L"DI1FC"), L"Beschreibung \u00fcberpr\u00fcfen");
}

TEST(LanguageBurst, MissingMschFallsBackToMsc) {
    testenv::TempDir folder(L"lang");
    const auto file = WriteLanguageFile(folder, "[Men\xFC]\r\nMSC=&Sprache\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"MSC"), L"&Sprache");
    EXPECT_EQ(texts.Get(L"MSCH"), L"&Sprache");
    // Only MSCH has that fallback: the other hints stay empty.
    EXPECT_EQ(texts.Get(L"MSC1H"), L"");
}

TEST(LanguageBurst, PresentMschWinsOverMsc) {
    testenv::TempDir folder(L"lang");
    const auto file = WriteLanguageFile(folder, "[Men\xFC]\r\nMSC=&Sprache\r\nMSCH=Sprache w\xE4hlen\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"MSCH"), L"Sprache w\u00e4hlen");
}

TEST(LanguageBurst, NamesMatchWithoutRegardToCaseAndQuotesKeepBlanks) {
    testenv::TempDir folder(L"lang");
    const auto file = WriteLanguageFile(folder, "[HAUPTFORM]\r\neig1=Eigene Dateien\r\n"
                                                "MESSAGE6=\" - Eingabedatei: \"\r\n"
                                                "[men\xFC]\r\nmdc=&Datei\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"EIG1"), L"Eigene Dateien"); // read under the spelling "HauptForm"
    EXPECT_EQ(texts.Get(L"MDC"), L"&Datei");
    EXPECT_EQ(texts.Get(L"MESSAGE6"), L" - Eingabedatei: ");
}

TEST(LanguageBurst, LongTextsAreReadWhole) {
    testenv::TempDir folder(L"lang");
    const std::string longText(5000, 'x');
    const auto file = WriteLanguageFile(folder, "[Anleitungsform]\r\nAT1=" + longText + "\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    EXPECT_EQ(texts.Get(L"AT1"), std::wstring(5000, L'x'));
}

TEST(LanguageBurst, NoLanguageFileLeavesEveryTextEmpty) {
    LanguageTexts texts;
    LoadLanguageFile(texts, {});
    for (const LanguageKey& entry : LanguageKeys()) {
        EXPECT_EQ(texts.Get(entry.Key), L"") << Narrow(entry.Key);
    }
}

TEST(LanguageBurst, ProgramWideTextsAreOneObject) {
    EXPECT_EQ(&Texts(), &Texts());
}

// ---- Key and direct-text tables

TEST(LanguageTables, KeysAreUniqueAndInTheirSections) {
    std::set<std::wstring> seen;
    std::set<std::wstring> sections;
    for (const LanguageKey& entry : LanguageKeys()) {
        EXPECT_TRUE(seen.insert(entry.Key).second) << "duplicate " << Narrow(entry.Key);
        sections.insert(entry.Section);
    }
    EXPECT_EQ(seen.size(), LanguageKeys().size());
    const std::set<std::wstring> expected = {
        L"Hauptform",   L"HauptForm",  L"Einstellungenform", L"Verschluesselungsform", L"Infoform", L"Anleitungsform",
        L"Auswahlform", L"Updateform", L"Men\u00fc"};
    EXPECT_EQ(sections, expected);
    // The first and last keys of the burst, and the spelling of the two keys read under "HauptForm".
    EXPECT_STREQ(LanguageKeys().front().Key, L"TBS");
    EXPECT_STREQ(LanguageKeys().back().Key, L"TRH");
    for (const LanguageKey& entry : LanguageKeys()) {
        if (std::wstring_view(entry.Key) == L"EIG1" || std::wstring_view(entry.Key) == L"ARB1") {
            EXPECT_STREQ(entry.Section, L"HauptForm");
        }
    }
}

TEST(LanguageTables, EveryDirectTextNamesAKnownKey) {
    std::set<std::wstring> keys;
    for (const LanguageKey& entry : LanguageKeys()) {
        keys.insert(entry.Key);
    }
    std::set<std::wstring> controls;
    for (const LanguageDirectText& entry : LanguageDirectTexts()) {
        EXPECT_TRUE(controls.insert(entry.Control).second) << "control twice: " << Narrow(entry.Control);
        EXPECT_TRUE(entry.CaptionKey != nullptr || entry.HintKey != nullptr) << Narrow(entry.Control);
        if (entry.CaptionKey != nullptr) {
            EXPECT_TRUE(keys.count(entry.CaptionKey)) << Narrow(entry.CaptionKey);
        }
        if (entry.HintKey != nullptr) {
            EXPECT_TRUE(keys.count(entry.HintKey)) << Narrow(entry.HintKey);
        }
    }
    // Every key marked as direct is applied to some control.
    std::set<std::wstring> applied;
    for (const LanguageDirectText& entry : LanguageDirectTexts()) {
        if (entry.CaptionKey != nullptr) {
            applied.insert(entry.CaptionKey);
        }
        if (entry.HintKey != nullptr) {
            applied.insert(entry.HintKey);
        }
    }
    for (const LanguageKey& entry : LanguageKeys()) {
        if (entry.Direct) {
            EXPECT_TRUE(applied.count(entry.Key)) << "direct key never applied: " << Narrow(entry.Key);
        }
    }
}

const LanguageDirectText* FindDirect(std::wstring_view control) {
    for (const LanguageDirectText& entry : LanguageDirectTexts()) {
        if (control == entry.Control) {
            return &entry;
        }
    }
    return nullptr;
}

TEST(LanguageTables, FunctionKeyCaptionsCarryTheirPrefix) {
    testenv::TempDir folder(L"lang");
    const auto file = WriteLanguageFile(folder, "[Men\xFC]\r\nMDC1=Umbenennen\r\nMDC1H=Datei umbenennen\r\n"
                                                "NeuOrd=Neuer Ordner\r\n"
                                                "[Einstellungenform]\r\nEI61=PDF anzeigen\r\nEI6=PDF zeigen\r\n"
                                                "[Hauptform]\r\nF8LOESCH=F8 L\xF6schen\r\n");
    LanguageTexts texts;
    LoadLanguageFile(texts, file);
    struct Expect {
        const wchar_t* control;
        const wchar_t* caption;
        const wchar_t* hint;
    };
    const Expect cases[] = {
        {L"F2Bt", L"F2 Umbenennen", L"Datei umbenennen"},
        {L"Umbenennen1", L"Umbenennen", L"Datei umbenennen"},
        {L"F7Bt", L"F7 Neuer Ordner", L"Neuer Ordner"},
        {L"AnzeigenBt", L"F11 PDF anzeigen", L"PDF zeigen"},
        {L"F8Bt", L"F8 L\u00f6schen", L""}, // its hint MDC7H is missing from this file
        {L"EinLabel", L"", L""},
    };
    for (const Expect& c : cases) {
        const LanguageDirectText* entry = FindDirect(c.control);
        ASSERT_NE(entry, nullptr) << Narrow(c.control);
        EXPECT_EQ(texts.CaptionOf(*entry), c.caption) << Narrow(c.control);
        EXPECT_EQ(texts.HintOf(*entry), c.hint) << Narrow(c.control);
    }
    // A control that only takes a hint has no caption key, and one that only takes a caption has no hint key.
    EXPECT_EQ(FindDirect(L"Memo1")->CaptionKey, nullptr);
    EXPECT_EQ(FindDirect(L"Anderes")->HintKey, nullptr);
    EXPECT_STREQ(FindDirect(L"OpenDialog1")->CaptionKey, L"VERKN3");
}

} // namespace
