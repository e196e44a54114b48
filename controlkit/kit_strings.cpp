#include "controlkit/kit_strings.h"

#include "platform/classlib/sysutils.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsBlank(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}

std::string TrimText(std::string_view s) { return Trim(s); }

std::string AddBackslash(std::string_view s) {
  if (!IsBlank(s) && IsSeparator(s.back())) return std::string(s);
  const bool unixStyle = s.find('/') != std::string_view::npos && s.find('\\') == std::string_view::npos;
  std::string result(s);
  result += unixStyle ? '/' : '\\';
  return result;
}

std::string RemoveBackslash(std::string_view s) {
  if (!IsBlank(s) && IsSeparator(s.back())) return std::string(s.substr(0, s.size() - 1));
  return std::string(s);
}
