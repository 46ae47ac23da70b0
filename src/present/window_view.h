// The window's picture: the visible surface at its place over black, shown whenever that surface
// changes.
#pragma once

#include "platform/platform.h"
#include "present/surface.h"

namespace talvessa {

// Draws `visible` at its Left/Top into a black window picture, cut at the window's edges.
void ComposeWindow(const Surface& visible, WindowPicture& picture);

class WindowView final : public SurfaceWatcher {
 public:
  explicit WindowView(Platform& platform) : platform_(platform) {}
  void SurfaceChanged(const Surface& visible) override;

 private:
  Platform& platform_;
  WindowPicture picture_;
};

}  // namespace talvessa
