// Makes the game's tune, a standard MIDI file, from its note list, then reads the file back and says
// what a player will find in it.
//   talvessa-make-tune <note file> <output .mid>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "formats/midi_file.h"
#include "make_tune/note_list.h"
#include "make_tune/smf_writer.h"
#include "tool_io/tool_io.h"

int main(int argc, char** argv) {
  return talvessa::RunGenerator(
      argc, argv, "<note file> <output .mid>", [](const char* source, const char* output) {
        using namespace talvessa::tune;
        const Tune tune = ReadNoteList(source);
        talvessa::WriteFile(output, EncodeSmf(tune));
        std::ifstream in(output, std::ios::binary);
        const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in),
                                                std::istreambuf_iterator<char>()};
        const talvessa::MidiFile file = talvessa::ReadMidiFile(written);
        std::printf("%s: %d bars at %.1f beats a minute, %.2f s, %zu tracks, %zu notes\n", output, tune.bars,
                    60e6 / file.QuarterMicroseconds(), file.Seconds(), file.tracks.size(), tune.notes.size());
      });
}
