// Shows that playing the show allocates nothing: every global allocation function is replaced by one that
// counts, and the counter must not move while frames are drawn.
#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "tests/show/show_test_support.h"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    std::abort();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

TEST(Heap, SetUpAndFramesAllocateNothing)
{
    for (const NamedPixelFormat& named : namedPixelFormats) {
        RestartShow();
        ShowFrame frame(*named.format);
        const long before = allocations.load();
        frame.start();
        for (uint32_t i = 1; i <= 700; ++i)
            frame.draw(i * 100); // a step every frame: drifters wrap and draw random numbers
        EXPECT_EQ(allocations.load(), before) << "format " << named.name;
    }
}

TEST(Heap, CounterSeesAllocations)
{
    const long before = allocations.load();
    int* volatile probe = new int(1); // volatile: the compiler may not elide the pair
    delete probe;
    EXPECT_EQ(allocations.load(), before + 1) << "the replaced operator new is not in use";
}

} // namespace
