// Makes the game's tune, a standard MIDI file, from its note list, then reads the file back and says
// what a player will find in it.
//   talvessa-make-tune <note file> <output .mid>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "make_tune/note_list.h"
#include "make_tune/smf_reader.h"
#include "make_tune/smf_writer.h"

int main(int argc, char** argv) {
  using namespace talvessa::tune;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <note file> <output .mid>\n", argv[0]);
    return 2;
  }
  try {
    const Tune tune = ReadNoteList(argv[1]);
    const std::vector<std::uint8_t> bytes = EncodeSmf(tune);
    {
      std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out.flush()) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
      }
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
    const MidiFile file = ReadSmf(written);
    std::printf("%s: %d bars at %.1f beats a minute, %.2f s, %zu tracks, %zu notes\n", argv[2], tune.bars,
                60e6 / file.QuarterMicroseconds(), file.Seconds(), file.tracks.size(), tune.notes.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
