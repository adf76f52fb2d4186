#pragma once
// What the installer finds in and writes to HKEY_LOCAL_MACHINE: the Ghostscript library value, the RedMon port
// RPT1: of the port monitor, and the port's configuration. Every failure is told to the user in a message box and
// the caller goes on.
#include <string>

// The Ghostscript 8.54 key and the value naming its library; the part of the value before "gs8.54" is the
// Ghostscript root.
inline constexpr wchar_t GhostscriptSchluessel[] = L"SOFTWARE\\AFPL Ghostscript\\8.54";
inline constexpr wchar_t GhostscriptWert[] = L"GS_DLL";
// The port key of the RedMon port RPT1: and the value that tells it is configured.
inline constexpr wchar_t PortSchluessel[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Umgeleiteter Anschlu\u00df\\Ports\\RPT1:";
inline constexpr wchar_t PortWert[] = L"Command";

// Outcome of the last ReadRegString: true when the value was missing or its key could not be opened. Callers test
// it right after each read.
extern bool RegistryEntryMissing;

// The Program Files folder of the machine with exactly one trailing backslash. Throws std::system_error when the
// shell cannot tell it.
std::wstring ProgramFilesPath();

// Opens (creating when missing) key under HKEY_LOCAL_MACHINE and writes value as REG_SZ under name (empty name:
// the key's default value). False, after a message, when the key cannot be opened or the value not written.
bool WriteRegString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
// The same for a REG_DWORD value.
bool WriteRegDWord(const std::wstring& key, const std::wstring& name, unsigned long value);

// Opens key under HKEY_LOCAL_MACHINE, creating it empty when missing, and reads name into text.
// Value present: text := value, RegistryEntryMissing := false. Value missing: text untouched,
// RegistryEntryMissing := true, and a missing-entry message. Key not to be opened: a message, text untouched and
// RegistryEntryMissing := true (nothing can be taken as installed when nothing could be read).
void ReadRegString(const std::wstring& key, const std::wstring& name, std::wstring& text);

// Writes the thirteen values of the port key (portKey; the tests name another) for the redirector below
// ghostscriptRoot (ending in a backslash), in their fixed order. The first refused write shows its message and ends
// the configuration: the same refusal is not told twelve times more. Returns false then.
bool PortKonfigurationSchreiben(const std::wstring& ghostscriptRoot, const std::wstring& portKey = PortSchluessel);

// Ends the RedMon step after its "setup.exe" (setupResult: what RunAndWait returned; setupError: the system's error
// when it could not be started). The port is configured only when the set-up program ran: a "Command" value written
// without RedMon would make every later run take RedMon for installed. Shows "RedMon-Setup beendet!" only after a
// complete configuration; otherwise the message that the set-up program could not be started (with the system's
// reason) or that the port could not be configured. Returns true when the port was configured.
bool RedMonSetupAbschliessen(int setupResult, const std::wstring& ghostscriptRoot, unsigned long setupError = 0,
                             const std::wstring& portKey = PortSchluessel);
