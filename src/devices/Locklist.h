#pragma once
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

// A pointer list guarded by a re-entrant mutex: a caller may Lock the list,
// iterate, and call the list's own operations, which lock again.
//
// TLockList<T> does not own its entries; TOwningLockList<T> deletes them when
// they are deleted, removed, cleared or when the list is destroyed. The owner
// of a list makes sure that no other thread uses it while it is destroyed.
template <typename T>
class TLockList {
public:
    TLockList() = default;
    TLockList(const TLockList&) = delete;
    TLockList& operator=(const TLockList&) = delete;
    virtual ~TLockList() = default;

    void Lock() const { FMutex.lock(); }
    void Unlock() const { FMutex.unlock(); }

    // Returns the index of the entry, appending it when it is not present.
    virtual int Add(T* item) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        const int found = IndexOf(item);
        if (found >= 0)
            return found;
        FItems.push_back(item);
        return static_cast<int>(FItems.size()) - 1;
    }
    virtual int IndexOf(const T* item) const {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        auto it = std::find(FItems.begin(), FItems.end(), item);
        return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
    }
    // Removes the entry at index; an index out of range changes nothing.
    virtual void Delete(int index) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        if (index < 0 || index >= static_cast<int>(FItems.size()))
            return;
        T* item = FItems[static_cast<std::size_t>(index)];
        FItems.erase(FItems.begin() + index);
        Release(item);
    }
    void Remove(T* item) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        Delete(IndexOf(item));
    }
    void Clear() {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        std::vector<T*> old;
        old.swap(FItems);
        for (T* item : old)
            Release(item);
    }
    int Count() const {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        return static_cast<int>(FItems.size());
    }
    // The entry at index, or nullptr out of range.
    T* Get(int index) const {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        if (index < 0 || index >= static_cast<int>(FItems.size()))
            return nullptr;
        return FItems[static_cast<std::size_t>(index)];
    }
    void Put(int index, T* item) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        if (index < 0 || index >= static_cast<int>(FItems.size()))
            return;
        T* old = FItems[static_cast<std::size_t>(index)];
        FItems[static_cast<std::size_t>(index)] = item;
        if (old != item)
            Release(old);
    }
    // Appends without the presence check (lists that may hold one entry twice).
    void Append(T* item) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        FItems.push_back(item);
    }
    // Inserts at index (clamped to 0..Count).
    void Insert(int index, T* item) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        index = std::clamp(index, 0, static_cast<int>(FItems.size()));
        FItems.insert(FItems.begin() + index, item);
    }
    // Takes the entry out of the list without releasing it.
    T* Extract(int index) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        if (index < 0 || index >= static_cast<int>(FItems.size()))
            return nullptr;
        T* item = FItems[static_cast<std::size_t>(index)];
        FItems.erase(FItems.begin() + index);
        return item;
    }
    // Sorts the entries in place under the lock (stable).
    template <typename TLess>
    void Sort(TLess less) {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        std::stable_sort(FItems.begin(), FItems.end(), less);
    }
    // A copy of the entries taken under the lock.
    std::vector<T*> Snapshot() const {
        std::lock_guard<std::recursive_mutex> guard(FMutex);
        return FItems;
    }
    std::recursive_mutex& Mutex() const { return FMutex; }

protected:
    virtual void Release(T*) {}

private:
    mutable std::recursive_mutex FMutex;
    std::vector<T*> FItems;
};

template <typename T>
class TOwningLockList : public TLockList<T> {
public:
    ~TOwningLockList() override { this->Clear(); }

protected:
    void Release(T* item) override { delete item; }
};
