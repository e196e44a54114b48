#pragma once
// Small text helpers of the kit: blank tests and trailing path separators.
#include <string>
#include <string_view>

// True when `s` is empty or holds only spaces (character 32; a tab is not blank).
bool IsBlank(std::string_view s);
// `s` without leading and trailing spaces and control characters.
std::string TrimText(std::string_view s);
// `s` with a trailing separator: unchanged when it is not blank and already ends with one,
// else followed by '\' (or by '/' when it is a name of this file system: it holds '/' and
// no '\'). A blank text gets a backslash too.
std::string AddBackslash(std::string_view s);
// `s` without its trailing separator ('\' or '/') when it is not blank and ends with one.
std::string RemoveBackslash(std::string_view s);
