// The page's script (web/page.js, the object `talvessaPage`) as the web backend calls it. Only this file
// and its source talk to the browser. The waits hand the page's one thread back to the browser until they
// end: the program runs under ASYNCIFY, so the game's loops stay as they are on the desktop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/pad_table.h"

namespace talvessa::page {

// The page's monotonic clock, and the wall clock, in milliseconds.
double NowMs();
double DateMs();

// Gives the thread to the browser for at least `us` microseconds, rounded up to the whole milliseconds
// its timers count (0 is one turn of its event loop).
void Sleep(std::uint32_t us);
// Gives the thread to the browser until a key, a click or a change of the tab's visibility comes, or
// `ms` milliseconds have passed; reports whether one came.
bool WaitForEvents(int ms);

// What one pump reads from the page.
struct PumpReport {
  bool hasKeyboard;  // the page has the keyboard: its tab is shown and focused
  bool wentHidden;   // the tab was hidden or lost the keyboard since the last pump
};
// Copies the keys held, by key code, into `keys` (256 entries).
PumpReport Pump(std::uint8_t* keys);
// The sound keys pressed since the last call, one per call: -1 when none is left, else the key (0 mute,
// 1 down, 2 up) times 2, plus 1 for a held-down repeat.
int NextSoundKey();
// Reads up to `most` game controllers into `pads`; gives how many it read.
int ReadPads(PadState* pads, int most);

// Draws the w x h rectangle at (x, y) of a 576 x 448 picture of R, G, B, A bytes over the one shown.
void Show(const std::uint8_t* rgba, int x, int y, int w, int h);

// Whether the browser can play sound at all.
bool HasSound();
// Plays the effect file at `url` on the one voice of effects, cutting the one playing.
void PlayEffect(const std::string& url);
void SilenceEffects();
// Starts loading the tune file at `url` in the background, never waiting for it; false when the page has
// no sound at all.
bool LoadTune(const std::string& url);
// Plays the tune from its beginning, looping it, or, while it still loads, from its beginning once it has
// decoded (a tune that never loads stays silent); stops it.
void PlayTune();
void StopTune();
// The gain of all sound, 0 to 1.
void SetGain(double gain);

// The game (or the replay shown, with `replay`) has ended with PlayGame's `status`: the page says how,
// and offers to play again.
void Ended(int status, bool replay);

// The player's volume and mute, kept in the page's local storage between visits.
struct StoredSound {
  int volume;
  bool muted;
};
// The stored setting, or `volume` -1 when none is stored (or it is unreadable).
StoredSound LoadStoredSound();
void StoreSound(const StoredSound& sound);

}  // namespace talvessa::page
