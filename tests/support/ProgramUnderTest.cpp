#include "support/ProgramUnderTest.h"

#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

namespace programtest {

namespace fs = std::filesystem;

std::string Narrow(const std::wstring& text) {
    std::string result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        result += c < 0x100 ? static_cast<char>(c) : '?';
    }
    return result;
}

Process::~Process() {
    if (info_.hProcess) {
        if (Running()) {
            Kill();
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool Process::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs) const {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Process::Kill() const {
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 10000);
    }
}

std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == s->pid && guidriver::ClassName(hwnd) == s->cls) {
                s->found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string DescribeWindows(DWORD processId) {
    std::string text;
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, nullptr, nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == processId && IsWindowVisible(hwnd)) {
            text += Narrow(guidriver::ClassName(hwnd)) + " \"" + Narrow(guidriver::WindowText(hwnd)) + "\"; ";
        }
    }
    return text;
}

int CountWindows(const wchar_t* className) {
    int count = 0;
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, className, nullptr)) != nullptr) {
        ++count;
    }
    return count;
}

HWND WaitForWindow(const Process& process, const wchar_t* className, DWORD timeoutMs) {
    HWND found = nullptr;
    guidriver::PumpUntil(
        [&] {
            for (HWND hwnd : WindowsOf(process.Id(), className)) {
                if (IsWindowVisible(hwnd)) {
                    found = hwnd;
                }
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::pair<HWND, std::wstring> WaitForBoxSaying(const Process& process, const std::wstring& words, DWORD timeoutMs) {
    std::pair<HWND, std::wstring> found{nullptr, {}};
    guidriver::PumpUntil(
        [&] {
            for (HWND candidate : WindowsOf(process.Id(), L"#32770")) {
                if (!IsWindowVisible(candidate)) {
                    continue;
                }
                std::wstring texts;
                for (HWND child : guidriver::ChildWindows(candidate)) {
                    texts += guidriver::WindowText(child) + L"\n";
                }
                if (texts.find(words) != std::wstring::npos) {
                    found = {candidate, texts};
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> MessageBoxesOf(DWORD processId) {
    std::vector<HWND> boxes;
    for (HWND hwnd : WindowsOf(processId, L"#32770")) {
        if (IsWindowVisible(hwnd)) {
            boxes.push_back(hwnd);
        }
    }
    return boxes;
}

std::wstring BoxText(HWND box, DWORD timeoutMs) {
    std::wstring text;
    guidriver::PumpUntil(
        [&] {
            text.clear();
            bool statics = false;
            for (HWND child : guidriver::ChildWindows(box)) {
                const std::wstring part = guidriver::WindowText(child);
                if (lstrcmpiW(guidriver::ClassName(child).c_str(), L"Static") == 0 && !part.empty()) {
                    statics = true;
                }
                text += part + L"\n";
            }
            return statics || !IsWindow(box);
        },
        timeoutMs);
    return text;
}

void AnswerBox(HWND box) {
    // A box with only a Cancel-like button ends on IDCANCEL; the boxes of the program have OK.
    if (GetDlgItem(box, IDOK)) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else {
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    }
}

std::vector<ChildProcess> ChildProcessesOf(DWORD processId) {
    std::vector<ChildProcess> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return children;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == processId && entry.th32ProcessID != processId) {
            children.push_back({entry.th32ProcessID, entry.szExeFile});
        }
    }
    CloseHandle(snapshot);
    return children;
}

ProgramFolder::ProgramFolder(const std::wstring& tag, bool withLanguages) : dir_(tag) {
    for (const auto& entry : fs::directory_iterator(testenv::BinaryDir() / L"dist")) {
        const bool language = entry.path().extension() == L".plf";
        if (entry.is_regular_file() && (withLanguages || !language)) {
            fs::copy_file(entry.path(), dir() / entry.path().filename());
        }
    }
    fs::create_directories(in());
    fs::create_directories(out());
}

void ProgramFolder::WriteIni(const std::string& extraLines) const {
    testenv::WriteFileBytes(ini(), "[Verzeichnisse]\r\nEingabeverzeichnis=" + Narrow(in().wstring()) +
                                       "\r\nAusgabeverzeichnis=" + Narrow(out().wstring()) + "\r\n" + extraLines);
}

void ProgramFolder::Start(Process& process, const std::wstring& argument) const {
    std::wstring command = L"\"" + (dir() / L"Ostrel.exe").wstring() + L"\"";
    if (!argument.empty()) {
        command += L" \"" + argument + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const std::wstring folder = dir().wstring();
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                               &process.info_))
        << GetLastError();
}

} // namespace programtest
