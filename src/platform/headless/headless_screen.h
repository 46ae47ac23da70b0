// The headless screen: every picture the game shows is counted and kept, and handed to a listener.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/screen.h"

namespace talvessa {

class HeadlessScreen final : public Screen {
 public:
  void Present(const WindowPicture& picture) override {
    lastPicture_ = picture;
    ++presentCount_;
    if (onPresent) onPresent(lastPicture_, presentCount_);
  }

  std::uint64_t PresentCount() const { return presentCount_; }
  const WindowPicture& LastPicture() const { return lastPicture_; }

  // Called with every picture presented and its number, counting from 1.
  std::function<void(const WindowPicture&, std::uint64_t)> onPresent;

 private:
  std::uint64_t presentCount_ = 0;
  WindowPicture lastPicture_;
};

}  // namespace talvessa
