#include "make_effects/effects.h"

#include <fstream>
#include <stdexcept>

#include "make_effects/effect_text.h"
#include "make_effects/synth.h"
#include "make_effects/wav.h"

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
    const std::filesystem::path file = outDir / (effect.name + ".wav");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(effect.wav.data()),
              static_cast<std::streamsize>(effect.wav.size()));
    if (!out) throw std::runtime_error(file.string() + ": cannot be written");
  }
}

}  // namespace talvessa::sfx
