// The readable source of the tune: a tempo, the parts, and the music one line per part per bar.
//
//   tempo 132
//   part lead  channel 1  program 81  velocity 76  gate 70  volume 90  pan 70
//   part drums channel 10 velocity 72
//   bar 1
//   lead   d5/8 r/8 d5 f5 e5 d5 r a4       ; a length carries on until another is written
//   drums  kick+hat/8 hat snare+hat hat kick+hat hat snare+hat hat
//   bar 2 like 1                           ; every line of bar 1, then any line below replaces one
//
// Lengths are 1 2 4 8 16 32, dotted with '.', triplets with 't'. A token is a rest 'r', a pitch
// ("c4" is middle C, "bb3", "f#5"), a drum name on channel 10, or several joined by '+'. '>' before a
// pitch accents it, a pitch in brackets is a ghost note, '_' after the length holds the note for its
// whole length instead of the part's gate. pp p mp mf f ff set the velocity for the rest of the line.
// Every part line fills its 4/4 bar exactly; a part without a line in a bar rests.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "make_tune/tune.h"

namespace talvessa::tune {

// A fault in the note list; the message starts with "file:line:" so editors can jump to it.
class NoteListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a note list. Besides faults of form, refuses a tune that would not loop without a seam:
// one where nothing starts on the first beat or nothing sounds up to the last bar line.
Tune ReadNoteList(const std::filesystem::path& file);

// The same from text in memory; `name` stands for the file in messages.
Tune ParseNoteList(std::string_view text, const std::string& name);

}  // namespace talvessa::tune
