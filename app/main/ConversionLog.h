#pragma once
// The conversion log "OstrelLog.txt" in the program folder: plain text for the user, appended block by block and
// never read back. Every line is the local date and time (short date, a blank, long time) followed by its text;
// lines end in CR LF and are stored in the ANSI code page. The file is opened for each block and closed again.
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised when the log cannot be created or written; the running pass ends on it.
class LogWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the conversion block of one file repeats. The device switches come in their display form: passwords are
// shown as "***" there, never in clear text.
struct ConversionLogEntry {
    std::wstring deviceSwitches;
    std::wstring pdfSettingsOption;
    std::wstring resolutionOption;
    std::wstring compatLevelOption;
    bool levelChangeAllowed = true; // the compatibility option is written only then
    std::wstring inputFile;         // full input path
    std::wstring outputPath;        // as named for Ghostscript (a page pattern is looked up as it stands)
    bool jpegPageFiles = false;     // JPEG with one file per page: the output size is preceded by "> "
};

class ConversionLog {
public:
    using TextLookup = std::function<std::wstring(std::wstring_view key)>;

    // Texts come from the language file (section Hauptform) through `texts`; the default is the program's texts.
    explicit ConversionLog(std::filesystem::path file, TextLookup texts = {});

    // The folder of the program file + "OstrelLog.txt".
    static std::filesystem::path DefaultFile();

    const std::filesystem::path& File() const { return file_; }

    // MESSAGE5; the switches; MESSAGE6 + input; MESSAGE7 + input size; MESSAGE8 + output size.
    void WriteConversionBlock(const ConversionLogEntry& entry) const;
    // One line for a conversion that did not produce its output: the input and what went wrong.
    void WriteFailureLine(const std::wstring& failureText) const;
    // " - " + program folder + "pdftk.exe ..."; MESSAGE51; MESSAGE8 + size of the stamped file.
    void WriteWatermarkBlock(const std::wstring& programFolder, const std::wstring& stampedFile) const;
    // The text of the last mail result (nothing for an unknown one), then MESSAGE22.
    void WriteMailBlock(int mailResult) const;
    // Other writers of the same file (merging): each text gets the date-time prefix.
    void AppendLines(const std::vector<std::wstring>& texts) const;

    // Runs writes of this log without letting a failure out, so that a log that cannot be written never stops a
    // conversion. Only the first failure of an outage goes to `report`; a write that works again ends the outage.
    // Copies of a log share the outage. Returns whether the writes worked.
    bool WriteGuarded(const std::function<void(const ConversionLog&)>& write,
                      const std::function<void(const LogWriteError&)>& report) const;

private:
    std::wstring Text(std::wstring_view key) const;

    std::filesystem::path file_;
    TextLookup texts_;
    std::shared_ptr<bool> failing_ = std::make_shared<bool>(false);
};

// The date-time prefix of a log line: the short date, a blank and the long time of the local time, now.
std::wstring LogTimestamp();
// The size of the file of that exact name divided by 1024 (remainder dropped) + " KByte"; a missing file gives 0.
std::wstring SizeInKByte(const std::wstring& path);
// The language-file key for a Simple MAPI result, empty for a result that gets no line.
std::wstring_view MailResultKey(int mailResult);
