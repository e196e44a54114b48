#pragma once
// The one error the host raises to its C++ callers: a clear message for the user.
// It never crosses the C API, whose calls return failure values instead.
#include <stdexcept>
#include <string>

namespace host {

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace host
