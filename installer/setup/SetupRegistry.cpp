#include "installer/setup/SetupRegistry.h"

#include "gui/MessageBox.h"
#include "win/Handles.h"
#include "win/Registry.h"
#include "installer/setup/SystemReason.h"
#include "core/TextUtil.h"
#include "win/Trace.h"

#include <shlobj.h>

#include <memory>
#include <system_error>

using win::TRegistry;

bool RegistryEntryMissing = false;

namespace {

// The port key is written and reopened by its full name, which may come with a trailing backslash.
bool OpenForWriting(win::TRegistry& registry, const std::wstring& key) {
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (registry.OpenKey(WithoutTrailingBackslashes(key), true))
        return true;
    gui::ShowMessage(L"Error opening/creating key: " + key);
    return false;
}

template <class WriteValue>
bool WriteValueUnder(const std::wstring& key, const std::wstring& name, WriteValue&& write) {
    win::TRegistry registry(KEY_ALL_ACCESS);
    if (!OpenForWriting(registry, key))
        return false;
    try {
        write(registry);
        return true;
    } catch (const win::ERegistryException&) {
        win::TraceCaught(L"WriteValueUnder");
        gui::ShowMessage(L"Error writing value '" + name + L"' under key: " + key);
        return false;
    }
}

std::wstring MissingEntryMessage(const std::wstring& key, const std::wstring& name) {
    const std::wstring head = L"Fehlenden Eintrag in der Windows-Registry erkannt:\r\r";
    if (name == GhostscriptWert)
        return head + L"AFPL Ghostscript ist noch nicht installiert!";
    if (name == PortWert)
        return head + L"RedMon ist noch nicht installiert!";
    return head + L"Der Registry-Key '" + name + L"' existiert nicht unter: " + key;
}

} // namespace

std::wstring ProgramFilesPath() {
    ITEMIDLIST* raw = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAM_FILES, &raw);
    const win::UniqueTaskMem<ITEMIDLIST> pidl(raw);
    if (FAILED(hr))
        throw std::system_error(static_cast<int>(hr), std::system_category(), "SHGetSpecialFolderLocation");
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(pidl.get(), path))
        throw std::system_error(static_cast<int>(E_FAIL), std::system_category(), "SHGetPathFromIDList");
    std::wstring folder = WithoutTrailingBackslashes(path);
    return folder + L'\\';
}

bool WriteRegString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    return WriteValueUnder(key, name, [&](win::TRegistry& registry) { registry.WriteString(name, value); });
}

bool WriteRegDWord(const std::wstring& key, const std::wstring& name, unsigned long value) {
    return WriteValueUnder(key, name,
                           [&](win::TRegistry& registry) { registry.WriteInteger(name, static_cast<DWORD>(value)); });
}

void ReadRegString(const std::wstring& key, const std::wstring& name, std::wstring& text) {
    win::TRegistry registry(KEY_ALL_ACCESS);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    // Opening with creation allowed leaves an empty key behind on a machine without the product, as the
    // installers of those products expect to find it.
    if (!registry.OpenKey(WithoutTrailingBackslashes(key), true)) {
        gui::ShowMessage(L"Fehler beim \u00f6ffnen/erstellen des Registry-Key: " + key);
        // The caller's flag must not keep the outcome of an earlier read: nothing read means nothing found.
        RegistryEntryMissing = true;
        return;
    }
    if (!registry.ValueExists(name)) {
        RegistryEntryMissing = true;
        gui::ShowMessage(MissingEntryMessage(key, name));
        return;
    }
    RegistryEntryMissing = false;
    if (auto value = registry.TryReadString(name))
        text = *value;
    else if (auto number = registry.TryReadInteger(name))
        text = std::to_wstring(*number);
    else
        text.clear();
}

bool PortKonfigurationSchreiben(const std::wstring& ghostscriptRoot, const std::wstring& portKey) {
    const std::wstring& key = portKey;
    bool ok = true;
    auto text = [&](const wchar_t* name, const std::wstring& value) { ok = ok && WriteRegString(key, name, value); };
    auto number = [&](const wchar_t* name, unsigned long value) { ok = ok && WriteRegDWord(key, name, value); };
    text(L"", L"");
    // The redirector fills in the job and page numbers; its files land in the conversion's input folder.
    text(L"Arguments", L"c:\\pdf\\in\"\\%d_%02d.ps\"");
    text(L"Command", ghostscriptRoot + L"redmon\\redfile.exe");
    number(L"Delay", 300);
    text(L"Description", L"PDF-Drucker f\u00fcr Ostrel");
    number(L"LogFileDebug", 0);
    text(L"LogFileName", L"");
    number(L"LogFileUse", 0);
    number(L"Output", 0);
    text(L"Printer", L"PDF-Drucker");
    number(L"PrintError", 0);
    number(L"RunUser", 1);
    number(L"ShowWindow", 2);
    return ok;
}

bool RedMonSetupAbschliessen(int setupResult, const std::wstring& ghostscriptRoot, unsigned long setupError,
                             const std::wstring& portKey) {
    if (setupResult == -1) {
        gui::ShowMessage(WithReason(L"RedMon-Setup konnte nicht gestartet werden!", setupError));
        return false;
    }
    if (!PortKonfigurationSchreiben(ghostscriptRoot, portKey)) {
        gui::ShowMessage(L"Der Anschluss RPT1: konnte nicht eingerichtet werden!");
        return false;
    }
    gui::ShowMessage(L"RedMon-Setup beendet!");
    return true;
}
