// Records the game's tune as the sound backend plays it: opened, played for SECONDS, stopped. Run it
// with SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=out.raw (44,100 Hz, signed 16-bit, stereo); the disk
// driver plays in real time. bench/tune_compare.sh compares two such recordings.
//   tune_record TUNE SECONDS
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/sdl/sdl_sound.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tune_record TUNE SECONDS\n", stderr);
    return 2;
  }
  if (SDL_Init(0) != 0) return 1;
  std::unique_ptr<talvessa::SdlSound> sound = talvessa::SdlSound::Open("/usr/share/sounds/sf2/TimGM6mb.sf2");
  if (sound == nullptr || !sound->HasDevice()) {
    std::fputs("tune_record: no sound device\n", stderr);
    return 1;
  }
  sound->OpenMusic(argv[1]);
  sound->PlayMusic();
  std::this_thread::sleep_for(std::chrono::duration<double>(std::stod(argv[2])));
  const bool playing = sound->MusicStatus() == talvessa::MusicMode::Playing;
  sound->StopMusic();
  sound->CloseMusic();
  sound.reset();
  SDL_Quit();
  return playing ? 0 : 1;
}
