#include "components/FileOperator.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "win/SystemText.h"

#include "win/Trace.h"

#include <array>
#include <utility>

namespace {

struct FlagBit {
    TFileOperationFlag flag;
    FILEOP_FLAGS bit;
};

constexpr std::array<FlagBit, 9> kFlagBits = {{
    {foAllowUndo, FOF_ALLOWUNDO},
    {foConfirmMouse, FOF_CONFIRMMOUSE},
    {foFilesOnly, FOF_FILESONLY},
    {foMultiDestFiles, FOF_MULTIDESTFILES},
    {foNoConfirmation, FOF_NOCONFIRMATION},
    {foNoConfirmMkDir, FOF_NOCONFIRMMKDIR},
    {foRenameOnCollision, FOF_RENAMEONCOLLISION},
    {foSilent, FOF_SILENT},
    {foSimpleProgress, FOF_SIMPLEPROGRESS},
}};

constexpr FILEOP_FLAGS kAllFlagBits = [] {
    FILEOP_FLAGS all = 0;
    for (const auto& entry : kFlagBits) {
        all |= entry.bit;
    }
    return all;
}();

// The shell takes name lists as one buffer: every name followed by a zero, then one more zero.
std::wstring DoubleZeroList(const std::vector<std::wstring>& names) {
    std::wstring buffer;
    for (const auto& name : names) {
        buffer += name;
        buffer += L'\0';
    }
    buffer += L'\0';
    return buffer;
}

// The part after the last "\" or ":". A trailing backslash does not make a folder's name empty.
std::wstring FileNamePart(const std::wstring& path) {
    std::wstring trimmed = WithoutTrailingBackslashes(path);
    auto separator = trimmed.find_last_of(L"\\:");
    return separator == std::wstring::npos ? trimmed : trimmed.substr(separator + 1);
}

// The part up to and including the last "\" or ":".
std::wstring DirectoryPart(const std::wstring& path) {
    auto separator = path.find_last_of(L"\\:");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring JoinName(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L'\\' + name;
}

// The absolute form of a folder, without trailing backslash, for comparing folders.
std::wstring FolderKey(const std::wstring& folder) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            return WithoutTrailingBackslashes(folder);
        }
        if (n < full.size()) {
            full.resize(n);
            return WithoutTrailingBackslashes(full);
        }
        full.resize(n);
    }
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return EqualNoCase(FolderKey(a), FolderKey(b));
}

} // namespace

TFileOperator::TFileOperator(HWND owner) : owner_(owner) {
    // An operator that was never told otherwise copies (the shell refuses an operation code of zero).
    fileOp_.wFunc = FO_COPY;
    fileOp_.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR;
}

TFileOperator::~TFileOperator() {
    FreeNameMappings();
}

TFileOperation TFileOperator::Operation() const {
    switch (fileOp_.wFunc) {
    case FO_DELETE:
        return foDelete;
    case FO_MOVE:
        return foMove;
    case FO_RENAME:
        return foRename;
    default:
        return foCopy;
    }
}

void TFileOperator::SetOperation(TFileOperation value) {
    switch (value) {
    case foCopy:
        fileOp_.wFunc = FO_COPY;
        break;
    case foDelete:
        fileOp_.wFunc = FO_DELETE;
        break;
    case foMove:
        fileOp_.wFunc = FO_MOVE;
        break;
    case foRename:
        fileOp_.wFunc = FO_RENAME;
        break;
    }
}

TFileOperationFlags TFileOperator::Flags() const {
    TFileOperationFlags flags;
    for (const auto& entry : kFlagBits) {
        if (fileOp_.fFlags & entry.bit) {
            flags.insert(entry.flag);
        }
    }
    return flags;
}

void TFileOperator::SetFlags(const TFileOperationFlags& value) {
    FILEOP_FLAGS bits = fileOp_.fFlags & ~kAllFlagBits;
    for (const auto& entry : kFlagBits) {
        if (value.contains(entry.flag)) {
            bits |= entry.bit;
        }
    }
    fileOp_.fFlags = bits;
}

void TFileOperator::SetWantMappingHandle(bool value) {
    if (value) {
        fileOp_.fFlags |= FOF_WANTMAPPINGHANDLE;
    } else {
        fileOp_.fFlags &= ~FILEOP_FLAGS(FOF_WANTMAPPINGHANDLE);
    }
}

