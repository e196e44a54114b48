#pragma once
// A failure hostsim reports to the user as it stands and ends with exit code 1.
#include <stdexcept>

class HostsimError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
