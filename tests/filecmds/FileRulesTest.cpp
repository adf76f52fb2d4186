// The window-free rules of the main window's file commands: extensions, quoting, the names that only open, the
// new-folder warning and the registry values of the file-type registration.
#include "app/main/Ostrel_FileCommands.h"
#include "core/TextUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(FileRules, UpperFileExtTakesTheLastDotOfTheNameOnly) {
    const struct {
        const wchar_t* path;
        const wchar_t* ext;
    } cases[] = {
        {L"C:\\IN\\bericht.pdf", L".PDF"},
        {L"C:\\IN\\bericht.Pdf", L".PDF"},
        {L"C:\\IN\\bericht.ps", L".PS"},
        {L"C:\\IN\\archiv.tar.gz", L".GZ"},
        {L"C:\\IN.alt\\ohne", L""},
        {L"C:\\IN\\ohne", L""},
        {L"name.", L"."},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(UpperFileExt(c.path), c.ext);
    }
}

TEST(FileRules, FileNamePartAndQuoting) {
    EXPECT_EQ(FileNamePart(L"C:\\Programme\\Editor\\ed.exe"), L"ed.exe");
    EXPECT_EQ(FileNamePart(L"notepad.exe"), L"notepad.exe");
    EXPECT_EQ(FileNamePart(L"C:ed.exe"), L"ed.exe");
    EXPECT_EQ(Quoted(L"C:\\A B\\c.pdf"), L"\"C:\\A B\\c.pdf\"");
}

TEST(FileRules, ProgramsPagesAndMediaOnlyOpen) {
    for (const wchar_t* ext : {L".COM", L".EXE", L".BAT", L".CMD", L".HTM", L".MP3", L".WAV", L".MOV", L".XML"}) {
        EXPECT_TRUE(OpensWithoutConversion(ext)) << Narrow(ext);
    }
    for (const wchar_t* ext : {L".PS", L".PRN", L".PDF", L".HTML", L".TXT", L"", L".xml"}) {
        EXPECT_FALSE(OpensWithoutConversion(ext)) << Narrow(ext);
    }
}

TEST(FileRules, NewFolderWarningNamesTheFolder) {
    EXPECT_EQ(FolderNotCreatedText(L"Neu"), L"Verzeichnis: [Neu] konnte nicht angelegt werden!");
}

TEST(FileRules, RegistrationKeysKeepTheExtensionsCaseAndQuoteTheCommandProgram) {
    const std::wstring program = L"C:\\Program Files\\PS Viewer\\view.exe";
    const auto keys = FileTypeKeys(L"ps", program);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].Key, L".ps");
    EXPECT_EQ(keys[0].Value, L"psfile");
    EXPECT_EQ(keys[1].Key, L"psfile");
    EXPECT_FALSE(keys[1].HasValue);
    EXPECT_EQ(keys[2].Key, L"psfile\\DefaultIcon");
    EXPECT_EQ(keys[2].Value, program + L",0");
    EXPECT_EQ(keys[3].Key, L"psfile\\shell\\open\\command");
    // Quoted, so the shell does not take "C:\Program" for the program.
    EXPECT_EQ(keys[3].Value, L"\"C:\\Program Files\\PS Viewer\\view.exe\" \"%1\"");

    const auto prn = FileTypeKeys(L"PRN", L"C:\\v.exe");
    EXPECT_EQ(prn[0].Key, L".PRN");
    EXPECT_EQ(prn[0].Value, L"PRNfile");
}

} // namespace
