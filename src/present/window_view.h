// The window's picture: the visible surface at its place over black, shown whenever that surface
// changes.
#pragma once

#include "platform/screen.h"
#include "present/surface.h"

namespace talvessa {

// Draws `visible` at its Left/Top into a black window picture, cut at the window's edges.
void ComposeWindow(const Surface& visible, WindowPicture& picture);

class WindowView final : public SurfaceWatcher {
 public:
  explicit WindowView(Screen& screen) : screen_(screen) {}
  void SurfaceChanged(const Surface& visible) override;

 private:
  Screen& screen_;
  WindowPicture picture_;
};

}  // namespace talvessa
