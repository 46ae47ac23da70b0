// Numbers written as text, as the tools read them from their command lines and source files.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace talvessa {

// `text` as a number of type T (whole or floating point) when all of it is one that T holds: nothing
// for blanks, a sign T cannot take, anything after the digits, or a value out of T's range.
template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace talvessa
