#pragma once
// Sample arrays of a whole recording can run to hundreds of megabytes. They
// are taken from calloc, whose large blocks come straight from the kernel as
// zero pages, and elements are not written when the vector is sized: a new
// array reads as zeros without the program touching every page first.

#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

namespace tavrel {

template <typename T> struct ZeroPageAllocator {
    using value_type = T;
    ZeroPageAllocator() = default;
    template <typename U> ZeroPageAllocator(const ZeroPageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n == 0)
            n = 1;
        void* p = std::calloc(n, sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }

    // Default-initialise instead of value-initialise: calloc already zeroed it.
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U> bool operator==(const ZeroPageAllocator<U>&) const noexcept {
        return true;
    }
};

// A float array whose fresh elements are zero; resize() only zero-fills when
// it grows an array that was already in use, which callers avoid by assigning
// a new array instead.
using FloatArray = std::vector<float, ZeroPageAllocator<float>>;

} // namespace tavrel
