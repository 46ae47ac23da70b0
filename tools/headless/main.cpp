#include <iostream>

#include "headless.h"
#include "platform/standard_descriptors.h"

int main(int argc, char** argv) {
  talvessa::KeepStandardDescriptorsOpen();
  talvessa::HeadlessOptions options;
  try {
    options = talvessa::ParseHeadlessArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "talvessa-headless: " << error.what() << " (see --help)\n";
    return 2;
  }
  if (options.help) {
    std::cout << talvessa::HeadlessUsage();
    return 0;
  }
  return talvessa::RunHeadless(options, std::cerr);
}
