#include "platform/sdl/fonts_on_thread.h"

#include <new>
#include <system_error>
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
    try {
      thread_ = std::thread([this] {
        std::string error;
        try {
          fonts_ = OpenFontRasterizer(error);
        } catch (const std::bad_alloc&) {
          error = "no memory left to open the fonts";
        }
        if (fonts_ == nullptr && failed_) failed_(error);
      });
    } catch (const std::system_error& error) {
      // Without a thread (no memory left for its stack) the fonts are not opened at all.
      if (failed_) failed_(std::string("no thread could start to open the fonts (") + error.what() + ")");
    }
  });
}

bool FontsOnThread::Rasterize(const std::string& face, int points, bool bold, const std::string& utf8,
                              TextImage& out) {
  Start();
  std::call_once(joined_, [this] {
    if (thread_.joinable()) thread_.join();
  });
  return fonts_ != nullptr && fonts_->Rasterize(face, points, bold, utf8, out);
}

}  // namespace talvessa
