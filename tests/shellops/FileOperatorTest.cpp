// The shell file operator: the operations themselves, and the one level of undo that may only ever take back
// what the operation made.
#include "components/FileOperator.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Names with blanks and umlauts, as users give them.
const std::wstring kFirst = L"Grüße an alle.txt";
const std::wstring kSecond = L"zweite Datei ÄÖÜ.txt";

void MakeFile(const fs::path& file, const std::string& content) {
    fs::create_directories(file.parent_path());
    testenv::WriteFileBytes(file, content);
}

std::vector<std::wstring> Paths(const fs::path& folder, const std::vector<std::wstring>& names) {
    std::vector<std::wstring> paths;
    for (const auto& name : names) {
        paths.push_back((folder / name).wstring());
    }
    return paths;
}

// A folder pair with two files in the source.
struct Scene {
    testenv::TempDir root{L"fileop"};
    fs::path source = root / L"Quelle mit Ü";
    fs::path target = root / L"Ziel Ordner";
    Scene() {
        MakeFile(source / kFirst, "first");
        MakeFile(source / kSecond, "second");
        fs::create_directories(target);
    }
};

// Quiet flags: the tests run without anybody to answer a dialog, and never use the recycle bin for a delete.
const TFileOperationFlags kUndoable = {foAllowUndo, foNoConfirmMkDir, foNoConfirmation, foSilent};

} // namespace

TEST(FileOperatorState, StartsWithTheDefaults) {
    TFileOperator op;
    EXPECT_EQ(op.Operation(), foCopy);
    EXPECT_EQ(op.Flags(), (TFileOperationFlags{foAllowUndo, foNoConfirmMkDir}));
    EXPECT_FALSE(op.WantMappingHandle());
    EXPECT_EQ(op.ProgressTitle(), L"File Operation");
    EXPECT_FALSE(op.CanUndo());
    EXPECT_TRUE(op.OperandFrom().empty());
    EXPECT_TRUE(op.OperandTo().empty());
    EXPECT_TRUE(op.LastOperandFrom().empty());
    EXPECT_TRUE(op.LastOperandTo().empty());
}

TEST(FileOperatorState, EveryFlagAndOperationIsKeptOnItsOwn) {
    const TFileOperationFlag all[] = {foAllowUndo,         foConfirmMouse,   foFilesOnly,
                                      foMultiDestFiles,    foNoConfirmation, foNoConfirmMkDir,
                                      foRenameOnCollision, foSilent,         foSimpleProgress};
    TFileOperator op;
    for (TFileOperationFlag flag : all) {
        op.SetFlags({flag});
        EXPECT_EQ(op.Flags(), TFileOperationFlags{flag}) << "flag " << flag;
        EXPECT_FALSE(op.WantMappingHandle()) << "flag " << flag;
    }
    op.SetFlags({});
    op.SetWantMappingHandle(true);
    EXPECT_TRUE(op.Flags().empty());
    op.SetFlags({foSilent, foFilesOnly});
    EXPECT_TRUE(op.WantMappingHandle());
    EXPECT_EQ(op.Flags(), (TFileOperationFlags{foSilent, foFilesOnly}));
    op.SetWantMappingHandle(false);
    EXPECT_EQ(op.Flags(), (TFileOperationFlags{foSilent, foFilesOnly}));

    for (TFileOperation operation : {foCopy, foDelete, foMove, foRename}) {
        op.SetOperation(operation);
        EXPECT_EQ(op.Operation(), operation);
    }
}

TEST(FileOperatorUndo, CopyOfSeveralFilesIsUndoneByRemovingExactlyTheCopies) {
    Scene s;
    MakeFile(s.target / L"schon da.txt", "kept");
    TFileOperator op;
    op.SetFlags(kUndoable);
    op.OperandFrom() = Paths(s.source, {kFirst, kSecond});
    op.OperandTo() = {s.target.wstring()};
    ASSERT_TRUE(op.Execute());
    EXPECT_TRUE(op.OperandFrom().empty());
    EXPECT_TRUE(op.OperandTo().empty());
    EXPECT_EQ(testenv::ReadFileBytes(s.target / kFirst), "first");
    EXPECT_EQ(testenv::ReadFileBytes(s.target / kSecond), "second");
    ASSERT_TRUE(op.CanUndo());
    EXPECT_EQ(op.LastOperation(), foCopy);
    EXPECT_EQ(op.LastOperandFrom(), Paths(s.source, {kFirst, kSecond}));
    EXPECT_EQ(op.LastOperandTo(), std::vector<std::wstring>{s.target.wstring()});

    ASSERT_TRUE(op.UndoExecute());
    EXPECT_FALSE(fs::exists(s.target / kFirst));
    EXPECT_FALSE(fs::exists(s.target / kSecond));
    EXPECT_TRUE(fs::exists(s.target / L"schon da.txt"));
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kSecond), "second");
    // The undo of a copy is a delete, which leaves nothing to undo; the caller's settings are back.
    EXPECT_FALSE(op.CanUndo());
    EXPECT_EQ(op.Operation(), foCopy);
    EXPECT_EQ(op.Flags(), kUndoable);
    EXPECT_FALSE(op.UndoExecute());
}

