#pragma once
// Files read whole and byte strings counted in them, for the tests that pin saved bytes.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/classlib/types.h"

inline std::vector<Byte> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline int Occurrences(const std::vector<Byte>& hay, const std::vector<Byte>& needle) {
  int n = 0;
  for (auto it = hay.begin(); (it = std::search(it, hay.end(), needle.begin(), needle.end())) != hay.end(); ++it) ++n;
  return n;
}
