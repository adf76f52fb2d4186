#pragma once
// TListExt: a growable list of records owned by the list, which remembers whether it is in order and finds
// records by binary search with the caller's compare routine. The list view keeps its type cache and the icons it
// carries across a reload in it.
#include "components/ComponentErrors.h"
#include "win/Trace.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace listext_detail {

// The three messages name the offending number as an unsigned 32-bit value.
inline std::string Message(const char* what, std::int64_t value) {
    return std::string("TListExt: ") + what + ": " + std::to_string(static_cast<std::uint32_t>(value));
}

} // namespace listext_detail

template <typename T> class TListExt {
public:
    // Returns exactly -1 (key goes before the entry), 0 or 1; any other value counts as equal.
    using TCompare = std::function<int(const T* key, const T* entry)>;
    // Called before a record is released; it may release the slot itself or leave what remains to the list.
    using TFreeItemEvent = std::function<void(TListExt& list, std::unique_ptr<T>& slot, int itemSize)>;

    static constexpr int CapacityStep = 500;

    TListExt() { Reset(); }
    ~TListExt() {
        try {
            Clear();
        } catch (...) {
            // A throwing OnFreeItem must not end the program in a destructor; the slots free themselves.
            win::TraceCaught(L"TListExt::~TListExt");
        }
    }
    TListExt(const TListExt&) = delete;
    TListExt& operator=(const TListExt&) = delete;

    TFreeItemEvent OnFreeItem;

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Sorted() const { return sorted_; }
    static constexpr int ItemSize() { return static_cast<int>(sizeof(T)); }

    // Appends the record and returns its index; the list owns it from here.
    int Add(std::unique_ptr<T> item) {
        if (count_ == capacity_) {
            Grow();
        }
        items_[count_] = std::move(item);
        sorted_ = false;
        return count_++;
    }

    // The record at Index (null after FreeItem); an index outside 0..Count-1 raises ERangeError.
    T* GetItem(int index) const {
        CheckIndex(index);
        return items_[index].get();
    }

    // Releases the record at Index; the slot stays, empty, and Count is unchanged.
    void FreeItem(int index) {
        CheckIndex(index);
        auto& slot = items_[index];
        if (!slot) {
            return;
        }
        if (OnFreeItem) {
            OnFreeItem(*this, slot, ItemSize());
        }
        slot.reset();
    }

    // Releases every record, also those behind a slot that FreeItem emptied.
    void Clear() {
        for (int i = 0; i < count_; ++i) {
            FreeItem(i);
        }
        Reset();
    }

    void Sort(const TCompare& compare) {
        if (count_ > 1 && !sorted_) {
            QuickSort(compare, 0, count_ - 1);
        }
        sorted_ = true;
    }

    // Binary search; an unsorted list is sorted first. -1 when nothing equal is found.
    int FindItem(const T* key, const TCompare& compare) {
        if (key == nullptr || count_ == 0) {
            return -1;
        }
        if (!sorted_) {
            Sort(compare);
        }
        int low = 0;
        int high = count_ - 1;
        while (low <= high) {
            int middle = low + (high - low) / 2;
            int c = Compare(compare, key, items_[middle].get());
            if (c == 0) {
                return middle;
            }
            if (c < 0) {
                high = middle - 1;
            } else {
                low = middle + 1;
            }
        }
        return -1;
    }

    // The first equal record in insertion order while unsorted; otherwise as FindItem.
    int IndexOfItem(const T* key, const TCompare& compare) {
        if (key == nullptr) {
            return -1;
        }
        if (sorted_) {
            return FindItem(key, compare);
        }
        for (int i = 0; i < count_; ++i) {
            if (Compare(compare, key, items_[i].get()) == 0) {
                return i;
            }
        }
        return -1;
    }

private:
    static int Compare(const TCompare& compare, const T* key, const T* entry) {
        int c = compare(key, entry);
        return (c == -1 || c == 1) ? c : 0;
    }

    void Reset() {
        std::vector<std::unique_ptr<T>> fresh(CapacityStep + 1);
        items_.swap(fresh);
        count_ = 0;
        capacity_ = CapacityStep;
        sorted_ = true;
    }

    void Grow() {
        if (capacity_ > std::numeric_limits<int>::max() - CapacityStep - 1) {
            throw ERangeError(listext_detail::Message("buffer overflow", count_));
        }
        try {
            items_.resize(static_cast<std::size_t>(capacity_) + CapacityStep + 1);
        } catch (const std::bad_alloc&) {
            throw ERangeError(listext_detail::Message("buffer overflow", count_));
        } catch (const std::length_error&) {
            throw ERangeError(listext_detail::Message("buffer overflow", count_));
        }
        capacity_ += CapacityStep;
    }

    void CheckIndex(int index) const {
        if (index < 0 || index >= count_) {
            throw ERangeError(listext_detail::Message("index out of range", index));
        }
    }

    // Hoare partitioning around the middle entry. The smaller part recurses and the larger one loops, so the
    // stack stays shallow whatever the order.
    void QuickSort(const TCompare& compare, int low, int high) {
        while (low < high) {
            int i = low;
            int j = high;
            const T* pivot = items_[low + (high - low) / 2].get();
            while (i <= j) {
                // The bounds only matter for a compare routine that contradicts itself.
                while (i < high && Compare(compare, items_[i].get(), pivot) == -1) {
                    ++i;
                }
                while (j > low && Compare(compare, pivot, items_[j].get()) == -1) {
                    --j;
                }
                if (i <= j) {
                    std::swap(items_[i], items_[j]);
                    ++i;
                    --j;
                }
            }
            if (j - low < high - i) {
                if (j > low) {
                    QuickSort(compare, low, j);
                }
                low = i;
            } else {
                if (i < high) {
                    QuickSort(compare, i, high);
                }
                high = j;
            }
        }
    }

    std::vector<std::unique_ptr<T>> items_;
    int count_ = 0;
    int capacity_ = CapacityStep;
    bool sorted_ = true;
};
