// The page's input: the keys held on the page, by their browser key codes (the game's own key codes),
// and the browser's game controllers through the desktop's controller table. The pump also serves the
// sound keys (M, - and =, a controller's shoulder buttons) and pauses play when the tab is hidden or
// loses the keyboard, as the game's Enter does; the player resumes with Enter.
#pragma once

#include <array>
#include <cstdint>

#include "platform/audio.h"
#include "platform/input.h"
#include "platform/pad_table.h"
#include "platform/player_keys.h"

namespace talvessa {

class WebInput final : public Input {
 public:
  // The volume and mute start as the page stored them.
  explicit WebInput(Audio& audio);

  // The page cannot be closed from within the game: closing its tab ends everything at once.
  PumpResult PumpEvents() override;
  bool WaitForEvents(std::uint32_t timeoutMs) override;
  bool KeyDown(int virtualKey) override;

 private:
  static constexpr int kMostPads = 4;

  Audio& audio_;
  std::array<std::uint8_t, 256> keys_{};
  std::array<PadState, kMostPads> pads_{};
  int padCount_ = 0;
  bool hasKeyboard_ = false;
  SoundKeys soundKeys_;
  // A hidden tab throttles the page's timers to a crawl, and a page that lost the keyboard cannot be
  // played: play pauses itself, as the desktop's --pause-when-unfocused does.
  FocusPause hiddenPause_{true};
};

}  // namespace talvessa
