#include "components/FileChanges.h"

#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Batch {
    DWORD threadId = 0;
    std::vector<std::wstring> paths;
};

std::wstring MakeFile(const testenv::TempDir& dir, const std::wstring& name) {
    std::filesystem::path file = dir / name;
    testenv::WriteFileBytes(file, "x");
    return file.wstring();
}

ULONGLONG Elapsed(ULONGLONG since) {
    return GetTickCount64() - since;
}

} // namespace

TEST(FileDeleteThread, ReportsVanishedPathsInBatchesOnTheCallingThread) {
    testenv::TempDir dir(L"fdt");
    const std::wstring a = MakeFile(dir, L"a.txt");
    const std::wstring b = MakeFile(dir, L"b.txt");
    const std::wstring c = MakeFile(dir, L"c.txt");
    std::filesystem::create_directory(dir / L"sub");
    const std::wstring sub = (dir / L"sub").wstring();

    std::vector<Batch> batches;
    TFileDeleteThread* sender = nullptr;
    auto watcher = std::make_unique<TFileDeleteThread>(
        std::vector<std::wstring>{a, b, sub, c},
        [&](TFileDeleteThread* Sender, const std::vector<std::wstring>& Vanished) {
            sender = Sender;
            batches.push_back({GetCurrentThreadId(), Vanished});
            if (batches.size() == 1) {
                // Both go while the worker waits for this call, so the next pass finds them gone together.
                std::filesystem::remove(c);
                std::filesystem::remove(dir / L"sub");
            }
        },
        10);

    std::filesystem::remove(a);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return batches.size() >= 2; }, 5000));
    EXPECT_EQ(sender, watcher.get());
    EXPECT_EQ(batches[0].paths, std::vector<std::wstring>{a});
    EXPECT_EQ(batches[1].paths, (std::vector<std::wstring>{sub, c})) << "list order is kept";
    for (const Batch& batch : batches) {
        EXPECT_EQ(batch.threadId, GetCurrentThreadId());
    }
    EXPECT_FALSE(watcher->Finished()) << "b.txt is still there";

    std::filesystem::remove(b);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return watcher->Finished(); }, 5000));
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[2].paths, std::vector<std::wstring>{b});
}

TEST(FileDeleteThread, EndsAtTheTimeOutWithoutCallback) {
    testenv::TempDir dir(L"fdt");
    const std::wstring kept = MakeFile(dir, L"kept.txt");
    int calls = 0;
    const ULONGLONG start = GetTickCount64();
    TFileDeleteThread watcher(
        {kept, dir.path().wstring()}, [&](TFileDeleteThread*, const std::vector<std::wstring>&) { ++calls; }, 1);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return watcher.Finished(); }, 5000));
    EXPECT_GE(Elapsed(start), 900u);
    EXPECT_EQ(calls, 0);
}

TEST(FileDeleteThread, EmptyListEndsAfterTheFirstPass) {
    const ULONGLONG start = GetTickCount64();
    int calls = 0;
    TFileDeleteThread watcher(
        {}, [&](TFileDeleteThread*, const std::vector<std::wstring>&) { ++calls; }, 10);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return watcher.Finished(); }, 3000));
    EXPECT_GE(Elapsed(start), TFileDeleteThread::PollInterval - 50);
    EXPECT_LT(Elapsed(start), 5000u);
    EXPECT_EQ(calls, 0);
}

TEST(FileDeleteThread, WithoutCallbackStillEndsWhenAllAreGone) {
    testenv::TempDir dir(L"fdt");
    const std::wstring a = MakeFile(dir, L"a.txt");
    TFileDeleteThread watcher({a}, nullptr, 10);
    std::filesystem::remove(a);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return watcher.Finished(); }, 3000));
}

TEST(FileDeleteThread, DestroyingEarlyIsPrompt) {
    testenv::TempDir dir(L"fdt");
    const std::wstring kept = MakeFile(dir, L"kept.txt");
    auto watcher = std::make_unique<TFileDeleteThread>(
        std::vector<std::wstring>{kept}, [](TFileDeleteThread*, const std::vector<std::wstring>&) {}, 60);
    const ULONGLONG start = GetTickCount64();
    watcher.reset();
    EXPECT_LT(Elapsed(start), 300u) << "the worker must not finish its 500 ms wait first";
}

TEST(FileDeleteThread, DestroyingWhileABatchWaitsDropsIt) {
    testenv::TempDir dir(L"fdt");
    const std::wstring a = MakeFile(dir, L"a.txt");
    int calls = 0;
    auto watcher = std::make_unique<TFileDeleteThread>(
        std::vector<std::wstring>{a}, [&](TFileDeleteThread*, const std::vector<std::wstring>&) { ++calls; }, 60);
    std::filesystem::remove(a);
    // Wait, without serving it, until the worker hands its batch over: it is then blocked in the synchronous call.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0 && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
    }
    ASSERT_NE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE, 0u) << "no batch was handed over";
    const ULONGLONG start = GetTickCount64();
    watcher.reset();
    EXPECT_LT(Elapsed(start), 1000u);
    EXPECT_EQ(calls, 0) << "a batch for an owner that is going must not be delivered";
}

TEST(FileDeleteThread, MayBeDestroyedFromItsOwnCallback) {
    testenv::TempDir dir(L"fdt");
    const std::wstring a = MakeFile(dir, L"a.txt");
    const std::wstring b = MakeFile(dir, L"b.txt");
    std::unique_ptr<TFileDeleteThread> watcher;
    std::vector<std::wstring> seen;
    watcher = std::make_unique<TFileDeleteThread>(
        std::vector<std::wstring>{a, b},
        [&](TFileDeleteThread*, const std::vector<std::wstring>& Vanished) {
            watcher.reset();
            seen = Vanished; // still readable after the watcher went
        },
        10);
    std::filesystem::remove(a);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return watcher == nullptr; }, 5000));
    EXPECT_EQ(seen, std::vector<std::wstring>{a});
}
