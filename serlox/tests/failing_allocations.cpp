#include "failing_allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace serlox::test {
namespace {

enum class Mode { Off, OwnerThread, OtherThreads };

std::atomic<Mode> g_mode{Mode::Off};
std::atomic<int> g_refused{0};
thread_local bool t_owner = false;

bool ShouldFail() {
    const Mode mode = g_mode.load(std::memory_order_acquire);
    if (mode == Mode::Off) return false;
    if ((mode == Mode::OwnerThread) != t_owner) return false;
    g_refused.fetch_add(1);
    return true;
}

void* Allocate(std::size_t size) {
    if (ShouldFail()) return nullptr;
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
    void* memory = Allocate(size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

FailingAllocations::FailingAllocations(Where where) {
    t_owner = true;
    g_refused = 0;
    g_mode = where == Where::ThisThread ? Mode::OwnerThread : Mode::OtherThreads;
}

FailingAllocations::~FailingAllocations() {
    g_mode = Mode::Off;
    t_owner = false;
}

int FailingAllocations::Refused() const { return g_refused.load(); }

}  // namespace serlox::test

// Every form is replaced, so that memory always goes back the way it came.
void* operator new(std::size_t size) { return serlox::test::AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return serlox::test::AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return serlox::test::Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return serlox::test::Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
