#include "installer/zip/ZipLibLoader.h"

#include "installer/zip/ZipArchive.h"
#include "installer/zip/ZipMessages.h"

#include <filesystem>

namespace {

struct LibraryNames {
    const wchar_t* Library;
    const char* Exec;
    const char* Version;
    const char* PrivVersion;
};

constexpr LibraryNames kLibraries[] = {
    {L"UNZDLL.DLL", "UnzDllExec", "GetUnzDllVersion", "GetUnzDllPrivVersion"},
    {L"ZIPDLL.DLL", "ZipDllExec", "GetZipDllVersion", "GetZipDllPrivVersion"},
};

std::wstring ProgramFolder() {
    std::wstring buffer(4096, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    const auto slash = buffer.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : buffer.substr(0, slash);
}

// Suppresses the system's critical-error and fault boxes while it lives.
class QuietErrorMode {
public:
    QuietErrorMode() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX)) {}
    ~QuietErrorMode() { SetErrorMode(previous_); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    UINT previous_;
};

} // namespace

TZipLibLoader::TZipLibLoader(TZipArchive& owner, Kind kind)
    : kind_(kind), path_(kLibraries[kind].Library), owner_(owner) {}

TZipLibLoader::~TZipLibLoader() {
    Unload();
    if (!tempLibrary_.empty()) {
        DeleteFileW(tempLibrary_.c_str());
    }
}

void TZipLibLoader::Reset() {
    handle_.reset();
    execProc_ = versionProc_ = privVersionProc_ = nullptr;
    version_ = privVersion_ = 0;
    holders_ = 0;
    path_ = kLibraries[kind_].Library;
}

void TZipLibLoader::Unload() {
    if (handle_) {
        const std::wstring path = path_;
        Reset();
        owner_.ReportLibraryMessage(LD_DllUnloaded, path);
    }
    Reset();
}

void TZipLibLoader::LoadLibraryChecked() {
    const std::wstring name = kLibraries[kind_].Library;
    std::wstring candidate;
    const std::wstring& folder = owner_.DLLDirectory();
    if (!folder.empty()) {
        candidate = AppendDirSeparator(folder) + name;
        if (folder.front() == L'.') {
            candidate = std::filesystem::path(AppendDirSeparator(ProgramFolder()) + candidate).lexically_normal();
        }
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec)) {
            candidate.clear();
        }
    }
    const std::wstring target = candidate.empty() ? name : candidate;
    HMODULE module = nullptr;
    {
        QuietErrorMode quiet;
        module = LoadLibraryW(target.c_str());
    }
    if (!module) {
        Reset();
        throw EZipArchive(LD_NoDll, target);
    }
    handle_.reset(module);
    execProc_ = GetProcAddress(module, kLibraries[kind_].Exec);
    versionProc_ = GetProcAddress(module, kLibraries[kind_].Version);
    privVersionProc_ = GetProcAddress(module, kLibraries[kind_].PrivVersion);
    std::wstring full(4096, L'\0');
    const DWORD n = GetModuleFileNameW(module, full.data(), static_cast<DWORD>(full.size()));
    full.resize(n);
    path_ = n ? full : target;
    if (execProc_ && versionProc_) {
        version_ = reinterpret_cast<unzdll::GetUnzDllVersionFn>(reinterpret_cast<void*>(versionProc_))();
        if (privVersionProc_) {
            privVersion_ = reinterpret_cast<unzdll::GetUnzDllVersionFn>(reinterpret_cast<void*>(privVersionProc_))();
        }
    }
    if (version_ < unzdll::kMinAcceptedVersion || version_ > unzdll::kMaxAcceptedVersion) {
        const std::wstring path = path_;
        Reset();
        throw EZipArchive(LD_BadDll, path);
    }
    owner_.ReportLibraryMessage(LD_DllLoaded, path_);
}

int TZipLibLoader::AcquireLibrary(bool explicitly) {
    holders_ |= explicitly ? HeldExplicitly : HeldForOperation;
    if (!handle_) {
        LoadLibraryChecked(); // a failure clears every bit
    }
    return version_;
}

int TZipLibLoader::AcquireLibraryMin(int minimum, bool explicitly) {
    const int version = AcquireLibrary(explicitly);
    if (version < minimum) {
        const std::wstring path = path_;
        Unload();
        throw EZipArchive(LD_BadDll, path);
    }
    return version;
}

void TZipLibLoader::ReleaseLibrary(bool explicitly) {
    holders_ &= ~(explicitly ? HeldExplicitly : HeldForOperation);
    if (holders_ == 0) {
        Unload();
    }
}

int TZipLibLoader::ExecLibrary(void* record) {
    const bool wasLoaded = static_cast<bool>(handle_);
    holders_ |= HeldForCall;
    if (!wasLoaded) {
        LoadLibraryChecked();
        holders_ |= HeldForCall;
    }
    // Cleared whatever the call does, so a failure cannot keep the library pinned.
    struct CallHold {
        TZipLibLoader& loader;
        ~CallHold() {
            loader.holders_ &= ~HeldForCall;
            if (loader.holders_ == 0) {
                loader.Unload();
            }
        }
    } hold{*this};
    if (!execProc_) {
        return -1;
    }
    auto exec = reinterpret_cast<unzdll::UnzDllExecFn>(reinterpret_cast<void*>(execProc_));
    return exec(static_cast<unzdll::UnzParams*>(record));
}
