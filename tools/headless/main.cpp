#include <iostream>
#include <new>

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
  // A run that runs out of memory ends with one line of its own, as any other failure does.
  try {
    return talvessa::RunHeadless(options, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "talvessa-headless: out of memory\n";
    return 1;
  }
}
