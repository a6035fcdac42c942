#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

// A byte ring buffer guarded by a lock, used to move whole fixed-size records
// (USB message records, CAN frames) from a producer thread to a consumer.
//
// A ring of capacity N holds at most N - 1 bytes. A Write is all or nothing:
// when the bytes do not fit, nothing is stored, the count returned is 0 and
// the records already buffered stay intact, so a record is never left
// half-written. Any number of threads may call any operation at once.
class TFIFO {
public:
    explicit TFIFO(int capacity);

    // Frees and reallocates the storage when the capacity differs (none for 0)
    // and empties the buffer. With capacity 0 every Write and Read returns 0.
    void SetCapacity(int capacity);
    int Capacity() const;
    void Clear();
    // Appends length bytes; returns length, or 0 when they do not fit.
    int Write(const void* source, int length);
    // Removes up to length bytes in order; returns the count read (0 when empty;
    // the destination is untouched then).
    int Read(void* destination, int length);
    int Count() const;
    bool HasAtLeast(int n) const;

private:
    int CountLocked() const;

    mutable std::mutex FLock;
    std::vector<std::uint8_t> FStorage;
    int FReadPos = 0;
    int FWritePos = 0;
};
