#include "platform/sdl/fonts_on_thread.h"

#include <utility>

namespace talvessa {

FontsOnThread::FontsOnThread(std::function<void(const std::string& error)> failed)
    : thread_([this, failed = std::move(failed)] {
        std::string error;
        fonts_ = OpenFontRasterizer(error);
        if (fonts_ == nullptr && failed) failed(error);
      }) {}

FontsOnThread::~FontsOnThread() {
  std::call_once(joined_, [this] { thread_.join(); });
}

bool FontsOnThread::Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                              TextImage& out) {
  std::call_once(joined_, [this] { thread_.join(); });
  return fonts_ != nullptr && fonts_->Rasterize(face, points, bold, utf8, out);
}

}  // namespace talvessa
