#pragma once
// A scratch installation for the set-up window: a program folder with a blank in its name holding UNZDLL.DLL and
// the stand-ins, the archives made here, a log the stand-ins append to, and a clean registry before and after.
#include "gui/MessageBox.h"
#include "installer/setup/Ostrel_Setup_Form.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace setuptest {

namespace fs = std::filesystem;

// The folder the test build put the stand-ins into.
fs::path StandInDir();
// The build's dist folder: what a user gets.
fs::path DistDir();
std::string StandInBytes(const std::wstring& name);

bool Exists(const fs::path& path);
// Registry helpers over HKEY_LOCAL_MACHINE.
void RemoveInstallerKeys();
std::wstring ReadString(const std::wstring& key, const std::wstring& name, bool* found = nullptr);
bool ReadDWord(const std::wstring& key, const std::wstring& name, unsigned long& value);
void WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value);

// What lies beside the installer as UNZDLL.DLL.
enum class UnzipLibrary { Shipped, Missing, Damaged };

class Installation {
public:
    explicit Installation(UnzipLibrary library = UnzipLibrary::Shipped);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // "<scratch>\Mein Setup\" with UNZDLL.DLL of the dist folder and rundll32.exe (found first: it is the current
    // directory).
    fs::path ProgramFolder() const { return programFolder_; }
    // The GS_DLL value the Ghostscript stand-in writes, and the root the set-up derives from it.
    std::wstring GsDllValue() const { return gsDll_; }
    std::wstring GsRoot() const { return gsRoot_; }
    fs::path Scratch() const { return dir_.path(); }

    void AddGhostscriptInstaller();
    // A port-monitor archive with a folder entry, its set-up program (when withSetup) and the redirector.
    void AddRedMonArchive(bool withSetup = true);
    void AddPdftkArchive();
    // The pdftk archive as the given bytes.
    void AddPdftkArchive(const std::string& bytes);
    // The printer files in a folder with a blank; returns the .inf path.
    std::wstring AddPrinterFiles();

    // The stand-ins' log lines, in order.
    std::vector<std::wstring> Log() const;

    // Makes the window and runs its FormCreate; the messages it showed stay in Boxes.Records.
    TOstrel_Setup& Create();
    std::vector<std::wstring> Texts() const;

    gui::MessageBoxRecorder Boxes;

private:
    testenv::TempDir dir_{L"setup"};
    fs::path programFolder_;
    std::wstring gsDll_;
    std::wstring gsRoot_;
    std::wstring oldDirectory_;
    std::unique_ptr<TOstrel_Setup> form_;
};

} // namespace setuptest
