// The growable record list: growth, ownership, sorting and search, and its range errors.
#include "components/ListExt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

struct Rec {
    int key = 0;
    int seq = 0;
    int* live = nullptr;
    Rec(int k, int s, int* counter = nullptr) : key(k), seq(s), live(counter) {
        if (live) {
            ++*live;
        }
    }
    ~Rec() {
        if (live) {
            --*live;
        }
    }
};

int ByKey(const Rec* a, const Rec* b) {
    return a->key < b->key ? -1 : (a->key > b->key ? 1 : 0);
}

std::vector<int> Keys(const TListExt<Rec>& list) {
    std::vector<int> keys;
    for (int i = 0; i < list.Count(); ++i) {
        keys.push_back(list.GetItem(i)->key);
    }
    return keys;
}

std::string RangeMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const ERangeError& e) {
        return e.what();
    }
    return "(no ERangeError)";
}

} // namespace

TEST(ListExt, StartsEmptySortedWithRoomFor500) {
    TListExt<Rec> list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 500);
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(list.ItemSize(), static_cast<int>(sizeof(Rec)));
    list.Clear();
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(list.Capacity(), 500);
}

TEST(ListExt, GrowsInStepsOf500AndClearShrinksBack) {
    TListExt<Rec> list;
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(list.Add(std::make_unique<Rec>(i, i)), i);
    }
    EXPECT_EQ(list.Capacity(), 500);
    list.Add(std::make_unique<Rec>(500, 500));
    EXPECT_EQ(list.Capacity(), 1000);
    EXPECT_EQ(list.Count(), 501);
    EXPECT_EQ(list.GetItem(500)->key, 500);
    for (int i = 501; i <= 1000; ++i) {
        list.Add(std::make_unique<Rec>(i, i));
    }
    EXPECT_EQ(list.Capacity(), 1500);
    EXPECT_FALSE(list.Sorted());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 500);
    EXPECT_TRUE(list.Sorted());
}

TEST(ListExt, IndexOutsideTheEntriesIsARangeError) {
    TListExt<Rec> list;
    list.Add(std::make_unique<Rec>(1, 0));
    list.Add(std::make_unique<Rec>(2, 1));
    EXPECT_EQ(RangeMessage([&] { list.GetItem(2); }), "TListExt: index out of range: 2");
    EXPECT_EQ(RangeMessage([&] { list.GetItem(-1); }), "TListExt: index out of range: 4294967295");
    EXPECT_EQ(RangeMessage([&] { list.FreeItem(7); }), "TListExt: index out of range: 7");
    EXPECT_EQ(RangeMessage([&] { TListExt<Rec>().GetItem(0); }), "TListExt: index out of range: 0");
    EXPECT_EQ(list.GetItem(1)->key, 2);
}

TEST(ListExt, ReleasesEveryRecordAlsoBehindAHole) {
    int live = 0;
    {
        TListExt<Rec> list;
        for (int i = 0; i < 5; ++i) {
            list.Add(std::make_unique<Rec>(i, i, &live));
        }
        ASSERT_EQ(live, 5);
        list.FreeItem(1);
        EXPECT_EQ(live, 4);
        EXPECT_EQ(list.GetItem(1), nullptr);
        EXPECT_EQ(list.Count(), 5);
        list.FreeItem(1); // an empty slot stays empty
        list.Clear();
        EXPECT_EQ(live, 0);
        list.Add(std::make_unique<Rec>(9, 9, &live));
    }
    EXPECT_EQ(live, 0); // the destructor releases too
}

