// SDL_ttf and fontconfig, and FreeType and HarfBuzz behind them, opened by their first call rather than
// loaded with the program (first_call_library.h): the fonts open on a thread of their own once the logo's
// first frame is shown, and loading a dozen libraries before it cost the start a tenth of its CPU time.
//
// Without a library its opening calls fail as the library itself would fail: TTF_Init gives -1 (its
// reason in SDL_GetError) and FcInitLoadConfig and FcConfigCreate null. Nothing else is called then.
#include <SDL.h>
#include <SDL_ttf.h>
#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include "platform/sdl/first_call_library.h"

namespace {

using talvessa::FirstCallLibrary;
using talvessa::FindInLibrary;

// Opened once, by whichever thread calls first (in the game, the fonts' thread).
FirstCallLibrary& Ttf() {
  static FirstCallLibrary library("libSDL2_ttf-2.0.so.0");
  return library;
}
FirstCallLibrary& Fontconfig() {
  static FirstCallLibrary library("libfontconfig.so.1");
  return library;
}

}  // namespace

int TTF_Init() {
  if (Ttf().handle == nullptr) return SDL_SetError("cannot open %s (%s)", Ttf().name, dlerror());
  static const auto function = FindInLibrary<decltype(&::TTF_Init)>(Ttf(), "TTF_Init");
  return function();
}
TALVESSA_FORWARD(Ttf, TTF_Quit, (), ())
TALVESSA_FORWARD(Ttf, TTF_OpenFontIndexDPI,
                 (const char* file, int points, long index, unsigned int hdpi, unsigned int vdpi),
                 (file, points, index, hdpi, vdpi))
TALVESSA_FORWARD(Ttf, TTF_CloseFont, (TTF_Font * font), (font))
TALVESSA_FORWARD(Ttf, TTF_SetFontStyle, (TTF_Font * font, int style), (font, style))
TALVESSA_FORWARD(Ttf, TTF_FontAscent, (const TTF_Font* font), (font))
TALVESSA_FORWARD(Ttf, TTF_GlyphIsProvided32, (TTF_Font * font, Uint32 point), (font, point))
TALVESSA_FORWARD(Ttf, TTF_GlyphMetrics32,
                 (TTF_Font * font, Uint32 point, int* minX, int* maxX, int* minY, int* maxY, int* advance),
                 (font, point, minX, maxX, minY, maxY, advance))
TALVESSA_FORWARD(Ttf, TTF_RenderUTF8_Blended, (TTF_Font * font, const char* text, SDL_Color colour),
                 (font, text, colour))

FcConfig* FcInitLoadConfig() {
  if (Fontconfig().handle == nullptr) return nullptr;
  static const auto function = FindInLibrary<decltype(&::FcInitLoadConfig)>(Fontconfig(), "FcInitLoadConfig");
  return function();
}
FcConfig* FcConfigCreate() {
  if (Fontconfig().handle == nullptr) return nullptr;
  static const auto function = FindInLibrary<decltype(&::FcConfigCreate)>(Fontconfig(), "FcConfigCreate");
  return function();
}
TALVESSA_FORWARD(Fontconfig, FcConfigDestroy, (FcConfig * config), (config))
TALVESSA_FORWARD(Fontconfig, FcConfigParseAndLoadFromMemory,
                 (FcConfig * config, const FcChar8* buffer, FcBool complain), (config, buffer, complain))
TALVESSA_FORWARD(Fontconfig, FcConfigBuildFonts, (FcConfig * config), (config))
TALVESSA_FORWARD(Fontconfig, FcConfigSubstitute, (FcConfig * config, FcPattern* pattern, FcMatchKind kind),
                 (config, pattern, kind))
TALVESSA_FORWARD(Fontconfig, FcDefaultSubstitute, (FcPattern * pattern), (pattern))
TALVESSA_FORWARD(Fontconfig, FcFontSort,
                 (FcConfig * config, FcPattern* pattern, FcBool trim, FcCharSet** charsets, FcResult* result),
                 (config, pattern, trim, charsets, result))
TALVESSA_FORWARD(Fontconfig, FcFontSetDestroy, (FcFontSet * fonts), (fonts))
TALVESSA_FORWARD(Fontconfig, FcPatternCreate, (), ())
TALVESSA_FORWARD(Fontconfig, FcPatternDestroy, (FcPattern * pattern), (pattern))
TALVESSA_FORWARD(Fontconfig, FcPatternAddString, (FcPattern * pattern, const char* object, const FcChar8* s),
                 (pattern, object, s))
TALVESSA_FORWARD(Fontconfig, FcPatternGetInteger, (const FcPattern* pattern, const char* object, int n, int* i),
                 (pattern, object, n, i))
TALVESSA_FORWARD(Fontconfig, FcPatternGetString,
                 (const FcPattern* pattern, const char* object, int n, FcChar8** s), (pattern, object, n, s))
