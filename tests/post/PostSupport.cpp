#include "PostSupport.h"

#include "support/GuiDriver.h"

#include <algorithm>
#include <regex>

namespace fs = std::filesystem;

namespace posttest {

namespace {

std::string Base64Decode(const std::string& text) {
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        std::size_t d = digits.find(c);
        if (d == std::string::npos) {
            continue; // line ends and padding
        }
        value = (value << 6) | static_cast<unsigned>(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

std::size_t Matches(const std::string& text, const std::regex& pattern) {
    return static_cast<std::size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()));
}

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

std::string MakePdf(const std::vector<std::string>& pageTexts, std::size_t padding) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "",
                                        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    std::string kids;
    for (const auto& text : pageTexts) {
        std::string content = "BT /F1 24 Tf 72 700 Td (" + text + ") Tj ET";
        // Drawing operations that change nothing on the page, to give the file a size.
        for (std::size_t i = 0; i < padding / 8; ++i) {
            content += "\nq Q q Q";
        }
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> "
                          ">> /Contents " +
                          std::to_string(objects.size()) + " 0 R >>");
        kids += std::to_string(objects.size()) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageTexts.size()) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        char entry[32];
        snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size());
        xref += entry;
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    std::size_t start = pdf.size();
    pdf += xref + "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(start) + "\n%%EOF\n";
    return pdf;
}

int CountPages(const std::string& pdf) {
    return static_cast<int>(Matches(pdf, std::regex(R"(/Type\s*/Page[^s])")));
}

int CountDrawnForms(const std::string& pdf) {
    return static_cast<int>(Matches(pdf, std::regex(R"(/XObject)")));
}

std::string Mail::Header(const std::string& name) const {
    std::smatch m;
    std::regex line("(^|\r\n)" + name + ": ([^\r\n]*)");
    return std::regex_search(Raw, m, line) ? m[2].str() : "<missing>";
}

std::string Mail::AttachmentName() const {
    std::smatch m;
    return std::regex_search(Raw, m, std::regex("filename=\"([^\"]*)\"")) ? m[1].str() : "<missing>";
}

std::string Mail::AttachmentBytes() const {
    std::size_t start = Raw.find("Content-Transfer-Encoding: base64\r\n\r\n");
    std::size_t end = Raw.rfind("--=_ostrel_mapi_boundary--");
    if (start == std::string::npos || end == std::string::npos) {
        return "<missing>";
    }
    start += 37;
    return Base64Decode(Raw.substr(start, end - start));
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
    dialog.MailRG1 = 1; // everything off until a test switches it on
    dialog.loeschenRG1 = 1;
    dialog.MDCB1 = false;
    dialog.NameEdit = L"Print Room";
    dialog.MailEdit = L"office@example.org";
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
