// Runs the talvessa-headless tool as a separate process and reads what it wrote.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace talvessa {

namespace fs = std::filesystem;

inline std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A fresh, empty folder for one test.
inline fs::path Scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("talvessa-test-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

struct Output {
  int status;
  std::string text;  // standard output and error together
};

inline Output RunTool(const std::string& arguments) {
  const std::string command = std::string(TALVESSA_HEADLESS) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  Output out{-1, {}};
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer{};
  while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
    out.text.append(buffer.data(), n);
  const int status = pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

// The raw value of `key` in one line of the tool's trace: a number, a flat list, or a string without
// its quotes.
inline std::string TraceField(const std::string& line, const std::string& key) {
  const std::string name = "\"" + key + "\":";
  const auto at = line.find(name);
  if (at == std::string::npos) return {};
  auto begin = at + name.size();
  if (line[begin] == '"') return line.substr(begin + 1, line.find('"', begin + 1) - begin - 1);
  if (line[begin] == '[') return line.substr(begin, line.find(']', begin) + 1 - begin);  // flat lists only
  return line.substr(begin, line.find_first_of(",}", begin) - begin);
}

}  // namespace talvessa
