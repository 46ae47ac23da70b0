#include "platform/sdl/fonts.h"

#include <algorithm>
#include <optional>

#include "platform/sdl/fonts_faces.h"

namespace talvessa {

namespace {

std::unique_ptr<FontRasterizer> Open(const std::optional<std::string>& configuration, std::string& error) {
  std::unique_ptr<FaceDirectory> faces = FaceDirectory::Open(configuration, error);
  if (faces == nullptr) return nullptr;
  // Finding them here, where the rasteriser opens, also spares the first line of text the search.
  const auto found = [&faces](const FaceAlias& alias) { return !faces->StandInsFor(std::string(alias.face)).empty(); };
  if (std::none_of(FaceAliases().begin(), FaceAliases().end(), found)) {
    error = "no faces found";
    return nullptr;
  }
  return OpenTtfRasterizer(std::move(faces), error);
}

}  // namespace

std::unique_ptr<FontRasterizer> OpenFontRasterizer(std::string& error) { return Open(std::nullopt, error); }

std::unique_ptr<FontRasterizer> OpenFontRasterizerWithConfiguration(const std::string& fontconfigXml,
                                                                    std::string& error) {
  return Open(fontconfigXml, error);
}

}  // namespace talvessa
