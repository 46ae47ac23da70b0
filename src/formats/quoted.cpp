#include "formats/quoted.h"

#include <algorithm>
#include <cstdio>

namespace talvessa {

std::string Quoted(std::string_view text, std::size_t longest) {
  std::size_t length = text.size();
  if (length > longest) {
    length = longest;
    // Never cut a UTF-8 character in two: step back over its continuation bytes.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::string out = "\"";
  for (const char c : text.substr(0, length)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\0') {
      out += "\\0";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += length < text.size() ? "\"..." : "\"";
  return out;
}

std::string QuotedPath(std::string_view path) {
  const auto odd = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
  };
  const bool plain = !path.empty() && path.front() != ' ' && path.back() != ' ' &&
                     path.size() <= kQuotedPathLength && std::none_of(path.begin(), path.end(), odd);
  return plain ? std::string(path) : Quoted(path, kQuotedPathLength);
}

}  // namespace talvessa
