#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace delve {

// A fixed-size array of plain records whose memory comes straight from the
// kernel as zero pages (an anonymous mapping): making one writes nothing, and
// a page costs a fault only when it is first touched. For the big tables
// that start all zero (the grid, the marks, the room table), where a
// value-initialised std::vector would fault in and clear every page up front.
// Copies are deep; moves hand the mapping over.
template <typename T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "zero pages are only a valid value for plain records");

public:
    ZeroedArray() = default;
    explicit ZeroedArray(size_t count) : data_(map(count)), size_(count) {}
    // For a table that is written whole at once: asks the kernel for large
    // pages, so filling it takes a few faults instead of one per 4 KB page.
    static ZeroedArray dense(size_t count) {
        ZeroedArray a(count);
        if (a.data_) madvise(a.data_, count * sizeof(T), MADV_HUGEPAGE); // a hint; fine if refused
        return a;
    }
    ZeroedArray(const ZeroedArray& other) : ZeroedArray(other.size_) {
        if (size_) std::memcpy(data_, other.data_, size_ * sizeof(T));
    }
    ZeroedArray(ZeroedArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    ZeroedArray& operator=(ZeroedArray other) noexcept {
        swap(other);
        return *this;
    }
    ~ZeroedArray() { unmap(data_, size_); }

    void swap(ZeroedArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

    // Bytes of the array that have pages in memory now (for measurements).
    size_t residentBytes() const {
        if (!data_) return 0;
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        const size_t pages = (size_ * sizeof(T) + page - 1) / page;
        std::vector<unsigned char> in(pages);
        if (mincore(data_, size_ * sizeof(T), in.data()) != 0) return 0;
        size_t n = 0;
        for (unsigned char c : in) n += c & 1;
        return n * page;
    }

    bool operator==(const ZeroedArray& other) const { return sameBytes(other.data_, other.size_); }
    bool operator==(const std::vector<T>& other) const { return sameBytes(other.data(), other.size()); }

private:
    static T* map(size_t count) {
        if (count == 0) return nullptr;
        if (count > size_t(-1) / sizeof(T)) throw std::bad_alloc();
        void* p = mmap(nullptr, count * sizeof(T), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    static void unmap(T* p, size_t count) {
        if (p) munmap(p, count * sizeof(T));
    }
    bool sameBytes(const T* p, size_t count) const {
        return count == size_ && (size_ == 0 || std::memcmp(data_, p, size_ * sizeof(T)) == 0);
    }

    T* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace delve
