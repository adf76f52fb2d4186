#include "app/main/LanguageTexts.h"

#include "win/FileSystem.h"
#include "win/Handles.h"

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kDeutschFile[] = L"Deutsch.plf";
constexpr wchar_t kEnglishFile[] = L"English.plf";

// The file's bytes; none when it cannot be read (every key then keeps its text, as with an empty file).
std::string ReadLanguageFile(const std::filesystem::path& file) {
    const win::UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!handle) {
        return bytes;
    }
    char chunk[64 * 1024];
    DWORD got = 0;
    while (ReadFile(handle.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

} // namespace

LanguageSelection ChooseLanguage(std::wstring_view languageChoice, const std::filesystem::path& programFolder) {
    LanguageSelection result;
    const auto deutschFile = programFolder / kDeutschFile;
    const auto englishFile = programFolder / kEnglishFile;
    result.DeutschVisible = FileExists(deutschFile);
    result.EnglishVisible = FileExists(englishFile);

    // Exact comparison on purpose: "english" or "ENGLISH" keep the design state (German).
    if (languageChoice == L"English") {
        result.DeutschChecked = false;
        result.EnglishChecked = true;
    }

    if (result.DeutschChecked) {
        if (result.DeutschVisible) {
            result.File = deutschFile;
        } else if (result.EnglishVisible) {
            result.File = englishFile;
            result.DeutschChecked = false;
            result.EnglishChecked = true;
        }
    } else if (result.EnglishVisible) {
        result.File = englishFile;
    } else if (result.DeutschVisible) {
        result.File = deutschFile;
        result.DeutschChecked = true;
        result.EnglishChecked = false;
    }
    result.NoLanguageFile = result.File.empty();
    return result;
}

void LoadLanguageFile(LanguageTexts& texts, const std::filesystem::path& languageFile) {
    if (!languageFile.empty()) {
        texts.Load(ReadLanguageFile(languageFile));
    }
}

LanguageTexts& Texts() {
    static LanguageTexts texts;
    return texts;
}
