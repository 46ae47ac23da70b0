// Whole scenes of play rendered by the headless tool and compared pixel for pixel with the pictures
// kept in tests/golden. After an intended change of the drawing, run the tests with
// TALVESSA_UPDATE_GOLDEN=1 to write the new pictures, look at them, and commit them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "png/png_file.h"
#include "support/headless_tool.h"
#include "support/scratch_folder.h"

namespace talvessa {
namespace {

namespace fs = std::filesystem;

struct Scene {
  const char* name;
  std::vector<std::string> arguments;
  const char* keys;  // a key script, or empty
};

// The scenes are keyed by loop pass (the autopilot chooses its keys pass by pass too), so that how the
// game waits cannot change them.
constexpr const char* kStartThenIdle = "p61 Space down\np70 Space up\n";

const Scene kScenes[] = {
    {"phase1", {"--seed", "7", "--autopilot", "--until-pass", "3485"}, ""},
    {"phase2", {"--seed", "7", "--autopilot", "--until-pass", "7661"}, ""},
    {"phase3", {"--seed", "7", "--autopilot", "--until-pass", "10103"}, ""},
    {"standoff", {"--seed", "3", "--until-pass", "1387"}, kStartThenIdle},
    {"pause",
     {"--seed", "7", "--until-pass", "933"},
     "p61 Space down\np70 Space up\np830 Enter down\np851 Enter up\n"},
};

void PrintTo(const Scene& scene, std::ostream* os) { *os << scene.name; }

class Golden : public ::testing::TestWithParam<Scene> {};

TEST_P(Golden, SceneLooksAsKept) {
  const Scene& scene = GetParam();
  testing::ScratchFolder dir(std::string("golden-") + scene.name);
  std::vector<std::string> args = scene.arguments;
  args.insert(args.end(), {"--last-frame", (dir / "actual.png").string()});
  if (*scene.keys != '\0')
    args.insert(args.end(), {"--keys", dir.WriteText("keys.txt", scene.keys).string()});
  const testing::ProcessResult out = testing::RunHeadless(args);
  ASSERT_EQ(out.status, 0) << out.output;
  const fs::path kept =
      fs::path(TALVESSA_SOURCE_DIR) / "tests" / "golden" / (std::string(scene.name) + ".png");
  if (std::getenv("TALVESSA_UPDATE_GOLDEN") != nullptr) {
    fs::copy_file(dir / "actual.png", kept, fs::copy_options::overwrite_existing);
    GTEST_SKIP() << "wrote " << kept;
  }
  WindowPicture expected, actual;
  ASSERT_TRUE(LoadPng(kept.string(), expected)) << "cannot read " << kept;
  ASSERT_TRUE(LoadPng((dir / "actual.png").string(), actual));
  std::size_t differing = 0;
  for (std::size_t i = 0; i < actual.rgb.size(); i += 3) {
    differing += actual.rgb[i] != expected.rgb[i] || actual.rgb[i + 1] != expected.rgb[i + 1] ||
                 actual.rgb[i + 2] != expected.rgb[i + 2];
  }
  EXPECT_EQ(differing, 0u) << "the picture differs; see " << (dir / "actual.png");
  if (differing != 0) dir.Keep();
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden, ::testing::ValuesIn(kScenes),
                         [](const ::testing::TestParamInfo<Scene>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace talvessa
