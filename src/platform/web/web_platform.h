// The browser backend: the page's canvas, keys and controllers, clock and Web Audio sound. It owns the
// services it hands to the game.
#pragma once

#include "platform/platform.h"
#include "platform/web/web_audio.h"
#include "platform/web/web_clock.h"
#include "platform/web/web_input.h"
#include "platform/web/web_screen.h"

namespace talvessa {

class WebPlatform {
 public:
  WebPlatform();
  WebPlatform(const WebPlatform&) = delete;
  WebPlatform& operator=(const WebPlatform&) = delete;

  // The data folder "da/" sits beside the page: the program's folder is the page's own.
  Platform Services();
  // The game (or the replay shown, with `replay`) has ended with PlayGame's `status`: the page says how,
  // and offers to play again.
  void Ended(int status, bool replay);

 private:
  WebClock clock_;
  WebScreen screen_;
  WebAudio sound_;
  // What the game hears when the browser has no Web Audio at all.
  SilentAudio silence_;
  Audio& audio_;
  WebInput input_;
};

}  // namespace talvessa
