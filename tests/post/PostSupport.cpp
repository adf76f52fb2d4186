#include "PostSupport.h"

#include "support/GuiDriver.h"
#include "support/MailDrop.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace posttest {

namespace {

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) {
        return {};
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

} // namespace

std::string Mail::Header(const std::string& name) const {
    return testenv::MailHeader(Raw, name);
}

std::string Mail::AttachmentName() const {
    return testenv::MailAttachmentName(Raw);
}

std::string Mail::AttachmentBytes() const {
    return testenv::MailAttachmentBytes(Raw);
}

std::vector<Mail> DroppedMails(const fs::path& drop) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(drop)) {
        found.push_back(e.path());
    }
    std::sort(found.begin(), found.end());
    std::vector<Mail> mails;
    for (const auto& file : found) {
        mails.push_back({testenv::ReadFileBytes(file)});
    }
    return mails;
}

World::World(bool withPdftk) {
    if (withPdftk) {
        fs::copy_file(testenv::BinaryDir() / L"platform" / L"pdftk" / L"pdftk.exe.so", program / L"pdftk.exe");
    }
    SetEnvironmentVariableW(L"OSTREL_MAIL_DROP", drop.path().c_str());
    SetEnvironmentVariableW(L"OSTREL_MAPI_RESULT", nullptr);
    SetEnvironmentVariableW(L"OSTREL_READER_LOG", (readers / L"readers.txt").c_str());
    main.LanguageChoice = L"English";
    main.ReaderProgram = (testenv::BinaryDir() / L"tests" / L"post" / L"reader_stub.exe").wstring();
    dialog.SendMail = 1; // everything off until a test switches it on
    dialog.DeleteInputs = 1;
    dialog.ShowMailDialog = false;
    dialog.MailName = L"Print Room";
    dialog.MailAddress = L"office@example.org";
}

World::~World() {
    SetEnvironmentVariableW(L"OSTREL_MAIL_DROP", nullptr);
    SetEnvironmentVariableW(L"OSTREL_MAPI_RESULT", nullptr);
    SetEnvironmentVariableW(L"OSTREL_READER_LOG", nullptr);
}

ConvertedFile World::Converted(const std::wstring& inputName, const std::wstring& outputName, int outputType,
                               const std::string& outputBytes) {
    testenv::WriteFileBytes(input / inputName, "%!PS-Adobe-3.0\r\nshowpage\r\n");
    testenv::WriteFileBytes(output / outputName, outputBytes);
    ConvertedFile file;
    file.inputFile = (input / inputName).wstring();
    file.outputPath = (output / outputName).wstring();
    file.currentOutputName = outputName;
    file.outDir = output.path().wstring() + L"\\";
    file.outputType = outputType;
    return file;
}

PostProcessing World::MakePostProcessing() {
    ConversionLog log(LogFile(), [](std::wstring_view key) { return L"<" + std::wstring(key) + L">"; });
    return PostProcessing(window, dialog, main, std::move(log), program.path().wstring());
}

std::string World::LogText() const {
    return fs::exists(LogFile()) ? testenv::ReadFileBytes(LogFile()) : std::string();
}

std::vector<std::wstring> World::ReaderCommandLines() const {
    std::vector<std::wstring> lines;
    const fs::path file = readers / L"readers.txt";
    if (!fs::exists(file)) {
        return lines;
    }
    const std::string text = testenv::ReadFileBytes(file);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(FromUtf8(text.substr(start, end - start)));
    }
    return lines;
}

bool World::WaitForReaders(std::size_t count) const {
    return guidriver::PumpUntil([&] { return ReaderCommandLines().size() >= count; }, 20000);
}

HeldOpen::HeldOpen(const fs::path& file)
    : handle_(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

HeldOpen::~HeldOpen() {
    if (Held()) {
        CloseHandle(handle_);
    }
}

} // namespace posttest
