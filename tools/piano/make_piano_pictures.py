#!/usr/bin/env python3
"""Writes the piano window's and the drum-pad window's pictures as SVG files into
resources/piano/, and the instrument list Inslst.dat beside them.

Run by hand after a change (python3, standard library only):
    python3 tools/piano/make_piano_pictures.py
The sizes here must match src/piano/PianoLayout.h.
"""

import pathlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
OUT = ROOT / "resources" / "piano"

WIDTH, HEIGHT = 750, 300
WHITE = (30, 120)
BLACK = (18, 76)
PAD = 48
DRUMS = (300, 236)


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n{body}\n</svg>\n')


def background():
    body = f'''<defs>
<linearGradient id="wood" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#3a2418"/><stop offset="0.5" stop-color="#24150d"/>
<stop offset="1" stop-color="#140b06"/></linearGradient>
<linearGradient id="felt" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#7a1020"/><stop offset="1" stop-color="#4a0812"/></linearGradient>
</defs>
<rect width="{WIDTH}" height="{HEIGHT}" fill="url(#wood)"/>
<rect x="8" y="8" width="{WIDTH - 16}" height="{HEIGHT - 16}" rx="26" fill="none"
 stroke="#8a6a40" stroke-width="2"/>
<rect x="36" y="153" width="{WIDTH - 72}" height="7" fill="url(#felt)"/>
<rect x="20" y="26" width="300" height="76" rx="6" fill="#0c1a10" stroke="#5a7a50"/>
<text x="{WIDTH - 40}" y="286" font-family="DejaVu Sans" font-size="11" fill="#b89a60"
 text-anchor="end">MIDI Piano</text>'''
    return svg(WIDTH, HEIGHT, body)


def white_key(down):
    w, h = WHITE
    top, bottom = ("#a8bcd8", "#d4e0f0") if down else ("#ffffff", "#e8e8e0")
    return svg(w, h, f'''<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient></defs>
<rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="3" fill="url(#g)" stroke="#303030"/>
<rect x="2" y="{h - (6 if down else 10)}" width="{w - 4}" height="{4 if down else 8}" rx="2"
 fill="#c8c8c0"/>''')


def black_key(down):
    w, h = BLACK
    top = "#20304c" if down else "#303030"
    shine = "#202020" if down else "#606060"
    return svg(w, h, f'''<rect width="{w}" height="{h}" rx="2" fill="{top}"/>
<rect x="3" y="2" width="{w - 6}" height="{h - (6 if down else 12)}" rx="2" fill="{shine}"
 opacity="0.6"/>''')


def sustain_key(down):
    w, h = 60, 30
    face = "#8a7a50" if down else "#c8b070"
    return svg(w, h, f'''<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="8" fill="{face}"
 stroke="#403018" stroke-width="2"/>
<text x="{w / 2}" y="{h / 2 + 4}" font-family="DejaVu Sans" font-size="10" fill="#201808"
 text-anchor="middle">Sustain</text>''')


def cymbal(tilt, ring):
    c = PAD / 2
    return (f'<line x1="{c}" y1="{c}" x2="{c}" y2="{PAD - 2}" stroke="#606060" stroke-width="2"/>'
            f'<ellipse cx="{c}" cy="{c - 4}" rx="20" ry="{tilt}" fill="#d8b040" stroke="#806010"/>'
            f'<ellipse cx="{c}" cy="{c - 4}" rx="{ring}" ry="{max(1, tilt - 3)}" fill="#f0d070"/>')


def tom(width, height, shell):
    c = PAD / 2
    x, y = c - width / 2, c - height / 2
    return (f'<rect x="{x}" y="{y}" width="{width}" height="{height}" fill="{shell}" '
            f'stroke="#202020"/>'
            f'<ellipse cx="{c}" cy="{y}" rx="{width / 2}" ry="4" fill="#f0f0e8" stroke="#202020"/>')


