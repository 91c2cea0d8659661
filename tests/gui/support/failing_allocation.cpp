#include "tests/gui/support/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

// 0 when nothing is armed. The process has one GUI thread.
std::size_t gFailAtLeast = 0;

void* AllocateOrThrow(std::size_t size) {
  if (gFailAtLeast != 0 && size >= gFailAtLeast) {
    gFailAtLeast = 0;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return AllocateOrThrow(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void FailNextAllocationOf(std::size_t bytes) { gFailAtLeast = bytes; }
bool AllocationFailurePending() { return gFailAtLeast != 0; }

// Every form of the plain operators is replaced, so that new and delete
// always pair on malloc and free, also under the sanitizers.
void* operator new(std::size_t n) { return AllocateOrThrow(n); }
void* operator new[](std::size_t n) { return AllocateOrThrow(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return AllocateOrNull(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return AllocateOrNull(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
