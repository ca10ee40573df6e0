#pragma once

// A buffer for a whole file read at once: its bytes are not cleared first (the read fills them),
// and a large one comes straight from the system with its pages set up in one call instead of one
// fault each. Its bytes are wiped before it goes.

#include <cstddef>
#include <memory>

class TPageBuffer {
public:
    // Later: the pages are faulted in by Prefault, or one by one as they are written.
    enum class TPages { Now, Later };
    TPageBuffer() = default;
    explicit TPageBuffer(std::size_t size, TPages pages = TPages::Now);
    ~TPageBuffer();
    TPageBuffer(TPageBuffer&& other) noexcept;
    TPageBuffer& operator=(TPageBuffer&& other) noexcept;
    TPageBuffer(const TPageBuffer&) = delete;
    TPageBuffer& operator=(const TPageBuffer&) = delete;

    char* data() noexcept { return FData; }
    const char* data() const noexcept { return FData; }
    std::size_t size() const noexcept { return FSize; }

    // Faults in the pages of bytes [from, to) at once, ahead of writing them; two threads may do
    // it for two ranges at once.
    void Prefault(std::size_t from, std::size_t to) noexcept;
    // Gives the memory of the whole pages within bytes [from, to) back ahead of the rest; they
    // read as zeros after. Bytes on the heap stay until the buffer goes. Returns where the next
    // range may start: the page that holds `to`, which is not given back yet.
    std::size_t Discard(std::size_t from, std::size_t to) noexcept;
    // Wipes the bytes and gives the memory back.
    void Release() noexcept { Release(FSize); }
    // The same, wiping only the first `wiped` bytes: the rest the caller has copied and keeps
    // unwiped itself.
    void Release(std::size_t wiped) noexcept;

private:
    std::unique_ptr<char[]> FHeap; // a small buffer; a large one comes from mmap
    char* FData = nullptr;
    std::size_t FSize = 0;
};