bool TFileOperator::Execute() {
    bool succeeded = false;
    try {
        succeeded = Run();
    } catch (...) {
        win::TraceCaught(L"TFileOperator::Execute");
        succeeded = false;
    }
    try {
        RecordUndo(succeeded);
    } catch (...) {
        win::TraceCaught(L"TFileOperator::Execute");
        ClearOperands();
    }
    operandFrom_.clear();
    operandTo_.clear();
    return succeeded;
}

bool TFileOperator::OutcomeOnDisk(const std::vector<std::wstring>& to) const {
    // Some shells answer success for a move whose sources are gone: what the disk shows decides. Copies under new
    // names (rename on collision) cannot be named in advance and are taken on the shell's word.
    const TFileOperation operation = Operation();
    if ((operation != foMove && operation != foCopy) || (fileOp_.fFlags & FOF_RENAMEONCOLLISION)) {
        return true;
    }
    const bool perItem = to.size() == operandFrom_.size() && (to.size() > 1 || (fileOp_.fFlags & FOF_MULTIDESTFILES));
    if (!perItem && to.size() != 1) {
        return true;
    }
    for (std::size_t i = 0; i < operandFrom_.size(); ++i) {
        const std::wstring& source = operandFrom_[i];
        const std::wstring name = FileNamePart(source);
        if (name.empty()) {
            return true; // a drive root: nothing to look for
        }
        const std::wstring target = perItem ? to[i] : JoinName(to.front(), name);
        if (!PathExists(target)) {
            return false;
        }
        if (operation == foMove && PathExists(source) && !SameFolder(source, target)) {
            return false;
        }
    }
    return true;
}

std::vector<std::wstring> TFileOperator::TargetsPerItem() const {
    // Some shells refuse to move several items into one folder (Wine's reports it as a cancel); every shell accepts
    // the same move with one target per item. The record keeps the folder: undo and callers see the move they asked
    // for.
    if (Operation() != foMove || operandFrom_.size() < 2 || operandTo_.size() != 1 ||
        (fileOp_.fFlags & FOF_MULTIDESTFILES)) {
        return {};
    }
    std::vector<std::wstring> targets;
    for (const auto& source : operandFrom_) {
        const std::wstring name = FileNamePart(source);
        if (name.empty()) {
            return {}; // a drive root has no name to give its target
        }
        targets.push_back(JoinName(operandTo_.front(), name));
    }
    return targets;
}

bool TFileOperator::Run() {
    const std::wstring from = DoubleZeroList(operandFrom_);
    const std::vector<std::wstring> perItem = TargetsPerItem();
    const std::wstring to = DoubleZeroList(perItem.empty() ? operandTo_ : perItem);
    // The shell's dialogs belong to the top-level window that holds the owner.
    fileOp_.hwnd = owner_ != nullptr && IsWindow(owner_) ? GetAncestor(owner_, GA_ROOT) : nullptr;
    FreeNameMappings();
    fileOp_.fAnyOperationsAborted = FALSE;

    bool succeeded = false;
    if (Operation() == foRename) {
        // A plain rename needs no shell dialog.
        succeeded = !operandFrom_.empty() && !operandTo_.empty() &&
                    MoveFileW(operandFrom_.front().c_str(), operandTo_.front().c_str()) != FALSE;
    } else {
        fileOp_.pFrom = from.c_str();
        fileOp_.pTo = to.c_str();
        fileOp_.lpszProgressTitle = (fileOp_.fFlags & FOF_SIMPLEPROGRESS) ? progressTitle_.c_str() : nullptr;
        const FILEOP_FLAGS flags = fileOp_.fFlags;
        if (!perItem.empty()) {
            fileOp_.fFlags |= FOF_MULTIDESTFILES;
        }
        succeeded = SHFileOperationW(&fileOp_) == 0 && !fileOp_.fAnyOperationsAborted;
        fileOp_.fFlags = flags;
        succeeded = succeeded && OutcomeOnDisk(perItem.empty() ? operandTo_ : perItem);
    }
    // The record must not keep pointers into buffers that are about to go.
    fileOp_.pFrom = nullptr;
    fileOp_.pTo = nullptr;
    fileOp_.lpszProgressTitle = nullptr;
    return succeeded;
}

