#pragma once
// One settings file (INI format). Writes are made by the system's profile functions, which store the file in the
// ANSI code page. Reads are served from one in-memory copy of the file, read as a whole and parsed as the profile
// functions parse it. An object is one burst of reads: it looks at the file once, at its first read, and answers
// every later read from that state, so a burst neither mixes two states of the file nor asks the file system per
// key. A write through any object is seen by the next read of every object; a change by another program is seen
// by the objects made after it. Nothing is kept open. An object serves one thread.
#include <memory>
#include <stdexcept>
#include <string>

class IniFileContents;

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
    std::shared_ptr<const IniFileContents> Contents() const;

    std::wstring fileName_;
    // The state of the file this burst reads, and the count of the process's writes it was taken after.
    mutable std::shared_ptr<const IniFileContents> contents_;
    mutable unsigned long long writesSeen_ = 0;
};
