#include "platform/web/page_bridge.h"

#include <emscripten.h>

#include <algorithm>

// Each function hands its work to the page's script at once; the page's script holds the state.
// clang-format off
EM_JS(double, talvessa_now_ms, (), { return performance.now(); });
EM_JS(double, talvessa_date_ms, (), { return Date.now(); });
EM_ASYNC_JS(void, talvessa_sleep, (double us), { await talvessaPage.sleep(us); });
EM_ASYNC_JS(int, talvessa_wait_for_events, (int ms), { return await talvessaPage.waitForEvents(ms); });
EM_JS(int, talvessa_pump, (std::uint8_t* keys), {
  return talvessaPage.pump(HEAPU8.subarray(keys, keys + 256));
});
EM_JS(int, talvessa_next_sound_key, (), { return talvessaPage.nextSoundKey(); });
EM_JS(int, talvessa_read_pads, (int* out, int most), {
  return talvessaPage.readPads(HEAP32.subarray(out >> 2, (out >> 2) + 7 * most), most);
});
EM_JS(void, talvessa_show, (const std::uint8_t* rgba, int x, int y, int w, int h), {
  talvessaPage.show(HEAPU8.subarray(rgba, rgba + 576 * 448 * 4), x, y, w, h);
});
EM_JS(int, talvessa_has_sound, (), { return talvessaPage.sound.available() ? 1 : 0; });
EM_JS(void, talvessa_play_effect, (const char* url), { talvessaPage.sound.playEffect(UTF8ToString(url)); });
EM_JS(void, talvessa_silence_effects, (), { talvessaPage.sound.silenceEffects(); });
EM_JS(int, talvessa_load_tune, (const char* url), {
  return talvessaPage.sound.loadTune(UTF8ToString(url)) ? 1 : 0;
});
EM_JS(void, talvessa_play_tune, (), { talvessaPage.sound.playTune(); });
EM_JS(void, talvessa_stop_tune, (), { talvessaPage.sound.stopTune(); });
EM_JS(void, talvessa_set_gain, (double gain), { talvessaPage.sound.setGain(gain); });
EM_JS(void, talvessa_ended, (int status, int replay), { talvessaPage.ended(status, replay !== 0); });
EM_JS(int, talvessa_stored_volume, (), { return talvessaPage.storedSound.volume; });
EM_JS(int, talvessa_stored_muted, (), { return talvessaPage.storedSound.muted ? 1 : 0; });
EM_JS(void, talvessa_store_sound, (int volume, int muted), { talvessaPage.storeSound(volume, muted !== 0); });
// clang-format on

namespace talvessa::page {

namespace {

// The fields of one controller as the page writes them.
constexpr int kPadFields = 7;
constexpr int kMostPads = 4;

}  // namespace

double NowMs() { return talvessa_now_ms(); }
double DateMs() { return talvessa_date_ms(); }
void Sleep(std::uint32_t us) { talvessa_sleep(us); }
bool WaitForEvents(int ms) { return talvessa_wait_for_events(ms) != 0; }

PumpReport Pump(std::uint8_t* keys) {
  const int flags = talvessa_pump(keys);
  return {(flags & 1) != 0, (flags & 2) != 0};
}

int NextSoundKey() { return talvessa_next_sound_key(); }

int ReadPads(PadState* pads, int most) {
  int fields[kPadFields * kMostPads] = {};
  const int count = std::min({talvessa_read_pads(fields, kMostPads), most, kMostPads});
  for (int i = 0; i < count; ++i) {
    const int* f = fields + i * kPadFields;
    pads[i] = {f[0] != 0, f[1] != 0, f[2] != 0, f[3] != 0, f[4] != 0, f[5] != 0, f[6]};
  }
  return count;
}

void Show(const std::uint8_t* rgba, int x, int y, int w, int h) { talvessa_show(rgba, x, y, w, h); }
bool HasSound() { return talvessa_has_sound() != 0; }
void PlayEffect(const std::string& url) { talvessa_play_effect(url.c_str()); }
void SilenceEffects() { talvessa_silence_effects(); }
bool LoadTune(const std::string& url) { return talvessa_load_tune(url.c_str()) != 0; }
void PlayTune() { talvessa_play_tune(); }
void StopTune() { talvessa_stop_tune(); }
void SetGain(double gain) { talvessa_set_gain(gain); }
void Ended(int status, bool replay) { talvessa_ended(status, replay ? 1 : 0); }

StoredSound LoadStoredSound() { return {talvessa_stored_volume(), talvessa_stored_muted() != 0}; }
void StoreSound(const StoredSound& sound) { talvessa_store_sound(sound.volume, sound.muted ? 1 : 0); }

}  // namespace talvessa::page
