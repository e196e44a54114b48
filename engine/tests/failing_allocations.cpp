#include "failing_allocations.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool armed = false;
thread_local std::size_t left = 0;
thread_local bool refused = false;

void* Allocate(std::size_t size) {
  if (armed) {
    if (left == 0) {
      refused = true;
      throw std::bad_alloc();
    }
    --left;
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace failing_allocations {

Scope::Scope(std::size_t allowed) {
  left = allowed;
  refused = false;
  armed = true;
}

Scope::~Scope() { armed = false; }

bool Scope::Failed() const { return refused; }

}  // namespace failing_allocations

// The replacements pair with each other (malloc and free), so a sanitizer sees no
// mismatch between them.
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// The standard library's temporary buffers take the nothrow forms and give them back
// through the plain delete: they must come from the same pair.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
