// The hand-written sources of the sounds (effect parameters, the tune's note list) read as lines of
// words separated by blanks, with ';' starting a comment.
#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

namespace talvessa {

// The words of one line, without the comment that a ';' starts.
inline std::vector<std::string_view> SourceWords(std::string_view line) {
  line = line.substr(0, line.find(';'));
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (true) {
    at = line.find_first_not_of(" \t\r", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

}  // namespace talvessa
