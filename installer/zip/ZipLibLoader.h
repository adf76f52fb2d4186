#pragma once
// TZipLibLoader: finds, loads, checks and releases one of the component's outside libraries. The library stays
// loaded while any holder bit is set: one call into it, an operation of the component, or the owner's explicit
// load. Failures are raised as EZipArchive; the component turns them into its messages.
#include "core/UnzDllRecords.h"
#include "win/Handles.h"

#include <windows.h>

#include <cstdint>
#include <string>

class TZipArchive;

class TZipLibLoader {
public:
    enum Kind : std::uint8_t { kUnzip = 0, kZip = 1 };
    // Holder bits.
    static constexpr unsigned HeldForCall = 1;
    static constexpr unsigned HeldForOperation = 2;
    static constexpr unsigned HeldExplicitly = 4;

    TZipLibLoader(TZipArchive& owner, Kind kind);
    virtual ~TZipLibLoader();
    TZipLibLoader(const TZipLibLoader&) = delete;
    TZipLibLoader& operator=(const TZipLibLoader&) = delete;

    // Sets holder bit 4 (explicit) or 2 (operation); loads when not loaded. Returns the version, 0 when not loaded.
    int AcquireLibrary(bool explicitly);
    // As AcquireLibrary, but a version below minimum releases the library completely and raises
    // "Unable to load %s - It is old or corrupt".
    int AcquireLibraryMin(int minimum, bool explicitly);
    // Clears bit 4 or 2; the library is freed when no bit remains.
    void ReleaseLibrary(bool explicitly);
    // Calls the run export with the record while holding bit 1. Returns its result (files handled, negative on a
    // fatal failure inside the library).
    int ExecLibrary(void* record);

    bool Loaded() const { return static_cast<bool>(handle_); }
    int Version() const { return version_; }
    int PrivVersion() const { return privVersion_; }
    unsigned Holders() const { return holders_; }
    // The library name, or once loaded the module's full path.
    const std::wstring& Path() const { return path_; }

private:
    void LoadLibraryChecked();
    void Unload();
    // Frees the library if one is loaded and forgets everything about it.
    void Reset();

    win::UniqueModule handle_;
    FARPROC execProc_ = nullptr;
    FARPROC versionProc_ = nullptr;
    FARPROC privVersionProc_ = nullptr;
    Kind kind_;
    std::wstring path_;
    TZipArchive& owner_;
    unsigned holders_ = 0;
    int version_ = 0;
    int privVersion_ = 0;
    std::wstring tempLibrary_; // a copy written out by the loader, deleted on destruction (none here)
};

class TUnzDll : public TZipLibLoader {
public:
    explicit TUnzDll(TZipArchive& owner) : TZipLibLoader(owner, kUnzip) {}
};

class TZipDll : public TZipLibLoader {
public:
    explicit TZipDll(TZipArchive& owner) : TZipLibLoader(owner, kZip) {}
};
