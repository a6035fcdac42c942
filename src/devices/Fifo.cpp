#include "Fifo.h"

#include <algorithm>
#include <cstring>

TFIFO::TFIFO(int capacity) : FStorage(static_cast<std::size_t>(std::max(capacity, 0))) {}

void TFIFO::SetCapacity(int capacity) {
    std::lock_guard<std::mutex> guard(FLock);
    capacity = std::max(capacity, 0);
    if (capacity != static_cast<int>(FStorage.size())) {
        FStorage.assign(static_cast<std::size_t>(capacity), 0);
        FStorage.shrink_to_fit();
    }
    FReadPos = FWritePos = 0;
}

int TFIFO::Capacity() const {
    std::lock_guard<std::mutex> guard(FLock);
    return static_cast<int>(FStorage.size());
}

void TFIFO::Clear() {
    std::lock_guard<std::mutex> guard(FLock);
    FReadPos = FWritePos = 0;
}

int TFIFO::CountLocked() const {
    const int diff = FWritePos - FReadPos;
    return diff < 0 ? diff + static_cast<int>(FStorage.size()) : diff;
}

int TFIFO::Write(const void* source, int length) {
    if (length <= 0 || source == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(FLock);
    const int capacity = static_cast<int>(FStorage.size());
    if (capacity == 0 || length > capacity - 1 - CountLocked())
        return 0;
    const auto* src = static_cast<const std::uint8_t*>(source);
    const int first = std::min(length, capacity - FWritePos);
    std::memcpy(FStorage.data() + FWritePos, src, static_cast<std::size_t>(first));
    std::memcpy(FStorage.data(), src + first, static_cast<std::size_t>(length - first));
    FWritePos = (FWritePos + length) % capacity;
    return length;
}

int TFIFO::Read(void* destination, int length) {
    if (length <= 0 || destination == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(FLock);
    const int capacity = static_cast<int>(FStorage.size());
    const int n = std::min(length, CountLocked());
    if (n == 0)
        return 0;
    auto* dst = static_cast<std::uint8_t*>(destination);
    const int first = std::min(n, capacity - FReadPos);
    std::memcpy(dst, FStorage.data() + FReadPos, static_cast<std::size_t>(first));
    std::memcpy(dst + first, FStorage.data(), static_cast<std::size_t>(n - first));
    FReadPos = (FReadPos + n) % capacity;
    return n;
}

int TFIFO::Count() const {
    std::lock_guard<std::mutex> guard(FLock);
    return CountLocked();
}

bool TFIFO::HasAtLeast(int n) const { return Count() >= n; }
