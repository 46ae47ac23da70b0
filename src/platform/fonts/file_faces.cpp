#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "platform/fonts/fonts.h"

namespace talvessa {

namespace {

bool Readable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

class FolderFaces final : public FaceFinder {
 public:
  explicit FolderFaces(std::string folder) : folder_(std::move(folder)) {}

  const std::vector<StandIn>& StandInsFor(const std::string& face) override {
    auto found = resolved_.find(face);
    if (found == resolved_.end()) found = resolved_.emplace(face, Resolve(face)).first;
    return found->second;
  }

 private:
  std::vector<StandIn> Resolve(const std::string& face) const {
    const auto alias = std::find_if(FaceAliases().begin(), FaceAliases().end(),
                                    [&](const FaceAlias& a) { return a.face == face; });
    std::vector<StandIn> standIns;
    if (alias == FaceAliases().end()) return standIns;
    for (const FaceTarget& target : alias->targets) {
      const std::string path = folder_ + "/" + FaceFileName(target.family);
      if (Readable(path)) standIns.push_back({std::string(target.family), path, 0, target.fromPoints});
    }
    return standIns;
  }

  std::string folder_;
  std::map<std::string, std::vector<StandIn>> resolved_;
};

}  // namespace

std::string FaceFileName(std::string_view family) { return std::string(family) + ".ttf"; }

std::unique_ptr<FontRasterizer> OpenFontRasterizerFromFiles(const std::string& folder, std::string& error) {
  return OpenTtfRasterizer(std::make_unique<FolderFaces>(folder), error);
}

}  // namespace talvessa
