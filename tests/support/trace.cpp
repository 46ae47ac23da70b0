#include "support/trace.h"

#include <fstream>
#include <stdexcept>

namespace talvessa::testing {

std::vector<nlohmann::json> ReadTrace(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::vector<nlohmann::json> passes;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    nlohmann::json pass = nlohmann::json::parse(line, nullptr, false);
    if (!pass.is_object()) {
      throw std::runtime_error(file.string() + ":" + std::to_string(number) + ": not a JSON object: " + line);
    }
    passes.push_back(std::move(pass));
  }
  return passes;
}

std::vector<std::string> LoopsInOrder(const std::vector<nlohmann::json>& passes) {
  std::vector<std::string> order;
  for (const nlohmann::json& pass : passes) {
    const std::string& loop = pass.at("loop").get_ref<const std::string&>();
    if (order.empty() || order.back() != loop) order.push_back(loop);
  }
  return order;
}

}  // namespace talvessa::testing
