#pragma once
// TFileOperator: copies, moves, deletes and renames files and folders through the shell, so that the shell's own
// progress, confirmation and recycle-bin behaviour apply, and keeps one level of undo.
//
// Fill OperandFrom (and OperandTo), set Operation and Flags, call Execute; the operand lists are empty afterwards.
// Undo is recorded only for an operation that fully succeeded and whose undo can only remove or move back what
// the operation itself made: never for a delete, a rename-on-collision or multi-destination run, a copy into a
// source's own folder (its undo would delete the original), or a move from more than one folder (its undo would
// put items into the wrong folder). Used on the user-interface thread only.
#include <windows.h>
#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

enum TFileOperation { foCopy, foDelete, foMove, foRename };

enum TFileOperationFlag {
    foAllowUndo,
    foConfirmMouse,
    foFilesOnly,
    foMultiDestFiles,
    foNoConfirmation,
    foNoConfirmMkDir,
    foRenameOnCollision,
    foSilent,
    foSimpleProgress
};
using TFileOperationFlags = std::set<TFileOperationFlag>;

// Whether the undo of a successful operation could only take back what the operation made: false for a copy into
// a source's own folder, a move from more than one folder, and a source without a name of its own (a drive root).
// The flag and outcome conditions are Execute's own.
bool FileOperationUndoIsSafe(TFileOperation operation, const std::vector<std::wstring>& from,
                             const std::vector<std::wstring>& to);

class TFileOperator {
public:
    // The owner window (a borrowed handle, may be null) decides which top-level window owns the shell's dialogs.
    explicit TFileOperator(HWND owner = nullptr);
    ~TFileOperator();
    TFileOperator(const TFileOperator&) = delete;
    TFileOperator& operator=(const TFileOperator&) = delete;

    TFileOperation Operation() const;
    void SetOperation(TFileOperation value);

    TFileOperationFlags Flags() const;
    void SetFlags(const TFileOperationFlags& value);

    bool WantMappingHandle() const { return (fileOp_.fFlags & FOF_WANTMAPPINGHANDLE) != 0; }
    void SetWantMappingHandle(bool value);

    // Handed to the shell as the progress caption when foSimpleProgress is set.
    const std::wstring& ProgressTitle() const { return progressTitle_; }
    void SetProgressTitle(const std::wstring& value) { progressTitle_ = value; }

    // Full paths of the next operation's sources and destinations.
    std::vector<std::wstring>& OperandFrom() { return operandFrom_; }
    std::vector<std::wstring>& OperandTo() { return operandTo_; }
    const std::vector<std::wstring>& OperandFrom() const { return operandFrom_; }
    const std::vector<std::wstring>& OperandTo() const { return operandTo_; }

    // The undo record.
    bool CanUndo() const { return canUndo_; }
    const std::vector<std::wstring>& LastOperandFrom() const { return lastOperandFrom_; }
    const std::vector<std::wstring>& LastOperandTo() const { return lastOperandTo_; }
    TFileOperation LastOperation() const { return lastOperation_; }
    const TFileOperationFlags& LastFlags() const { return lastFlags_; }

    // Set by the shell when the user aborted the last operation (read after a delete to tell abort from success).
    bool AnyOperationsAborted() const { return fileOp_.fAnyOperationsAborted != FALSE; }

    // Runs the operation; true on success, false when the shell failed or the user aborted. A move of several items
    // into one folder is handed to the shell with one target per item, the form every shell accepts. Never throws.
    bool Execute();
    // Undoes the recorded operation; true when an undo operation ran and succeeded. A failed undo keeps the record
    // (the operation still stands). Never throws.
    bool UndoExecute();
    // Forgets the undo record.
    void ClearOperands();

private:
    bool Run();
    // The targets of a move of several items into one folder, one per item; empty when the operation needs none.
    std::vector<std::wstring> TargetsPerItem() const;
    // Whether the disk shows what a copy or move into to claims to have done.
    bool OutcomeOnDisk(const std::vector<std::wstring>& to) const;
    void RecordUndo(bool succeeded);
    void FreeNameMappings();

    HWND owner_;
    SHFILEOPSTRUCTW fileOp_{};
    std::wstring progressTitle_ = L"File Operation";
    std::vector<std::wstring> operandFrom_;
    std::vector<std::wstring> operandTo_;
    std::vector<std::wstring> lastOperandFrom_;
    std::vector<std::wstring> lastOperandTo_;
    TFileOperation lastOperation_ = foCopy;
    TFileOperationFlags lastFlags_;
    bool canUndo_ = false;
};
