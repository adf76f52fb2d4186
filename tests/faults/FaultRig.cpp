#include "faults/FaultRig.h"

#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <regex>
#include <sstream>

namespace faults {

using programtest::Narrow;
using testenv::ReadFileBytes;

namespace {

constexpr DWORD kPollSliceMs = 200;
constexpr std::uintmax_t kComparedBytes = 64 * 1024;

bool IsGhostscript(const programtest::ChildProcess& child) {
    std::wstring name = child.exeName;
    CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name.find(L"gswin32c") != std::wstring::npos;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += name + "; ";
    }
    return text;
}

bool StillGhostscript(DWORD id) {
    bool found = false;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        found = entry.th32ProcessID == id && IsGhostscript({id, entry.szExeFile});
    }
    CloseHandle(snapshot);
    return found;
}

} // namespace

std::string Ansi(const fs::path& path) {
    return Narrow(path.wstring());
}

std::string Job(int pages, const std::string& text) {
    std::ostringstream job;
    job << "%!PS-Adobe-3.0\n%%Title: " << text << "\n%%Pages: " << pages << "\n%%EndComments\n";
    job << "/Helvetica findfont 24 scalefont setfont\n";
    for (int page = 1; page <= pages; ++page) {
        job << "%%Page: " << page << ' ' << page << "\n72 700 moveto (" << text << ", page " << page
            << ") show showpage\n";
    }
    job << "%%EOF\n";
    return job.str();
}

std::string FailingJob() {
    return "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n/Helvetica findfont 24 scalefont setfont\n"
           "%%Page: 1 1\n72 700 moveto (first page) show showpage\nnosuchoperator\n"
           "%%Page: 2 2\n72 700 moveto (second page) show showpage\n%%EOF\n";
}

std::string LoopingJob() {
    // A minute of busy waiting: far beyond the case, and yet a Ghostscript that outlived its caller does not spin
    // for ever.
    return "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n"
           "/until realtime 60000 add def { realtime until gt { exit } if } loop\n"
           "/Helvetica findfont 24 scalefont setfont 72 700 moveto (late) show showpage\n%%EOF\n";
}

int PdfPageCount(const std::string& pdf) {
    static const std::regex page(R"(/Type\s*/Page(?![A-Za-z]))");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

Rig::Rig() {
    in = data() / L"in";
    out = data() / L"out";
    fs::create_directories(in);
    fs::create_directories(out);
}

Rig::~Rig() {
    EndLeftovers();
    // Read-only inputs would outlast the scratch folder's removal.
    for (const auto& [file, bytes] : written_) {
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

void Rig::Put(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    testenv::WriteFileBytes(file, bytes);
    written_[file] = bytes;
}

void Rig::WriteSettings() const {
    std::map<std::string, std::vector<std::string>> sections = extraSettings;
    auto add = [&](const std::string& section, const std::string& line) {
        sections[section].insert(sections[section].begin(), line);
    };
    add("Verzeichnisse", "Ausgabeverzeichnis=" + Ansi(out));
    add("Verzeichnisse", "Eingabeverzeichnis=" + Ansi(in));
    add("Start", std::string("Autostart=") + (automatic ? "0" : "1"));
    add("Start", "Logdatei=1");
    add("Timer", "Sekunden=" + std::to_string(kPollMs / 1000));
    add("Eingabedateien", std::string("L\xf6schen=") + (deleteInputs ? "0" : "1"));
    std::string text;
    for (const auto& [section, lines] : sections) {
        text += "[" + section + "]\r\n";
        for (const std::string& line : lines) {
            text += line + "\r\n";
        }
    }
    testenv::WriteFileBytes(folder_.ini(), text);
}

bool Rig::Inside(const fs::path& path) const {
    auto under = [&](const fs::path& folder) {
        auto p = path.begin();
        for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
            if (p == path.end() || *p != *f) {
                return false;
            }
        }
        return true;
    };
    if (path == folder_.ini() || path == log() || under(in) || under(out) || under(log())) {
        return true;
    }
    return std::any_of(mayChange.begin(), mayChange.end(), under);
}

std::map<fs::path, Rig::Entry> Rig::Picture() const {
    std::map<fs::path, Entry> picture;
    for (auto it = fs::recursive_directory_iterator(root()); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& path = it->path();
        if (Inside(path)) {
            continue;
        }
        Entry entry;
        entry.directory = it->is_directory();
        if (!entry.directory) {
            entry.size = it->file_size();
            entry.time = it->last_write_time();
            if (entry.size <= kComparedBytes) {
                entry.bytes = ReadFileBytes(path);
            }
        }
        picture[path] = entry;
    }
    return picture;
}

void Rig::Start(const std::wstring& argument) {
    WriteSettings();
    before_ = Picture();
    folder_.Start(process_, argument);
    if (argument.empty()) {
        // A box may come before the main window (and keep it from showing until it is answered).
        WaitUntil(
            [&] {
                for (HWND hwnd : programtest::WindowsOf(process_.Id(), L"TOstrel_Form")) {
                    if (IsWindowVisible(hwnd)) {
                        main_ = hwnd;
                    }
                }
                return main_ != nullptr;
            },
            programtest::kStartTimeoutMs);
        ASSERT_NE(main_, nullptr) << "no main window: " << programtest::DescribeWindows(process_.Id());
    }
}

void Rig::StartAnother(programtest::Process& process, const std::wstring& argument) const {
    folder_.Start(process, argument);
}

void Rig::WatchBoxes() {
    if (!process_.Started()) {
        return;
    }
    for (HWND box : programtest::MessageBoxesOf(process_.Id())) {
        if (answered_.insert(box).second) {
            boxTexts_.push_back(programtest::BoxText(box));
        }
        programtest::AnswerBox(box);
    }
}

bool Rig::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        guidriver::PumpThreadMessages();
        WatchBoxes();
        GhostscriptChildren();
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return condition();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollSliceMs, QS_ALLINPUT);
    }
}