TEST(FileOperatorUndo, CopyOfAFolderIsUndone) {
    Scene s;
    TFileOperator op;
    op.SetFlags(kUndoable);
    op.OperandFrom() = {s.source.wstring()};
    op.OperandTo() = {(s.target.wstring() + L"\\")};
    ASSERT_TRUE(op.Execute());
    EXPECT_TRUE(fs::exists(s.target / s.source.filename() / kSecond));
    ASSERT_TRUE(op.CanUndo());
    ASSERT_TRUE(op.UndoExecute());
    EXPECT_FALSE(fs::exists(s.target / s.source.filename()));
    EXPECT_TRUE(fs::exists(s.target));
    EXPECT_TRUE(fs::exists(s.source / kSecond));
}

// (One file: Wine's shell cannot move several files into an existing folder in one call.)
TEST(FileOperatorUndo, MoveUndoneTwiceEndsWhereTheFirstMoveEnded) {
    Scene s;
    TFileOperator op;
    op.SetFlags({foAllowUndo, foNoConfirmMkDir});
    op.SetOperation(foMove);
    op.OperandFrom() = Paths(s.source, {kFirst});
    op.OperandTo() = {s.target.wstring()};
    ASSERT_TRUE(op.Execute());
    EXPECT_FALSE(fs::exists(s.source / kFirst));
    EXPECT_EQ(testenv::ReadFileBytes(s.target / kFirst), "first");
    ASSERT_TRUE(op.CanUndo());

    ASSERT_TRUE(op.UndoExecute());
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
    EXPECT_FALSE(fs::exists(s.target / kFirst));
    // Moving back was itself undoable; the caller's settings are back.
    ASSERT_TRUE(op.CanUndo());
    EXPECT_EQ(op.LastOperation(), foMove);
    EXPECT_EQ(op.LastOperandTo(), std::vector<std::wstring>{s.source.wstring() + L"\\"});
    EXPECT_EQ(op.Operation(), foMove);
    EXPECT_EQ(op.Flags(), (TFileOperationFlags{foAllowUndo, foNoConfirmMkDir}));

    ASSERT_TRUE(op.UndoExecute());
    EXPECT_FALSE(fs::exists(s.source / kFirst));
    EXPECT_EQ(testenv::ReadFileBytes(s.target / kFirst), "first");
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kSecond), "second");
}

TEST(FileOperatorUndo, RenameRunsWithoutTheShellAndIsUndone) {
    Scene s;
    const fs::path folder = s.root / L"Ordner Ä";
    fs::create_directories(folder);
    struct Case {
        fs::path from, to;
    };
    const Case cases[] = {
        {s.source / kFirst, s.source / L"neuer Näme.txt"},
        {folder, s.root / L"anderer Ördner"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to.string());
        TFileOperator op;
        op.SetOperation(foRename);
        op.SetFlags({foAllowUndo, foNoConfirmation});
        op.OperandFrom() = {c.from.wstring()};
        op.OperandTo() = {c.to.wstring()};
        ASSERT_TRUE(op.Execute());
        EXPECT_FALSE(fs::exists(c.from));
        EXPECT_TRUE(fs::exists(c.to));
        ASSERT_TRUE(op.CanUndo());
        ASSERT_TRUE(op.UndoExecute());
        EXPECT_TRUE(fs::exists(c.from));
        EXPECT_FALSE(fs::exists(c.to));
    }
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
}

