#include "platform/web/web_input.h"

#include <algorithm>

#include "platform/keys.h"
#include "platform/web/page_bridge.h"

namespace talvessa {

namespace {

std::uint64_t NowMs() { return static_cast<std::uint64_t>(page::NowMs()); }

// The player's sound as the page stored it on an earlier visit; full volume the first time.
SoundKeys StoredSoundKeys() {
  const page::StoredSound stored = page::LoadStoredSound();
  if (stored.volume < 0) return SoundKeys{kFullVolume, false};
  return SoundKeys{std::min(stored.volume, kFullVolume), stored.muted};
}

}  // namespace

WebInput::WebInput(Audio& audio) : audio_(audio), soundKeys_(StoredSoundKeys()) {
  audio_.SetVolume(soundKeys_.Heard());
}

PumpResult WebInput::PumpEvents() {
  const page::PumpReport report = page::Pump(keys_.data());
  hasKeyboard_ = report.hasKeyboard;
  for (int key = page::NextSoundKey(); key >= 0; key = page::NextSoundKey()) {
    soundKeys_.Pressed(static_cast<SoundKeys::Key>(key / 2), key % 2 != 0);
    audio_.SetVolume(soundKeys_.Heard());
    page::StoreSound({soundKeys_.Volume(), soundKeys_.Muted()});
  }
  padCount_ = page::ReadPads(pads_.data(), kMostPads);
  hiddenPause_.Pumped(report.wentHidden, NowMs());
  return PumpResult::Running;
}

bool WebInput::WaitForEvents(std::uint32_t timeoutMs) {
  hiddenPause_.Waited(NowMs());
  return page::WaitForEvents(static_cast<int>(timeoutMs));
}

bool WebInput::KeyDown(int virtualKey) {
  if (virtualKey == vk::Enter && hiddenPause_.ReadEnter()) return true;
  // Keys and controllers count only while the page has the keyboard, as on the desktop.
  if (!hasKeyboard_) return false;
  for (int i = 0; i < padCount_; ++i) {
    if (PadHolds(pads_[static_cast<std::size_t>(i)], virtualKey)) return true;
  }
  return virtualKey >= 0 && virtualKey < static_cast<int>(keys_.size()) &&
         keys_[static_cast<std::size_t>(virtualKey)] != 0;
}

}  // namespace talvessa
