#pragma once
// One-name rename or delete through the shell's file operation (no owner window). Used by the conversion pass
// (the "%" rename) and its post-processing (deletions).
#include <stdexcept>
#include <string>

// The shell operation failed; Code() is its result (or the system error behind it).
class ShellFileOperationError : public std::runtime_error {
public:
    ShellFileOperationError(const std::string& what, unsigned long code) : std::runtime_error(what), code_(code) {}
    unsigned long Code() const { return code_; }

private:
    unsigned long code_;
};

// operation is FO_RENAME, FO_DELETE, ...; flags the FOF_ flags. target may be empty (delete). A non-zero result
// raises ShellFileOperationError with the last operating-system error text.
void ShellFileOperation(const std::wstring& source, const std::wstring& target, unsigned int operation,
                        unsigned int flags);
