// The game's fonts opened on a thread of their own while the logo is revealed: fontconfig reads its
// configuration and cache and SDL_ttf starts, work the first pictures have no use for. main starts it
// once the logo's first frame is shown (on two cores it slowed the window's opening by a third); the
// first line of text waits for the opening to end.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sdl/fonts.h"

namespace talvessa {

class FontsOnThread final : public GlyphRasterizer {
 public:
  // The rasteriser (OpenFontRasterizer) opens on its thread from Start(), or at the first line asked for;
  // `failed` hears, on that thread (or in Start, when no thread can start), why it could not open.
  // Without it every line is refused, as the game draws no text without fonts.
  explicit FontsOnThread(std::function<void(const std::string& error)> failed);
  ~FontsOnThread() override;
  FontsOnThread(const FontsOnThread&) = delete;
  FontsOnThread& operator=(const FontsOnThread&) = delete;

  // Starts the opening; later calls do nothing.
  void Start();
  bool Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                 TextImage& out) override;

 private:
  std::function<void(const std::string& error)> failed_;
  std::unique_ptr<FontRasterizer> fonts_;
  std::once_flag started_;
  std::once_flag joined_;
  std::thread thread_;
};

}  // namespace talvessa