def hihat(gap, pedal):
    c = PAD / 2
    body = (f'<line x1="{c}" y1="{c - 6}" x2="{c}" y2="{PAD - 2}" stroke="#606060" '
            f'stroke-width="2"/>'
            f'<ellipse cx="{c}" cy="{c - 8 - gap}" rx="16" ry="3" fill="#d8b040" stroke="#806010"/>'
            f'<ellipse cx="{c}" cy="{c - 8}" rx="16" ry="3" fill="#c8a030" stroke="#806010"/>')
    if pedal:
        body += f'<rect x="{c - 8}" y="{PAD - 8}" width="16" height="5" rx="2" fill="#404040"/>'
    return body


def drum_pictures():
    c = PAD / 2
    bass = (f'<circle cx="{c}" cy="{c}" r="20" fill="#b02020" stroke="#202020" stroke-width="2"/>'
            f'<circle cx="{c}" cy="{c}" r="14" fill="#f0f0e8"/>')
    stick = tom(30, 14, "#c0c0c0") + (f'<line x1="8" y1="10" x2="40" y2="22" stroke="#a07040" '
                                      f'stroke-width="3"/>')
    return [
        cymbal(6, 8),  # crash 1
        cymbal(8, 6),  # crash 2
        cymbal(5, 12),  # ride
        tom(30, 24, "#2050a0"),  # low tom
        tom(26, 20, "#2050a0"),  # low-mid tom
        tom(22, 16, "#2050a0"),  # hi-mid tom
        hihat(6, False),  # open hi-hat
        hihat(1, False),  # closed hi-hat
        hihat(1, True),  # pedal hi-hat
        stick,  # side stick
        bass,  # bass drum
        tom(32, 12, "#c0c0c0"),  # snare
    ]


def drums_background():
    w, h = DRUMS
    return svg(w, h, f'''<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#2a3040"/><stop offset="1" stop-color="#10141c"/></linearGradient></defs>
<rect width="{w}" height="{h}" fill="url(#g)"/>
<rect x="4" y="4" width="{w - 8}" height="{h - 8}" rx="8" fill="none" stroke="#6070a0"/>''')


# Symbol glyphs, black on clear: drawn in the button's text colour through their alpha.
GLYPHS = {
    "glyph_close": svg(12, 12, '<path d="M2 2 L10 10 M10 2 L2 10" stroke="#000" '
                               'stroke-width="2.2"/>'),
    "glyph_open": svg(12, 12, '<path d="M6 1 L11 7 L1 7 Z M1 9 H11 V11 H1 Z" fill="#000"/>'),
    "glyph_pause": svg(12, 12, '<path d="M2 2 H5 V10 H2 Z M7 2 H10 V10 H7 Z" fill="#000"/>'),
    "glyph_play": svg(12, 12, '<path d="M3 1 L11 6 L3 11 Z" fill="#000"/>'),
    "glyph_stop": svg(12, 12, '<rect x="2" y="2" width="8" height="8" fill="#000"/>'),
    # The tempo strip's pointer: a small bar across the strip.
    "rate_pointer": svg(12, 8, '<rect x="0.5" y="0.5" width="11" height="7" rx="2" fill="#e0c070" '
                               'stroke="#604020"/>'),
}

