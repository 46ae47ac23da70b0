#include "make_effects/effects.h"

#include "make_effects/effect_text.h"
#include "make_effects/synth.h"
#include "make_effects/wav.h"
#include "tool_io/tool_io.h"

namespace talvessa::sfx {

std::vector<EffectFile> BuildEffects(const std::filesystem::path& parameterFile) {
  std::vector<EffectFile> files;
  for (const Effect& effect : ReadEffects(parameterFile))
    files.push_back({effect.name, EncodeWav(RenderEffect(effect))});
  return files;
}

void WriteEffects(const std::vector<EffectFile>& effects, const std::filesystem::path& outDir) {
  std::filesystem::create_directories(outDir);
  for (const EffectFile& effect : effects) {
    WriteFile(outDir / (effect.name + ".wav"), effect.wav);
  }
}

}  // namespace talvessa::sfx
