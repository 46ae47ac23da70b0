// The game's face names turned into font files by fontconfig. The game asks for Windows faces no
// Debian machine has, and fontconfig answers unknown names with DejaVu Sans (no Japanese at all), so
// the names are aliased to faces we know and only those faces are accepted.
#pragma once

#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fonts/fonts.h"

namespace talvessa {

class FaceDirectory final : public FaceFinder {
 public:
  // Over the system's configuration, or over the document `configuration` when one is given.
  static std::unique_ptr<FaceDirectory> Open(const std::optional<std::string>& configuration,
                                             std::string& error);
  ~FaceDirectory() override;
  FaceDirectory(const FaceDirectory&) = delete;
  FaceDirectory& operator=(const FaceDirectory&) = delete;

  // The files for `face` at any size, best first, found once. Only families its alias names are kept, so
  // a name without an alias has none.
  const std::vector<StandIn>& StandInsFor(const std::string& face) override;

 private:
  explicit FaceDirectory(FcConfig* config) : config_(config) {}
  std::vector<StandIn> Resolve(const std::string& face) const;

  FcConfig* config_;
  std::map<std::string, std::vector<StandIn>> resolved_;
};

}  // namespace talvessa
