// FluidSynth's messages, bounded. The synthesiser inside SDL_mixer writes a line to stderr for every
// fault it meets, every note it has no voice for, and every pass over a file it cannot read: a broken
// tune can flood the terminal with millions of lines. Through this filter each kind of message (its
// text but for its numbers) is written once, and a few dozen at most in all.
#pragma once

namespace talvessa {

// Debian's SDL_mixer is linked against the synthesiser's shared library, and its log functions are
// global to the process: set here, they serve every tune the mixer plays. Does nothing where the
// library is not loaded. Safe to call more than once.
void BoundSynthesiserMessages();

}  // namespace talvessa
