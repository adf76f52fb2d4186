#pragma once
// The file side of the document information: loading a PostScript file as lines and saving it back so that it is
// never lost or half written. A save goes to a temporary file in the same folder that then replaces the original;
// when any step fails the original stays as it was and the temporary file is removed.
#include "core/DocInfo.h"

#include <stdexcept>
#include <string>

namespace docinfo {

// A file could not be read or written. Code is the Windows error code of the failing call.
class DocInfoFileError : public std::runtime_error {
public:
    DocInfoFileError(std::wstring path, unsigned long code, const char* what)
        : std::runtime_error(what), path_(std::move(path)), code_(code) {}
    const std::wstring& Path() const { return path_; }
    unsigned long Code() const { return code_; }

private:
    std::wstring path_;
    unsigned long code_;
};

PsLines LoadPsFile(const std::wstring& path);
// Replaces the file's content with the lines; a read-only file is refused (ERROR_ACCESS_DENIED). The file keeps
// its attributes.
void SavePsFile(const std::wstring& path, const PsLines& lines);

// The dialog's read and write: ReadDocumentFile fills the fields found in the file (others keep their values);
// WriteDocumentFile writes only when something changes and returns whether it wrote.
void ReadDocumentFile(const std::wstring& path, DocumentFields& fields);
bool WriteDocumentFile(const std::wstring& path, const DocumentFields& fields);

// Field texts between the dialog (Unicode) and the file (ANSI code page bytes).
std::wstring FieldToWide(std::string_view bytes);
std::string FieldFromWide(std::wstring_view text);

} // namespace docinfo

// The patch the conversion pass applies to every input that is not a PDF, just before Ghostscript runs on it.
// A print job may still be held by the program that writes it, so the patch opens the file once without sharing
// (a file open elsewhere is refused with ERROR_SHARING_VIOLATION), reads, changes and writes it back through that
// one handle in place: the file is never replaced, and the bytes before the first change are not rewritten. A file
// that is not PostScript text (docinfo::IsPostScriptText) is left alone. Each returns whether it wrote; failures
// throw docinfo::DocInfoFileError.
bool AddDocInfoPdfmark(const std::wstring& path);
bool AddProducerLine(const std::wstring& path);
// Both of the above in their order, through one handle.
bool PatchDocumentInformation(const std::wstring& path);
