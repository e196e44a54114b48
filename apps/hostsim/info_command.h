#pragma once
// `hostsim info`: loads the module, runs the handshake and prints what the module told
// the host about itself.
#include <iosfwd>
#include <string>

// 0 on success; on failure a message on `err` and 1.
int RunInfo(const std::string& modulePath, std::ostream& out, std::ostream& err);
