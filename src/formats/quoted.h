// Words from a command line, a file or the environment as an error message shows them: never raw.
#pragma once

#include <string>
#include <string_view>

namespace talvessa {

// `text` in double quotes with control characters, quotes and backslashes escaped (\n, \0, \x1b ...),
// cut after kQuotedLength bytes with "..." so that a message stays one short line whatever it quotes.
constexpr std::size_t kQuotedLength = 40;
std::string Quoted(std::string_view text);

}  // namespace talvessa
