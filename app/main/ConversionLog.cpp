#include "app/main/ConversionLog.h"

#include "app/main/LanguageTexts.h"

#include "win/AnsiText.h"
#include "win/Handles.h"
#include "core/TextEncoding.h"
#include "win/SystemText.h"
#include "win/Trace.h"

#include <windows.h>

namespace {

std::wstring LastErrorText(DWORD error) {
    const std::wstring text = SystemMessage(error);
    return text.empty() ? L"error " + std::to_wstring(error) : text;
}

// The whole block goes out in one appending write, so the lines already in the file are never touched.
void AppendBlock(const std::filesystem::path& file, const std::vector<std::wstring>& texts) {
    std::string bytes;
    for (const std::wstring& text : texts) {
        bytes += win::ToAnsi(LogTimestamp() + text);
        bytes += "\r\n";
    }
    win::UniqueHandle handle(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        throw LogWriteError("cannot open the log " + Utf8FromWide(file.wstring()) + ": " +
                            Utf8FromWide(LastErrorText(GetLastError())));
    }
    DWORD written = 0;
    if (!WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw LogWriteError("cannot write the log " + Utf8FromWide(file.wstring()) + ": " +
                            Utf8FromWide(LastErrorText(GetLastError())));
    }
}

std::wstring LocaleText(bool date) {
    wchar_t buffer[128];
    int n = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 128)
                 : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, 128);
    return n > 0 ? std::wstring(buffer) : std::wstring();
}

} // namespace

ConversionLog::ConversionLog(std::filesystem::path file, TextLookup texts)
    : file_(std::move(file)), texts_(std::move(texts)) {}

std::filesystem::path ConversionLog::DefaultFile() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::filesystem::path(buffer).parent_path() / L"OstrelLog.txt";
}

std::wstring ConversionLog::Text(std::wstring_view key) const {
    return texts_ ? texts_(key) : Texts().Get(key);
}

void ConversionLog::WriteConversionBlock(const ConversionLogEntry& entry) const {
    std::wstring switches = L" - " + entry.deviceSwitches + entry.pdfSettingsOption + entry.resolutionOption;
    if (entry.levelChangeAllowed) {
        switches += entry.compatLevelOption;
    }
    AppendBlock(file_, {
                           Text(L"MESSAGE5"),
                           switches,
                           Text(L"MESSAGE6") + entry.inputFile,
                           Text(L"MESSAGE7") + SizeInKByte(entry.inputFile),
                           Text(L"MESSAGE8") + (entry.jpegPageFiles ? L"> " : L"") + SizeInKByte(entry.outputPath),
                       });
}

void ConversionLog::WriteFailureLine(const std::wstring& failureText) const {
    AppendBlock(file_, {failureText});
}

void ConversionLog::WriteWatermarkBlock(const std::wstring& programFolder, const std::wstring& stampedFile) const {
    AppendBlock(file_, {
                           L" - " + programFolder + L"pdftk.exe ...",
                           Text(L"MESSAGE51"),
                           Text(L"MESSAGE8") + SizeInKByte(stampedFile),
                       });
}

void ConversionLog::WriteMailBlock(int mailResult) const {
    std::vector<std::wstring> lines;
    std::wstring_view key = MailResultKey(mailResult);
    if (!key.empty()) {
        lines.push_back(Text(key));
    }
    lines.push_back(Text(L"MESSAGE22"));
    AppendBlock(file_, lines);
}

bool ConversionLog::WriteGuarded(const std::function<void(const ConversionLog&)>& write,
                                 const std::function<void(const LogWriteError&)>& report) const {
    try {
        write(*this);
    } catch (const LogWriteError& error) {
        win::TraceCaught(L"ConversionLog::WriteGuarded");
        const bool first = !*failing_;
        *failing_ = true;
        if (first && report) {
            report(error);
        }
        return false;
    }
    *failing_ = false;
    return true;
}

void ConversionLog::AppendLines(const std::vector<std::wstring>& texts) const {
    AppendBlock(file_, texts);
}

std::wstring LogTimestamp() {
    return LocaleText(true) + L" " + LocaleText(false);
}

std::wstring SizeInKByte(const std::wstring& path) {
    unsigned long long size = 0;
    WIN32_FIND_DATAW data;
    if (!path.empty() && win::UniqueFind(FindFirstFileW(path.c_str(), &data))) {
        size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return std::to_wstring(size / 1024) + L" KByte";
}

std::wstring_view MailResultKey(int mailResult) {
    switch (mailResult) {
    case 0:
        return L"MESSAGE21";
    case 1:
        return L"MESSAGE1";
    case 2:
        return L"MESSAGE10";
    case 3:
        return L"MESSAGE16";
    case 5:
        return L"MESSAGE15";
    case 9:
        return L"MESSAGE18";
    case 10:
        return L"MESSAGE19";
    case 11:
        return L"MESSAGE12";
    case 12:
        return L"MESSAGE13";
    case 14:
        return L"MESSAGE20";
    case 15:
        return L"MESSAGE14";
    case 18:
        return L"MESSAGE17";
    case 21:
        return L"MESSAGE11";
    default:
        return {};
    }
}
