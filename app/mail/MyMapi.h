#pragma once
// Simple MAPI, loaded on demand. "MAPI32.DLL" is loaded by name, so the copy in the program's folder wins over the
// system's; the load is tried once per run and the library stays loaded until the program ends.
#include "win/Handles.h"

#include <windows.h>

#include <mapi.h>

#include <string>

// One library and its MAPISendMail entry. The program uses a single instance for "MAPI32.DLL"; tests make others.
class MapiLibrary {
public:
    explicit MapiLibrary(std::wstring libraryName);
    ~MapiLibrary();
    MapiLibrary(const MapiLibrary&) = delete;
    MapiLibrary& operator=(const MapiLibrary&) = delete;

    // First call only: loads the library (a failed load is not repeated).
    void Load();
    // MAPISendMail's result, or 1 (as a cancel) when the library or its entry is missing. The entry is looked up
    // again on every call while it is missing.
    ULONG SendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG reserved);

    bool LoadAttempted() const { return loadAttempted_; }
    bool Loaded() const { return static_cast<bool>(module_); }

private:
    std::wstring libraryName_;
    bool loadAttempted_ = false;
    win::UniqueModule module_;
    LPMAPISENDMAIL sendEntry_ = nullptr;
};

// The program's "MAPI32.DLL".
MapiLibrary& TheMapiLibrary();

void LoadMapiLibrary();
ULONG CallMapiSendMail(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage, FLAGS flFlags,
                       ULONG ulReserved);
