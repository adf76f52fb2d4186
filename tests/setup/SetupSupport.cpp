#include "SetupSupport.h"

#include "installer/setup/SetupRegistry.h"
#include "support/ZipWriter.h"

#include <windows.h>

#include <sstream>
#include <stdexcept>

namespace setuptest {

fs::path StandInDir() {
    return testenv::BinaryDir() / L"tests" / L"setup-standins";
}

fs::path DistDir() {
    return testenv::BinaryDir() / L"dist";
}

std::string StandInBytes(const std::wstring& name) {
    return testenv::ReadFileBytes(StandInDir() / name);
}

bool Exists(const fs::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveInstallerKeys() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\AFPL Ghostscript");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, PortSchluessel);
}

std::wstring ReadString(const std::wstring& key, const std::wstring& name, bool* found) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    const bool ok = RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ,
                                 nullptr, buffer, &size) == ERROR_SUCCESS;
    if (found)
        *found = ok;
    return ok ? std::wstring(buffer) : std::wstring();
}

bool ReadDWord(const std::wstring& key, const std::wstring& name, unsigned long& value) {
    DWORD data = 0;
    DWORD size = sizeof(data);
    const bool ok = RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &data,
                                 &size) == ERROR_SUCCESS;
    value = data;
    return ok;
}

void WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    if (RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw std::runtime_error("registry write failed");
}

Installation::Installation(UnzipLibrary library) {
    RemoveInstallerKeys();
    programFolder_ = dir_ / L"Mein Setup";
    fs::create_directories(programFolder_);
    if (library == UnzipLibrary::Shipped)
        fs::copy_file(DistDir() / L"UNZDLL.DLL", programFolder_ / L"UNZDLL.DLL");
    else if (library == UnzipLibrary::Damaged)
        testenv::WriteFileBytes(programFolder_ / L"UNZDLL.DLL", "MZ this is no library");
    fs::copy_file(StandInDir() / L"rundll32.exe", programFolder_ / L"rundll32.exe");
    gsRoot_ = (dir_ / L"Programme Test" / L"gs").wstring() + L"\\";
    gsDll_ = gsRoot_ + L"gs8.54\\bin\\gsdll32.dll";
    SetEnvironmentVariableW(L"OSTREL_SETUP_LOG", (dir_ / L"standins.log").c_str());
    SetEnvironmentVariableW(L"OSTREL_GS_DLL", gsDll_.c_str());
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    oldDirectory_ = current;
    SetCurrentDirectoryW(programFolder_.c_str());
}

Installation::~Installation() {
    form_.reset();
    SetCurrentDirectoryW(oldDirectory_.c_str());
    SetEnvironmentVariableW(L"OSTREL_SETUP_LOG", nullptr);
    SetEnvironmentVariableW(L"OSTREL_GS_DLL", nullptr);
    RemoveInstallerKeys();
}

void Installation::AddGhostscriptInstaller() {
    fs::copy_file(StandInDir() / L"gs854w32.exe", programFolder_ / L"gs854w32.exe");
}

void Installation::AddRedMonArchive(bool withSetup) {
    std::vector<testzip::ZipItem> items;
    items.push_back(testzip::Entry("sub/", ""));
    if (withSetup)
        items.push_back(testzip::Entry("sub/setup.exe", StandInBytes(L"setup.exe"), true));
    items.push_back(testzip::Entry("sub/redfile.exe", "the redirector", false));
    testenv::WriteFileBytes(programFolder_ / L"redmon17de.zip", testzip::MakeZip(items));
}

void Installation::AddPdftkArchive() {
    AddPdftkArchive(testzip::MakeZip({testzip::Entry("pdftk.exe", "pdftk tool bytes", true)}));
}

void Installation::AddPdftkArchive(const std::string& bytes) {
    testenv::WriteFileBytes(programFolder_ / L"pdftk-1.41.exe.zip", bytes);
}

std::wstring Installation::AddPrinterFiles() {
    const fs::path folder = dir_ / L"Drucker Dateien";
    fs::create_directories(folder);
    testenv::WriteFileBytes(folder / L"pdf-drucker.inf", "[Version]\r\n");
    testenv::WriteFileBytes(folder / L"catjetr1.ppd", "*PPD-Adobe: \"4.3\"\r\n");
    return (folder / L"pdf-drucker.inf").wstring();
}

std::vector<std::wstring> Installation::Log() const {
    std::vector<std::wstring> lines;
    const fs::path file = dir_ / L"standins.log";
    if (!Exists(file))
        return lines;
    const std::string bytes = testenv::ReadFileBytes(file);
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
        lines.push_back(wide);
    }
    return lines;
}

TOstrel_Setup& Installation::Create() {
    form_ = std::make_unique<TOstrel_Setup>(programFolder_.wstring());
    form_->DoCreate();
    return *form_;
}

std::vector<std::wstring> Installation::Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& record : Boxes.Records)
        texts.push_back(record.Text);
    return texts;
}

} // namespace setuptest