bool Rig::WaitForFile(const fs::path& file, DWORD timeoutMs) {
    return WaitUntil([&] { return fs::exists(file); }, timeoutMs);
}

void Rig::Idle(int ticks) {
    WaitUntil([] { return false; }, static_cast<DWORD>(ticks) * kPollMs + kPollMs / 2);
}

std::optional<DWORD> Rig::Close(DWORD timeoutMs) {
    if (main_ && IsWindow(main_)) {
        PostMessageW(main_, WM_CLOSE, 0, 0);
    }
    return WaitForEnd(timeoutMs);
}

std::optional<DWORD> Rig::WaitForEnd(DWORD timeoutMs) {
    WaitUntil([&] { return !process_.Running(); }, timeoutMs);
    std::optional<DWORD> code = process_.WaitExit(0);
    if (!code) {
        // The program hangs; its Ghostscript is left for the case to judge (and for the end of the rig).
        GhostscriptChildren();
        process_.Kill();
    }
    return code;
}

void Rig::EndLeftovers() {
    if (process_.Started() && process_.Running()) {
        GhostscriptChildren();
        process_.Kill();
    }
    // A Ghostscript that the program under test left behind (still that program: ids are used again).
    for (DWORD id : children_) {
        if (!StillGhostscript(id)) {
            continue;
        }
        if (HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            if (WaitForSingleObject(child, 0) == WAIT_TIMEOUT) {
                TerminateProcess(child, 99);
                WaitForSingleObject(child, 10000);
            }
            CloseHandle(child);
        }
    }
}

std::vector<DWORD> Rig::GhostscriptChildren() {
    std::vector<DWORD> ids;
    if (process_.Started() && process_.Running()) {
        for (const auto& child : programtest::ChildProcessesOf(process_.Id())) {
            if (IsGhostscript(child)) {
                ids.push_back(child.id);
                children_.insert(child.id);
            }
        }
    }
    return ids;
}

std::string Rig::Log() const {
    std::error_code error;
    return fs::is_regular_file(log(), error) ? ReadFileBytes(log()) : std::string();
}

int Rig::LogLinesNaming(const std::string& text) const {
    std::istringstream lines(Log());
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        count += line.find(text) != std::string::npos;
    }
    return count;
}

std::vector<std::string> Rig::Outputs() const {
    std::vector<std::string> names;
    std::error_code error;
    if (fs::is_directory(out, error)) {
        for (const auto& entry : fs::directory_iterator(out)) {
            names.push_back(Narrow(entry.path().filename().wstring()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Rig::ExpectOutputs(const std::vector<std::string>& names) const {
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Outputs(), expected) << "output folder: " << Joined(Outputs());
}

void Rig::ExpectInput(const fs::path& file, InputEnd end) const {
    const bool exists = fs::exists(file);
    switch (end) {
    case InputEnd::Gone:
        EXPECT_FALSE(exists) << Ansi(file) << " should have been taken";
        break;
    case InputEnd::Kept:
        EXPECT_TRUE(exists) << Ansi(file) << " should still be there";
        break;
    case InputEnd::Unchanged: {
        ASSERT_TRUE(exists) << Ansi(file) << " should still be there";
        auto it = written_.find(file);
        ASSERT_NE(it, written_.end()) << "the case did not write " << Ansi(file);
        EXPECT_EQ(ReadFileBytes(file), it->second) << Ansi(file) << " was changed";
        break;
    }
    }
}

void Rig::ExpectOutsideUntouched() const {
    const auto after = Picture();
    for (const auto& [path, entry] : before_) {
        auto it = after.find(path);
        if (it == after.end()) {
            ADD_FAILURE() << "removed outside the folders: " << Ansi(path);
            continue;
        }
        const Entry& now = it->second;
        EXPECT_TRUE(now.directory == entry.directory && now.size == entry.size && now.time == entry.time &&
                    now.bytes == entry.bytes)
            << "changed outside the folders: " << Ansi(path);
    }
    for (const auto& [path, entry] : after) {
        EXPECT_TRUE(before_.count(path)) << "made outside the folders: " << Ansi(path);
    }
}

void Rig::ExpectNoSecretInProducedFiles() const {
    if (secrets.empty()) {
        return;
    }
    for (auto it = fs::recursive_directory_iterator(root()); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_regular_file() || it->path() == folder_.ini()) {
            continue;
        }
        const std::string bytes = ReadFileBytes(it->path());
        for (const std::string& secret : secrets) {
            EXPECT_EQ(bytes.find(secret), std::string::npos) << "\"" << secret << "\" in " << Ansi(it->path());
        }
    }
}

} // namespace faults
