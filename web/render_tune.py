#!/usr/bin/env python3
"""Renders the game's tune for the page: the MIDI file played by the fluidsynth command line with the
desktop's bank and level, one loop of it, encoded as Ogg Vorbis.

    render_tune.py TUNE.mid SOUNDFONT GAIN OUT.ogg

The desktop loops the tune in its synthesiser, so the notes still sounding at the end of a pass ring on
into the next. The page plays one rendered loop over and over: two passes are rendered and the second
kept, which starts with the tails of the first. One pass's length is the two passes' rendering less the
one pass's (both end with the same tails)."""

import subprocess
import sys
import tempfile
import wave
from pathlib import Path

RATE = 44100


def render(tune, soundfont, gain, passes, out):
    subprocess.run(['fluidsynth', '-n', '-i', '-q', '-g', gain, '-r', str(RATE), '-F', str(out), soundfont]
                   + [tune] * passes, check=True, stdout=subprocess.DEVNULL)
    with wave.open(str(out)) as rendering:
        return rendering.getnframes(), rendering.getsampwidth() * rendering.getnchannels()


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    tune, soundfont, gain, out = sys.argv[1:]
    with tempfile.TemporaryDirectory() as folder:
        folder = Path(folder)
        one, _ = render(tune, soundfont, gain, 1, folder / 'one.wav')
        two, frame_bytes = render(tune, soundfont, gain, 2, folder / 'two.wav')
        loop = two - one
        if loop <= 0 or one < loop:
            sys.exit(f'render_tune.py: passes of {one} and {two} frames make no loop')
        with wave.open(str(folder / 'two.wav')) as rendering:
            params = rendering.getparams()
            rendering.setpos(loop)
            frames = rendering.readframes(loop)
        with wave.open(str(folder / 'loop.wav'), 'wb') as kept:
            kept.setparams(params)
            kept.writeframes(frames)
        assert len(frames) == loop * frame_bytes
        subprocess.run(['oggenc', '-Q', '-q', '2', '-o', out, str(folder / 'loop.wav')], check=True)


if __name__ == '__main__':
    main()
