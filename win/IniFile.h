#pragma once
// One settings file (INI format). Writes are made by the system's profile functions, which store the file in the
// ANSI code page. Reads are served from one in-memory copy of the file, read as a whole and parsed as the profile
// functions parse it; the copy is dropped by every write and read again whenever the file on disk has changed, so
// a key written through one object (or by another program) is seen by the next read of any other. Nothing is kept
// open.
#include <stdexcept>
#include <string>

// A write the system refused. Message() is the user's text: "In <file> kann nicht geschrieben werden".
class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(std::wstring message);
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

class TIniFile {
public:
    explicit TIniFile(std::wstring fileName);

    const std::wstring& FileName() const { return fileName_; }

    // A missing file or key yields def, exactly as given.
    std::wstring ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const;
    // Decimal, "$"/"0x" hexadecimal; a value that is not a number yields def.
    int ReadInteger(const std::wstring& section, const std::wstring& key, int def) const;
    // Read as an integer: non-zero is true, a non-number yields def.
    bool ReadBool(const std::wstring& section, const std::wstring& key, bool def) const;

    // CR and LF are removed from section, key and value. Throws EIniFileException when the system refuses.
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void WriteInteger(const std::wstring& section, const std::wstring& key, int value);
    void WriteBool(const std::wstring& section, const std::wstring& key, bool value);

private:
    std::wstring fileName_;
};