TEST(ListExt, FreeItemEventSeesTheSlotFirst) {
    int live = 0;
    TListExt<Rec> list;
    std::vector<int> seen;
    std::vector<std::unique_ptr<Rec>> keptByHandler;
    list.OnFreeItem = [&](TListExt<Rec>& l, std::unique_ptr<Rec>& slot, int itemSize) {
        EXPECT_EQ(&l, &list);
        EXPECT_EQ(itemSize, static_cast<int>(sizeof(Rec)));
        seen.push_back(slot->key);
        if (slot->key == 2) {
            keptByHandler.push_back(std::move(slot)); // the handler may take the record over
        }
    };
    for (int i = 1; i <= 3; ++i) {
        list.Add(std::make_unique<Rec>(i, i, &live));
    }
    list.Clear();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(live, 1);
    ASSERT_EQ(keptByHandler.size(), 1u);
    EXPECT_EQ(keptByHandler[0]->key, 2);
}

TEST(ListExt, SortsAnyOrder) {
    std::mt19937 random(7);
    const std::vector<std::vector<int>> inputs = {
        {}, {5}, {2, 1}, {1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1}, {3, 3, 3, 3}, {4, 1, 4, 1, 4, 1, 0},
    };
    auto cases = inputs;
    std::vector<int> large(3000);
    for (auto& v : large) {
        v = static_cast<int>(random() % 200);
    }
    cases.push_back(large);
    for (const auto& input : cases) {
        TListExt<Rec> list;
        for (int v : input) {
            list.Add(std::make_unique<Rec>(v, 0));
        }
        list.Sort(ByKey);
        auto expected = input;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Keys(list), expected);
        EXPECT_TRUE(list.Sorted());
    }
}

TEST(ListExt, FindItemSortsFirstThenSearchesBinary) {
    TListExt<Rec> list;
    for (int v : {40, 10, 30, 20, 50}) {
        list.Add(std::make_unique<Rec>(v, 0));
    }
    ASSERT_FALSE(list.Sorted());
    Rec key(30, 0);
    EXPECT_EQ(list.FindItem(&key, ByKey), 2);
    EXPECT_TRUE(list.Sorted());
    EXPECT_EQ(Keys(list), (std::vector<int>{10, 20, 30, 40, 50}));
    int calls = 0;
    auto counting = [&](const Rec* a, const Rec* b) {
        ++calls;
        return ByKey(a, b);
    };
    Rec key50(50, 0);
    EXPECT_EQ(list.IndexOfItem(&key50, counting), 4);
    EXPECT_LE(calls, 3); // binary, not a walk from the front
    Rec missing(35, 0);
    EXPECT_EQ(list.FindItem(&missing, ByKey), -1);
    EXPECT_EQ(list.FindItem(nullptr, ByKey), -1);
    TListExt<Rec> empty;
    EXPECT_EQ(empty.FindItem(&key, ByKey), -1);
}

TEST(ListExt, IndexOfItemOnUnsortedListFindsTheFirstInInsertionOrder) {
    TListExt<Rec> list;
    for (auto [k, s] : std::vector<std::pair<int, int>>{{7, 0}, {3, 1}, {7, 2}, {3, 3}}) {
        list.Add(std::make_unique<Rec>(k, s));
    }
    Rec key(3, 0);
    int found = list.IndexOfItem(&key, ByKey);
    ASSERT_EQ(found, 1);
    EXPECT_EQ(list.GetItem(found)->seq, 1);
    EXPECT_FALSE(list.Sorted()); // a linear search leaves the order alone
    Rec none(9, 0);
    EXPECT_EQ(list.IndexOfItem(&none, ByKey), -1);
    EXPECT_EQ(list.IndexOfItem(nullptr, ByKey), -1);
}

TEST(ListExt, CompareResultsOtherThanMinusOneAndOneCountAsEqual) {
    TListExt<Rec> list;
    for (int v : {1, 2, 3}) {
        list.Add(std::make_unique<Rec>(v, 0));
    }
    // "greater" answered as 2: the first entry the key is compared with counts as equal.
    auto sloppy = [](const Rec* a, const Rec* b) { return a->key < b->key ? -1 : (a->key > b->key ? 2 : 0); };
    Rec key(3, 0);
    EXPECT_EQ(list.IndexOfItem(&key, sloppy), 0);
}
