#include "platform/sdl/fonts_faces.h"

#include <algorithm>
#include <string_view>

namespace talvessa {

namespace {

// The aliases as fontconfig rules, kept in the program so that they can never go missing.
std::string AliasDocument() {
  std::string xml = "<?xml version=\"1.0\"?>\n<fontconfig>\n";
  for (const FaceAlias& alias : FaceAliases()) {
    xml += "<match target=\"pattern\"><test name=\"family\"><string>";
    xml += alias.face;
    xml += "</string></test><edit name=\"family\" mode=\"prepend\" binding=\"strong\">";
    for (const FaceTarget& target : alias.targets) {
      xml += "<string>";
      xml += target.family;
      xml += "</string>";
    }
    xml += "</edit></match>\n";
  }
  return xml + "</fontconfig>\n";
}

const FcChar8* Fc(const std::string& text) { return reinterpret_cast<const FcChar8*>(text.c_str()); }

std::vector<std::string> Families(FcPattern* pattern) {
  std::vector<std::string> families;
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    families.emplace_back(reinterpret_cast<const char*>(family));
  }
  return families;
}

}  // namespace

std::unique_ptr<FaceDirectory> FaceDirectory::Open(const std::optional<std::string>& configuration,
                                                   std::string& error) {
  FcConfig* config = configuration ? FcConfigCreate() : FcInitLoadConfig();
  if (config == nullptr) {
    error = "fontconfig: no configuration";
    return nullptr;
  }
  // Loading reports failure only when asked to complain; fontconfig then names the fault on stderr.
  const char* failure = nullptr;
  if (configuration && !FcConfigParseAndLoadFromMemory(config, Fc(*configuration), FcTrue)) {
    failure = "fontconfig: the configuration given does not load";
  } else if (!FcConfigParseAndLoadFromMemory(config, Fc(AliasDocument()), FcTrue)) {
    failure = "fontconfig: the face aliases do not load";
  } else if (!FcConfigBuildFonts(config)) {
    failure = "fontconfig: the font list cannot be built";
  }
  if (failure != nullptr) {
    FcConfigDestroy(config);
    error = failure;
    return nullptr;
  }
  return std::unique_ptr<FaceDirectory>(new FaceDirectory(config));
}

FaceDirectory::~FaceDirectory() { FcConfigDestroy(config_); }

const std::vector<StandIn>& FaceDirectory::StandInsFor(const std::string& face) {
  auto found = resolved_.find(face);
  if (found == resolved_.end()) found = resolved_.emplace(face, Resolve(face)).first;
  return found->second;
}

std::vector<StandIn> FaceDirectory::Resolve(const std::string& face) const {
  const auto alias = std::find_if(FaceAliases().begin(), FaceAliases().end(),
                                  [&](const FaceAlias& a) { return a.face == face; });
  if (alias == FaceAliases().end()) return {};

  // The name goes in as a family value, never through fontconfig's name syntax, where the "-" of
  // "HG正楷書体-PRO" would start a point size.
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return {};
  FcPatternAddString(pattern, FC_FAMILY, Fc(face));
  FcConfigSubstitute(config_, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  // A target counts only when the alias rule really put it into the request.
  const std::vector<std::string> requested = Families(pattern);
  auto target = [&](const std::string& family) -> const FaceTarget* {
    const auto found = std::find_if(alias->targets.begin(), alias->targets.end(),
                                    [&](const FaceTarget& t) { return t.family == family; });
    const bool requestedToo = std::find(requested.begin(), requested.end(), family) != requested.end();
    return found != alias->targets.end() && requestedToo ? &*found : nullptr;
  };

  std::vector<StandIn> standIns;
  FcResult result = FcResultNoMatch;
  if (FcFontSet* fonts = FcFontSort(config_, pattern, FcFalse, nullptr, &result)) {
    for (int i = 0; i < fonts->nfont; ++i) {
      FcChar8* path = nullptr;
      int index = 0;
      if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) != FcResultMatch) continue;
      if (FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index) != FcResultMatch) index = 0;
      for (const std::string& family : Families(fonts->fonts[i])) {
        const FaceTarget* wanted = target(family);
        if (wanted == nullptr) continue;
        standIns.push_back({family, reinterpret_cast<const char*>(path), index, wanted->fromPoints});
        break;
      }
    }
    FcFontSetDestroy(fonts);
  }
  FcPatternDestroy(pattern);
  return standIns;
}

}  // namespace talvessa
