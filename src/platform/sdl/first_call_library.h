// A library the program does not load when it starts but opens at its first use. SDL_ttf and fontconfig
// are reached through forwarders the program defines under the library's own names (text_libraries.cpp):
// each finds the library's function once and calls it. The program exports none of these names, so the
// library's calls among its own functions still reach its own. FluidSynth is reached through a table of
// its functions (rendered_tune.cpp), and the tune stays silent without them.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace talvessa {

struct FirstCallLibrary {
  explicit FirstCallLibrary(const char* soname)
      : name(soname), handle(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
  const char* name;
  void* handle;  // null when the library cannot be opened
};

// The library's own `function`; null when the library or the function is missing.
template <typename Function>
Function FindIfThere(const FirstCallLibrary& library, const char* function) {
  return library.handle != nullptr ? reinterpret_cast<Function>(dlsym(library.handle, function)) : nullptr;
}

// The library's own `function`. Only a library's opening calls run without it, and they check for it
// first; an opened library without one of its functions is broken beyond use.
template <typename Function>
Function FindInLibrary(const FirstCallLibrary& library, const char* function) {
  const Function found = FindIfThere<Function>(library, function);
  if (found == nullptr) {
    std::fprintf(stderr, "talvessa: %s has no %s\n", library.name, function);
    std::abort();
  }
  return found;
}

template <typename Function>
struct ReturnOf;
template <typename Result, typename... Parameters>
struct ReturnOf<Result (*)(Parameters...)> {
  using type = Result;
};

}  // namespace talvessa

// Defines the library's function `name` (its header declares it) as a forwarder to the library that
// `library()` opens.
#define TALVESSA_FORWARD(library, name, parameters, arguments)                                   \
  ::talvessa::ReturnOf<decltype(&::name)>::type name parameters {                                \
    static const auto function = ::talvessa::FindInLibrary<decltype(&::name)>(library(), #name); \
    return function arguments;                                                                   \
  }
