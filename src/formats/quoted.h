// Words from a command line, a file or the environment as an error message shows them: never raw.
#pragma once

#include <string>
#include <string_view>

namespace talvessa {

// `text` in double quotes with control characters, quotes and backslashes escaped (\n, \0, \x1b ...),
// cut after kQuotedLength bytes with "..." so that a message stays one short line whatever it quotes.
constexpr std::size_t kQuotedLength = 40;
std::string Quoted(std::string_view text, std::size_t longest = kQuotedLength);

// A file's or folder's name as a message shows it: as it is when it reads plainly (no control character,
// quote or backslash, no blank at either end, not empty), else as Quoted shows it; cut only when far
// longer than a word, its end being what names the file.
constexpr std::size_t kQuotedPathLength = 200;
std::string QuotedPath(std::string_view path);

}  // namespace talvessa
