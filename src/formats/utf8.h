// Walking UTF-8 text a character at a time.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace talvessa {

// Whether a byte continues a character (10xxxxxx) rather than starting one.
constexpr bool IsContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The code points of a line; nothing for malformed text or an embedded NUL.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view utf8);

// How many characters a text holds: the bytes that start one.
int CountCharacters(std::string_view utf8);

// The first `count` characters of a text (all of it when it is shorter), each with the continuation
// bytes after it.
std::string_view FirstCharacters(std::string_view utf8, int count);

}  // namespace talvessa
