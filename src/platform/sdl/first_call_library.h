// A library the program does not load when it starts but opens at the first call of one of its
// functions, which the program defines under the library's own names (see text_libraries.cpp): each such
// forwarder finds the library's function once and calls it. The program exports none of these names, so
// the library's calls among its own functions still reach its own.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace talvessa {

struct FirstCallLibrary {
  explicit FirstCallLibrary(const char* soname) : name(soname), handle(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
  const char* name;
  void* handle;  // null when the library cannot be opened
};

// The library's own `function`. Only a library's opening calls run without it, and they check for it
// first; an opened library without one of its functions is broken beyond use.
template <typename Function>
Function FindInLibrary(FirstCallLibrary& library, const char* function) {
  void* found = library.handle != nullptr ? dlsym(library.handle, function) : nullptr;
  if (found == nullptr) {
    std::fprintf(stderr, "talvessa: %s has no %s\n", library.name, function);
    std::abort();
  }
  return reinterpret_cast<Function>(found);
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
#define TALVESSA_FORWARD(library, name, parameters, arguments)                                        \
  ::talvessa::ReturnOf<decltype(&::name)>::type name parameters {                                      \
    static const auto function = ::talvessa::FindInLibrary<decltype(&::name)>(library(), #name);      \
    return function arguments;                                                                       \
  }
