#include "platform/sdl/fonts_on_thread.h"

#include <utility>

namespace talvessa {

FontsOnThread::FontsOnThread(std::function<void(const std::string& error)> failed)
    : failed_(std::move(failed)) {}

FontsOnThread::~FontsOnThread() {
  std::call_once(joined_, [this] {
    if (thread_.joinable()) thread_.join();
  });
}

void FontsOnThread::Start() {
  std::call_once(started_, [this] {
    thread_ = std::thread([this] {
      std::string error;
      fonts_ = OpenFontRasterizer(error);
      if (fonts_ == nullptr && failed_) failed_(error);
    });
  });
}

bool FontsOnThread::Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                              TextImage& out) {
  Start();
  std::call_once(joined_, [this] { thread_.join(); });
  return fonts_ != nullptr && fonts_->Rasterize(face, points, bold, utf8, out);
}

}  // namespace talvessa
