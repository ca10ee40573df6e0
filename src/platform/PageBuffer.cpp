#include "platform/PageBuffer.h"

#include "base/SecureWipe.h"

#include <algorithm>
#include <memory>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Below this a heap block is as quick.
constexpr std::size_t MappedSize = std::size_t{4} << 20;

#ifdef __linux__
std::size_t PageSize() noexcept {
    return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}
#endif

} // namespace

TPageBuffer::TPageBuffer(std::size_t size, TPages pages) : FSize(size) {
    if (size == 0)
        return;
#ifdef __linux__
    if (size >= MappedSize) {
        void* const mapped =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped != MAP_FAILED) {
            FData = static_cast<char*>(mapped);
            if (pages == TPages::Now)
                Prefault(0, size);
            return;
        }
    }
#endif
    FHeap = std::make_unique_for_overwrite<char[]>(size); // not cleared: the caller fills it
    FData = FHeap.get();
}

TPageBuffer::~TPageBuffer() {
    Release();
}

TPageBuffer::TPageBuffer(TPageBuffer&& other) noexcept
    : FHeap(std::move(other.FHeap)), FData(std::exchange(other.FData, nullptr)),
      FSize(std::exchange(other.FSize, 0)) {}

TPageBuffer& TPageBuffer::operator=(TPageBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        FHeap = std::move(other.FHeap);
        FData = std::exchange(other.FData, nullptr);
        FSize = std::exchange(other.FSize, 0);
    }
    return *this;
}

void TPageBuffer::Prefault(std::size_t from, std::size_t to) noexcept {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    to = std::min(to, FSize);
    if (FData == nullptr || FHeap || from >= to)
        return;
    const std::size_t page = PageSize();
    const std::size_t first = from / page * page; // the buffer starts on a page
    // A hint: without it, the pages are faulted in one by one as a read fills them.
    ::madvise(FData + first, to - first, MADV_POPULATE_WRITE);
#else
    static_cast<void>(from);
    static_cast<void>(to);
#endif
}

std::size_t TPageBuffer::Discard(std::size_t from, std::size_t to) noexcept {
    to = std::min(to, FSize);
#ifdef __linux__
    if (FData == nullptr || FHeap)
        return to;
    const std::size_t page = PageSize();
    const std::size_t first = (from + page - 1) / page * page; // the buffer starts on a page
    const std::size_t last = to / page * page;
    if (first < last)
        ::madvise(FData + first, last - first, MADV_DONTNEED);
    return std::max(from, last);
#else
    static_cast<void>(from);
    return to;
#endif
}

void TPageBuffer::Release(std::size_t wiped) noexcept {
    if (FData == nullptr)
        return;
    SecureZero(FData, std::min(wiped, FSize));
#ifdef __linux__
    if (!FHeap)
        ::munmap(FData, FSize);
#endif
    FHeap.reset();
    FData = nullptr;
    FSize = 0;
}
