#pragma once
// Makes the global operator new of the test program fail on purpose, to check that
// code which runs out of memory part-way leaves its data as it was.
#include <cstddef>

namespace failing_allocations {

// While alive, the allocation after `allowed` successful ones (counted on this
// thread) throws std::bad_alloc, and so does every one after it.
class Scope {
 public:
  explicit Scope(std::size_t allowed);
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
  // True once an allocation has been refused.
  bool Failed() const;
};

}  // namespace failing_allocations