bool FileOperationUndoIsSafe(TFileOperation operation, const std::vector<std::wstring>& from,
                             const std::vector<std::wstring>& to) {
    for (const auto& source : from) {
        // The undo names each item by its name in the destination; a nameless source (a drive root) would make
        // the undo act on the destination folder itself.
        if (FileNamePart(source).empty()) {
            return false;
        }
    }
    switch (operation) {
    case foCopy:
        // A copy into a source's own folder makes no new name (or a renamed one): its undo would delete the
        // original.
        for (const auto& source : from) {
            for (const auto& target : to) {
                if (SameFolder(DirectoryPart(source), target)) {
                    return false;
                }
            }
        }
        return true;
    case foMove:
        // The undo moves everything back into one folder, so the sources must have come from one.
        for (const auto& source : from) {
            if (!SameFolder(DirectoryPart(source), DirectoryPart(from.front()))) {
                return false;
            }
        }
        return true;
    default:
        return true;
    }
}

void TFileOperator::RecordUndo(bool succeeded) {
    const TFileOperationFlags flags = Flags();
    const bool undoable = succeeded && !AnyOperationsAborted() && flags.contains(foAllowUndo) &&
                          !flags.contains(foMultiDestFiles) && !flags.contains(foRenameOnCollision) &&
                          Operation() != foDelete && FileOperationUndoIsSafe(Operation(), operandFrom_, operandTo_);
    if (!undoable) {
        ClearOperands();
        return;
    }
    lastOperandFrom_ = operandFrom_;
    lastOperandTo_ = operandTo_;
    lastFlags_ = flags;
    lastOperation_ = Operation();
    canUndo_ = true;
}

bool TFileOperator::UndoExecute() {
    if (!canUndo_ || lastOperandFrom_.empty() || lastOperandTo_.size() != 1 || lastOperation_ == foDelete ||
        (lastOperation_ == foRename && lastOperandFrom_.size() != 1)) {
        return false;
    }
    const UINT savedFunc = fileOp_.wFunc;
    const FILEOP_FLAGS savedFlags = fileOp_.fFlags;
    std::vector<std::wstring> savedFrom = lastOperandFrom_;
    std::vector<std::wstring> savedTo = lastOperandTo_;
    const TFileOperation savedOperation = lastOperation_;
    TFileOperationFlags savedLastFlags = lastFlags_;
    bool result = false;
    try {
        TFileOperationFlags flags = lastFlags_;
        const std::wstring& destination = lastOperandTo_.front();
        std::vector<std::wstring> namesInDestination;
        for (const auto& source : lastOperandFrom_) {
            namesInDestination.push_back(JoinName(destination, FileNamePart(source)));
        }
        switch (lastOperation_) {
        case foCopy:
            // Remove the copies, at once and for good: they are the operation's own products.
            SetOperation(foDelete);
            flags.erase(foAllowUndo);
            flags.insert(foNoConfirmation);
            operandFrom_ = std::move(namesInDestination);
            operandTo_.clear();
            break;
        case foMove:
            SetOperation(foMove);
            flags.insert({foAllowUndo, foNoConfirmation});
            operandTo_ = {DirectoryPart(lastOperandFrom_.front())};
            operandFrom_ = std::move(namesInDestination);
            break;
        case foRename:
            SetOperation(foRename);
            flags.insert({foAllowUndo, foNoConfirmation});
            operandFrom_ = {lastOperandTo_.front()};
            operandTo_ = {lastOperandFrom_.front()};
            break;
        case foDelete:
            break;
        }
        SetFlags(flags);
        result = Execute();
    } catch (...) {
        win::TraceCaught(L"TFileOperator::UndoExecute");
        result = false;
    }
    if (!result) {
        // Nothing (or not everything) was taken back: the operation still stands and may be undone again.
        lastOperandFrom_ = std::move(savedFrom);
        lastOperandTo_ = std::move(savedTo);
        lastOperation_ = savedOperation;
        lastFlags_ = std::move(savedLastFlags);
        canUndo_ = true;
    }
    fileOp_.wFunc = savedFunc;
    fileOp_.fFlags = savedFlags;
    return result;
}

void TFileOperator::ClearOperands() {
    canUndo_ = false;
    lastOperandFrom_.clear();
    lastOperandTo_.clear();
}

void TFileOperator::FreeNameMappings() {
    if (fileOp_.hNameMappings != nullptr) {
        SHFreeNameMappings(fileOp_.hNameMappings);
        fileOp_.hNameMappings = nullptr;
    }
}
