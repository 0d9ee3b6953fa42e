#include "bench/storage/counting_allocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<bool> g_bCounting{false};
std::atomic<long long> g_nLive{0};
std::atomic<long long> g_nPeak{0};

// Every block carries the size asked for in front, counted or not, so that a block allocated
// before the start is known when it is freed after; the header keeps the caller's part as
// aligned as malloc's.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t nBytes) noexcept
{
    void* pBlock = std::malloc(nBytes + kHeader);
    if (!pBlock)
        return nullptr;
    *static_cast<std::size_t*>(pBlock) = nBytes;
    if (g_bCounting.load(std::memory_order_relaxed))
    {
        const long long nAdded = static_cast<long long>(nBytes);
        const long long nLive = g_nLive.fetch_add(nAdded, std::memory_order_relaxed) + nAdded;
        long long nPeak = g_nPeak.load(std::memory_order_relaxed);
        while (nLive > nPeak &&
               !g_nPeak.compare_exchange_weak(nPeak, nLive, std::memory_order_relaxed))
        {
        }
    }
    return static_cast<char*>(pBlock) + kHeader;
}

void Free(void* p) noexcept
{
    if (!p)
        return;
    char* pBlock = static_cast<char*>(p) - kHeader;
    if (g_bCounting.load(std::memory_order_relaxed))
        g_nLive.fetch_sub(static_cast<long long>(*reinterpret_cast<std::size_t*>(pBlock)),
                          std::memory_order_relaxed);
    std::free(pBlock);
}

void* AllocateOrThrow(std::size_t nBytes)
{
    for (;;)
    {
        if (void* p = Allocate(nBytes ? nBytes : 1))
            return p;
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}
}  // namespace

void heap_count::Start()
{
    g_nLive.store(0, std::memory_order_relaxed);
    g_nPeak.store(0, std::memory_order_relaxed);
    g_bCounting.store(true, std::memory_order_relaxed);
}

void heap_count::Stop()
{
    g_bCounting.store(false, std::memory_order_relaxed);
}

long long heap_count::LiveBytes()
{
    return g_nLive.load(std::memory_order_relaxed);
}

long long heap_count::PeakBytes()
{
    return g_nPeak.load(std::memory_order_relaxed);
}

void* operator new(std::size_t nBytes)
{
    return AllocateOrThrow(nBytes);
}

void* operator new[](std::size_t nBytes)
{
    return AllocateOrThrow(nBytes);
}

void* operator new(std::size_t nBytes, const std::nothrow_t&) noexcept
{
    try
    {
        return AllocateOrThrow(nBytes);
    }
    catch (...)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t nBytes, const std::nothrow_t& tag) noexcept
{
    return operator new(nBytes, tag);
}

void operator delete(void* p) noexcept
{
    Free(p);
}
void operator delete[](void* p) noexcept
{
    Free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    Free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Free(p);
}