PROGRAMS = """Acoustic Grand Piano|Bright Acoustic Piano|Electric Grand Piano|Honky-tonk Piano|
Electric Piano 1|Electric Piano 2|Harpsichord|Clavinet|Celesta|Glockenspiel|Music Box|Vibraphone|
Marimba|Xylophone|Tubular Bells|Dulcimer|Drawbar Organ|Percussive Organ|Rock Organ|Church Organ|
Reed Organ|Accordion|Harmonica|Tango Accordion|Acoustic Guitar (nylon)|Acoustic Guitar (steel)|
Electric Guitar (jazz)|Electric Guitar (clean)|Electric Guitar (muted)|Overdriven Guitar|
Distortion Guitar|Guitar Harmonics|Acoustic Bass|Electric Bass (finger)|Electric Bass (pick)|
Fretless Bass|Slap Bass 1|Slap Bass 2|Synth Bass 1|Synth Bass 2|Violin|Viola|Cello|Contrabass|
Tremolo Strings|Pizzicato Strings|Orchestral Harp|Timpani|String Ensemble 1|String Ensemble 2|
Synth Strings 1|Synth Strings 2|Choir Aahs|Voice Oohs|Synth Voice|Orchestra Hit|Trumpet|Trombone|
Tuba|Muted Trumpet|French Horn|Brass Section|Synth Brass 1|Synth Brass 2|Soprano Sax|Alto Sax|
Tenor Sax|Baritone Sax|Oboe|English Horn|Bassoon|Clarinet|Piccolo|Flute|Recorder|Pan Flute|
Blown Bottle|Shakuhachi|Whistle|Ocarina|Lead 1 (square)|Lead 2 (sawtooth)|Lead 3 (calliope)|
Lead 4 (chiff)|Lead 5 (charang)|Lead 6 (voice)|Lead 7 (fifths)|Lead 8 (bass + lead)|
Pad 1 (new age)|Pad 2 (warm)|Pad 3 (polysynth)|Pad 4 (choir)|Pad 5 (bowed)|Pad 6 (metallic)|
Pad 7 (halo)|Pad 8 (sweep)|FX 1 (rain)|FX 2 (soundtrack)|FX 3 (crystal)|FX 4 (atmosphere)|
FX 5 (brightness)|FX 6 (goblins)|FX 7 (echoes)|FX 8 (sci-fi)|Sitar|Banjo|Shamisen|Koto|Kalimba|
Bagpipe|Fiddle|Shanai|Tinkle Bell|Agogo|Steel Drums|Woodblock|Taiko Drum|Melodic Tom|Synth Drum|
Reverse Cymbal|Guitar Fret Noise|Breath Noise|Seashore|Bird Tweet|Telephone Ring|Helicopter|
Applause|Gunshot"""

DRUM_NAMES = """Acoustic Bass Drum|Bass Drum 1|Side Stick|Acoustic Snare|Hand Clap|Electric Snare|
Low Floor Tom|Closed Hi-Hat|High Floor Tom|Pedal Hi-Hat|Low Tom|Open Hi-Hat|Low-Mid Tom|
Hi-Mid Tom|Crash Cymbal 1|High Tom|Ride Cymbal 1|Chinese Cymbal|Ride Bell|Tambourine|
Splash Cymbal|Cowbell|Crash Cymbal 2|Vibraslap|Ride Cymbal 2|Hi Bongo|Low Bongo|Mute Hi Conga|
Open Hi Conga|Low Conga|High Timbale|Low Timbale"""


def names(text):
    return [n.strip() for n in text.replace("\n", "").split("|")]


def instrument_list():
    programs, drums = names(PROGRAMS), names(DRUM_NAMES)
    assert len(programs) == 128 and len(drums) == 32
    lines = [f"{i}\t{n}" for i, n in enumerate(programs)]
    lines.append("-\t-")
    lines += [f"{35 + i}\t{n}" for i, n in enumerate(drums)]
    return "".join(line + "\r\n" for line in lines)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    files = {
        "background": background(),
        "white_up": white_key(False),
        "white_down": white_key(True),
        "black_up": black_key(False),
        "black_down": black_key(True),
        "sustain_up": sustain_key(False),
        "sustain_down": sustain_key(True),
        "drums_background": drums_background(),
    }
    for i, body in enumerate(drum_pictures()):
        files[f"drum{i}"] = svg(PAD, PAD, body)
    files.update(GLYPHS)
    for name, text in files.items():
        (OUT / f"{name}.svg").write_text(text)
    (OUT / "Inslst.dat").write_bytes(instrument_list().encode("ascii"))


if __name__ == "__main__":
    main()
