// From the parameter file to the nine WAV files the game plays.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace talvessa::sfx {

struct EffectFile {
  std::string name;  // "se0" … "se8"; the file is name + ".wav"
  std::vector<std::uint8_t> wav;
};

// Reads and renders every effect. Throws ParameterError (file:line) for a faulty parameter file, so
// nothing half-made is ever written.
std::vector<EffectFile> BuildEffects(const std::filesystem::path& parameterFile);

// Writes se0.wav … se8.wav into `outDir`, creating it if need be. Throws std::runtime_error when a
// file cannot be written.
void WriteEffects(const std::vector<EffectFile>& effects, const std::filesystem::path& outDir);

}  // namespace talvessa::sfx
