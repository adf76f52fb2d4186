#include "app/mail/MyMapi.h"

MapiLibrary::MapiLibrary(std::wstring libraryName) : libraryName_(std::move(libraryName)) {}

MapiLibrary::~MapiLibrary() = default;

void MapiLibrary::Load() {
    if (loadAttempted_) {
        return;
    }
    loadAttempted_ = true;
    module_.reset(LoadLibraryW(libraryName_.c_str()));
}

ULONG MapiLibrary::SendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message, FLAGS flags, ULONG reserved) {
    Load();
    if (!sendEntry_ && module_) {
        sendEntry_ = reinterpret_cast<LPMAPISENDMAIL>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), "MAPISendMail")));
    }
    if (!sendEntry_) {
        return MAPI_USER_ABORT;
    }
    return sendEntry_(session, uiParam, message, flags, reserved);
}

MapiLibrary& TheMapiLibrary() {
    static MapiLibrary library(L"MAPI32.DLL");
    return library;
}

void LoadMapiLibrary() {
    TheMapiLibrary().Load();
}

ULONG CallMapiSendMail(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage, FLAGS flFlags,
                       ULONG ulReserved) {
    return TheMapiLibrary().SendMail(lhSession, ulUIParam, lpMessage, flFlags, ulReserved);
}