TEST(FileOperatorUndo, OperationsThatRecordNoUndo) {
    struct Case {
        const char* name;
        TFileOperation operation;
        TFileOperationFlags flags;
    };
    const Case cases[] = {
        {"copy without foAllowUndo", foCopy, {foNoConfirmMkDir, foNoConfirmation, foSilent}},
        {"copy with foRenameOnCollision", foCopy, {foAllowUndo, foRenameOnCollision, foNoConfirmation, foSilent}},
        {"copy with foMultiDestFiles", foCopy, {foAllowUndo, foMultiDestFiles, foNoConfirmation, foSilent}},
        {"rename without foAllowUndo", foRename, {foNoConfirmation}},
        // Deletes bypass the recycle bin here: a test must not fill the host's trash.
        {"delete", foDelete, {foNoConfirmation, foSilent}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        TFileOperator op;
        // A record left from an earlier operation must go as well.
        op.SetOperation(foCopy);
        op.SetFlags(kUndoable);
        op.OperandFrom() = Paths(s.source, {kSecond});
        op.OperandTo() = {s.target.wstring()};
        ASSERT_TRUE(op.Execute());
        ASSERT_TRUE(op.CanUndo());

        op.SetOperation(c.operation);
        op.SetFlags(c.flags);
        op.OperandFrom() = Paths(s.source, {kFirst});
        if (c.operation == foRename) {
            op.OperandTo() = {(s.source / L"umbenannt.txt").wstring()};
        } else if (c.operation == foCopy) {
            op.OperandTo() = {(c.flags.contains(foMultiDestFiles) ? s.target / kFirst : s.target).wstring()};
        }
        ASSERT_TRUE(op.Execute());
        EXPECT_FALSE(op.CanUndo());
        EXPECT_TRUE(op.LastOperandFrom().empty());
        EXPECT_TRUE(op.LastOperandTo().empty());
        EXPECT_FALSE(op.UndoExecute());
        EXPECT_EQ(fs::exists(s.source / kFirst), c.operation == foCopy);
        if (c.operation == foCopy) {
            EXPECT_TRUE(fs::exists(s.target / kFirst));
        }
    }
}

// A copy into the sources' own folder: its undo would delete the original.
TEST(FileOperatorUndo, CopyIntoItsOwnFolderRecordsNoUndo) {
    Scene s;
    for (const std::wstring& target : {s.source.wstring(), s.source.wstring() + L"\\"}) {
        TFileOperator op;
        op.SetFlags(kUndoable);
        op.OperandFrom() = Paths(s.source, {kFirst});
        op.OperandTo() = {target};
        op.Execute();
        EXPECT_FALSE(op.CanUndo());
        EXPECT_FALSE(op.UndoExecute());
        EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
    }
}

TEST(FileOperatorUndo, UndoIsOnlyRecordedWhenItCanTakeBackNothingButTheOperation) {
    const std::wstring a = L"T:\\Ordner A\\", b = L"T:\\Ordner B";
    struct Case {
        const char* name;
        TFileOperation operation;
        std::vector<std::wstring> from, to;
        bool safe;
    };
    const Case cases[] = {
        {"copy elsewhere", foCopy, {a + L"x.txt", a + L"y.txt"}, {b}, true},
        {"copy into the own folder", foCopy, {a + L"x.txt"}, {L"T:\\Ordner A"}, false},
        {"copy into the own folder, other case", foCopy, {a + L"x.txt"}, {L"t:\\ordner a\\"}, false},
        {"copy of two folders, one into its own", foCopy, {a + L"x.txt", b + L"\\y.txt"}, {b}, false},
        {"copy of a drive root", foCopy, {L"S:\\"}, {b}, false},
        {"copy of a folder given with backslash", foCopy, {a}, {b}, true},
        {"move from one folder", foMove, {a + L"x.txt", a + L"y.txt"}, {b}, true},
        {"move from two folders", foMove, {a + L"x.txt", b + L"\\y.txt"}, {L"T:\\C"}, false},
        {"move from one folder, other case", foMove, {a + L"x.txt", L"t:\\ordner a\\y.txt"}, {b}, true},
        {"rename", foRename, {a + L"x.txt"}, {a + L"z.txt"}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileOperationUndoIsSafe(c.operation, c.from, c.to), c.safe) << c.name;
    }
}

TEST(FileOperatorFailure, FailedOperationsReportFailureAndRecordNoUndo) {
    struct Case {
        const char* name;
        TFileOperation operation;
        std::vector<std::wstring> from; // names in the source folder
        std::wstring to;                // a name in the target folder, or empty for the folder itself
    };
    const Case cases[] = {
        {"copy of a missing file", foCopy, {L"fehlt nicht da.txt"}, L""},
        {"copy of two files, one missing", foCopy, {kFirst, L"fehlt nicht da.txt"}, L""},
        {"rename of a missing file", foRename, {L"fehlt nicht da.txt"}, L"neu.txt"},
        {"rename onto an existing name", foRename, {kFirst}, L"schon da.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        MakeFile(s.target / L"schon da.txt", "kept");
        TFileOperator op;
        op.SetFlags(kUndoable);
        op.OperandFrom() = Paths(s.source, {kSecond});
        op.OperandTo() = {s.target.wstring()};
        ASSERT_TRUE(op.Execute());
        ASSERT_TRUE(op.CanUndo());

        op.SetOperation(c.operation);
        op.OperandFrom() = Paths(s.source, c.from);
        op.OperandTo() = {(c.to.empty() ? s.target : s.target / c.to).wstring()};
        EXPECT_FALSE(op.Execute());
        EXPECT_TRUE(op.OperandFrom().empty());
        EXPECT_TRUE(op.OperandTo().empty());
        EXPECT_FALSE(op.CanUndo());
        EXPECT_FALSE(op.UndoExecute());
        EXPECT_EQ(testenv::ReadFileBytes(s.target / L"schon da.txt"), "kept");
        EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
    }
}

TEST(FileOperatorUndo, ClearOperandsForgetsTheRecord) {
    Scene s;
    TFileOperator op;
    op.SetFlags(kUndoable);
    op.OperandFrom() = Paths(s.source, {kFirst});
    op.OperandTo() = {s.target.wstring()};
    ASSERT_TRUE(op.Execute());
    ASSERT_TRUE(op.CanUndo());
    op.ClearOperands();
    EXPECT_FALSE(op.CanUndo());
    EXPECT_TRUE(op.LastOperandFrom().empty());
    EXPECT_TRUE(op.LastOperandTo().empty());
    EXPECT_FALSE(op.UndoExecute());
    EXPECT_TRUE(fs::exists(s.target / kFirst));
}

TEST(FileOperatorMove, SeveralFilesAndFoldersMoveIntoOneFolderAndBack) {
    Scene s;
    MakeFile(s.source / L"Unterordner Ö" / L"drin.txt", "inside");
    MakeFile(s.target / L"schon da.txt", "kept");
    TFileOperator op;
    op.SetFlags({foAllowUndo, foNoConfirmMkDir, foNoConfirmation});
    op.SetOperation(foMove);
    op.OperandFrom() = Paths(s.source, {kFirst, kSecond, L"Unterordner Ö"});
    op.OperandTo() = {s.target.wstring()};
    ASSERT_TRUE(op.Execute());
    EXPECT_FALSE(op.AnyOperationsAborted());
    EXPECT_EQ(testenv::ReadFileBytes(s.target / kFirst), "first");
    EXPECT_EQ(testenv::ReadFileBytes(s.target / kSecond), "second");
    EXPECT_EQ(testenv::ReadFileBytes(s.target / L"Unterordner Ö" / L"drin.txt"), "inside");
    EXPECT_EQ(testenv::ReadFileBytes(s.target / L"schon da.txt"), "kept");
    EXPECT_TRUE(fs::is_empty(s.source));
    // The record keeps the move as asked for: into one folder, so it can be taken back.
    ASSERT_TRUE(op.CanUndo());
    EXPECT_EQ(op.LastOperandTo(), std::vector<std::wstring>{s.target.wstring()});
    EXPECT_EQ(op.Flags(), (TFileOperationFlags{foAllowUndo, foNoConfirmMkDir, foNoConfirmation}));

    ASSERT_TRUE(op.UndoExecute());
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kSecond), "second");
    EXPECT_EQ(testenv::ReadFileBytes(s.source / L"Unterordner Ö" / L"drin.txt"), "inside");
    EXPECT_FALSE(fs::exists(s.target / kFirst));
}

TEST(FileOperatorUndo, AFailedUndoKeepsTheOperationUndoable) {
    Scene s;
    TFileOperator op;
    op.SetFlags(kUndoable);
    op.SetOperation(foMove);
    op.OperandFrom() = Paths(s.source, {kFirst});
    op.OperandTo() = {s.target.wstring()};
    ASSERT_TRUE(op.Execute());
    // The moved file is held open without sharing: moving it back fails.
    HANDLE held = CreateFileW((s.target / kFirst).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const bool undone = op.UndoExecute();
    CloseHandle(held);
    if (undone)
        GTEST_SKIP() << "this shell moves files that are held open";
    EXPECT_TRUE(op.CanUndo());
    EXPECT_EQ(op.LastOperation(), foMove);
    EXPECT_EQ(op.LastOperandTo(), std::vector<std::wstring>{s.target.wstring()});
    ASSERT_TRUE(op.UndoExecute());
    EXPECT_EQ(testenv::ReadFileBytes(s.source / kFirst), "first");
}
