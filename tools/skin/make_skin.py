#!/usr/bin/env python3
"""Writes the main window's skin pictures as SVG files into resources/skin/.

Run by hand after a change (python3, standard library only):
    python3 tools/skin/make_skin.py
The places come from the layout table in src/app/Skin.h (pixels on the background), so the
frames follow it; the app tests check every picture's size against that table, and
tools/previews/SkinPreview.cpp (target skin_preview) composes the whole window to look at.
"""

import math
import pathlib
import random
import re

ROOT = pathlib.Path(__file__).resolve().parents[2]
OUT = ROOT / "resources" / "skin"
LAYOUT = ROOT / "src" / "app" / "Skin.h"

# The slider's see-through colour (its default MaskColor, &HC0C0C0).
MASK = "#c0c0c0"

FONT = "DejaVu Sans"


def read_layout():
    """The places and picture sizes of src/app/Skin.h, so that the frames follow the table."""
    source = LAYOUT.read_text()
    places = {
        name: tuple(int(v) for v in rect)
        for name, *rect in re.findall(
            r'\{\s*"(\w+)",\s*QRect\((\d+),\s*(\d+),\s*(\d+),\s*(\d+)\)', source)
    }
    sizes = {
        name: (int(w), int(h))
        for name, w, h in re.findall(r'\{\s*"(\w+)",\s*(\d+),\s*(\d+)\s*\}', source)
    }
    return places, sizes


PLACES, SIZES = read_layout()
W, H = SIZES["Picture1"]


def union(*names):
    rects = [PLACES[n] for n in names]
    x0 = min(r[0] for r in rects)
    y0 = min(r[1] for r in rects)
    x1 = max(r[0] + r[2] for r in rects)
    y1 = max(r[1] + r[3] for r in rects)
    return x0, y0, x1 - x0, y1 - y0


def around(rect, left, top, right, bottom):
    x, y, w, h = rect
    return x - left, y - top, w + left + right, h + top + bottom


def centre(name):
    x, y, w, h = PLACES[name]
    return x + w / 2, y + h / 2


# What the background frames, derived from the places (x, y, w, h).
DISPLAY = around(union("Text2", "lblcd", "lblTempo"), 5, 1, 5, 0)  # the glass they lie on
DIAL = PLACES["AnalogClock1"]
DIAL_BEZEL = 3
ACCENT = PLACES["Image5"]
BEAT_LEFT = PLACES["imz"]
BEAT_RIGHT = PLACES["Image4"]
LIGHT_WINDOW = around(union("Image5", "imz", "Image4"), 12, 10, 12, 40)  # room for the pivot
IMSTOP = PLACES["imstop"]
SUBDIV = [PLACES[n] for n in ("Image10", "Image11", "Image12")]
BUTTON_GROUPS = [union("GGCommand1", "GGCommand4"), union("GGCommand5", "GGCommand6"), PLACES["imKlavir"]]
SLIDER = PLACES["SliderPic1"]  # track 100 x 4 at (3, 6), pointer 6 x 15
WINDOW_BUTTONS = union("GGCommand8", "GGCommand7")

# Lamps: a turned ring out to the picture's edge, the glass inside it.
ACCENT_RING = SIZES["Image1"][0] / 2 - 0.5
ACCENT_GLASS = ACCENT_RING - 4.5
BEAT_RING = SIZES["Image3"][0] / 2 - 0.5
BEAT_GLASS = BEAT_RING - 3.5


def svg(width, height, body, defs=""):
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
        f'width="{width}" height="{height}" viewBox="0 0 {width} {height}">\n'
        + (f"<defs>\n{defs}</defs>\n" if defs else "")
        + body
        + "</svg>\n"
    )


def linear(gid, stops, x1=0, y1=0, x2=0, y2=1, user=None):
    units = ""
    if user:
        x1, y1, x2, y2 = user
        units = ' gradientUnits="userSpaceOnUse"'
    s = "".join(
        f'<stop offset="{o}" stop-color="{c}"'
        + (f' stop-opacity="{a}"' if a is not None else "")
        + "/>"
        for o, c, a in [(st + (None,))[:3] for st in stops]
    )
    return f'<linearGradient id="{gid}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}"{units}>{s}</linearGradient>\n'


def radial(gid, stops, cx, cy, r, fx=None, fy=None):
    fx = cx if fx is None else fx
    fy = cy if fy is None else fy
    s = "".join(
        f'<stop offset="{o}" stop-color="{c}"'
        + (f' stop-opacity="{a}"' if a is not None else "")
        + "/>"
        for o, c, a in [(st + (None,))[:3] for st in stops]
    )
    return (
        f'<radialGradient id="{gid}" gradientUnits="userSpaceOnUse" cx="{cx}" cy="{cy}" '
        f'r="{r}" fx="{fx}" fy="{fy}">{s}</radialGradient>\n'
    )


def rect(x, y, w, h, fill, rx=0, extra=""):
    r = f' rx="{rx}" ry="{rx}"' if rx else ""
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}"{r} fill="{fill}"{extra}/>\n'


def circle(cx, cy, r, fill, extra=""):
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}"{extra}/>\n'


def text(x, y, s, size, fill, anchor="middle", weight="bold", extra=""):
    return (
        f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" font-weight="{weight}" '
        f'text-anchor="{anchor}" fill="{fill}"{extra}>{s}</text>\n'
    )


def engraved(x, y, s, size, anchor="middle"):
    """Paint-filled engraving: a dark cut edge above, the light fill, a faint lip below."""
    return (
        text(x, y - 0.6, s, size, "#000000", anchor, extra=' fill-opacity="0.7"')
        + text(x, y + 0.6, s, size, "#ffffff", anchor, extra=' fill-opacity="0.10"')
        + text(x, y, s, size, "#c9cdd3", anchor)
    )


# ---------------------------------------------------------------- the panel


class Panel:
    def __init__(self):
        self.defs = []
        self.body = []
        self.n = 0

    def gid(self, stem):
        self.n += 1
        return f"{stem}{self.n}"

    def add(self, s):
        self.body.append(s)

    def well(self, x, y, w, h, rx=2, fill=("#141619", "#1d2024")):
        """A recess milled into the panel: shadow on the upper left, light on the lower right."""
        g = self.gid("well")
        self.defs.append(linear(g, [(0, fill[0]), (1, fill[1])]))
        self.add(rect(x - 1, y - 1, w + 2, h + 2, "#07080a", rx + 1, ' fill-opacity="0.85"'))
        self.add(rect(x, y, w + 1, h + 1, "#727881", rx + 0.5, ' fill-opacity="0.55"'))
        self.add(rect(x, y, w, h, f"url(#{g})", rx))
        # Inner shadow along the top edge.
        s = self.gid("shade")
        self.defs.append(linear(s, [(0, "#000000", 0.55), (1, "#000000", 0)]))
        self.add(rect(x, y, w, 3, f"url(#{s})", min(rx, 1.5)))

    def bezel(self, x, y, w, h, width, rx):
        """A raised metal frame of the given width around (x, y, w, h)."""
        g = self.gid("bezel")
        self.defs.append(
            linear(g, [(0, "#8b919a"), (0.45, "#50555c"), (1, "#24272b")], user=(0, y - width, 0, y + h + width))
        )
        ox, oy, ow, oh = x - width, y - width, w + 2 * width, h + 2 * width
        self.add(rect(ox - 1, oy - 1, ow + 2, oh + 2, "#060708", rx + 1, ' fill-opacity="0.8"'))
        self.add(rect(ox, oy, ow, oh, f"url(#{g})", rx))
        self.add(rect(ox + 0.5, oy + 0.5, ow - 1, oh - 1, "none", rx - 0.5,
                      ' stroke="#ffffff" stroke-opacity="0.18" stroke-width="1"'))
        self.add(rect(x - 1, y - 1, w + 2, h + 2, "#050506", 1.5))

    def ring(self, cx, cy, r_out, r_in):
        """A turned metal ring around a lamp or a button."""
        g = self.gid("ring")
        self.defs.append(linear(g, [(0, "#9aa0a8"), (0.5, "#4d5259"), (1, "#1c1e22")],
                                user=(cx - r_out, cy - r_out, cx + r_out * 0.5, cy + r_out)))
        self.add(circle(cx, cy, r_out + 0.8, "#08090a", ' fill-opacity="0.8"'))
        self.add(circle(cx, cy, r_out, f"url(#{g})"))
        self.add(circle(cx, cy, r_in + 0.9, "#0a0b0c"))

    def screw(self, cx, cy, angle):
        g = self.gid("screw")
        self.defs.append(radial(g, [(0, "#c3c8ce"), (0.6, "#7b8189"), (1, "#3a3e44")],
                                cx - 1, cy - 1.2, 3.6))
        self.add(circle(cx + 0.4, cy + 0.5, 3.1, "#050607", ' fill-opacity="0.7"'))
        self.add(circle(cx, cy, 2.8, f"url(#{g})"))
        dx, dy = 2.2 * math.cos(angle), 2.2 * math.sin(angle)
        self.add(f'<line x1="{cx - dx:.2f}" y1="{cy - dy:.2f}" x2="{cx + dx:.2f}" y2="{cy + dy:.2f}" '
                 f'stroke="#202327" stroke-width="0.9"/>\n')


def lamp_glass(p, cx, cy, r, kind):
    """The glass of a lamp. kind: accent_off, accent_rest, accent_on, beat_off, beat_on."""
    colours = {
        "accent_off": [(0, "#4a1410"), (0.7, "#2a0907"), (1, "#160403")],
        "accent_rest": [(0, "#b8321f"), (0.55, "#6e140c"), (1, "#2c0604")],
        "accent_on": [(0, "#fff4e6"), (0.25, "#ffb08a"), (0.6, "#ff3a1c"), (1, "#a40f06")],
        "beat_off": [(0, "#133c20"), (0.7, "#0a2212"), (1, "#051109")],
        "beat_on": [(0, "#f2fff2"), (0.25, "#a6ffb8"), (0.6, "#2fe060"), (1, "#0a7a28")],
    }[kind]
    g = p.gid("glass")
    p.defs.append(radial(g, colours, cx, cy, r))
    p.add(circle(cx, cy, r, f"url(#{g})"))
    # A small reflection of the room on the dome, the same lit or not.
    h = p.gid("gleam")
    p.defs.append(radial(h, [(0, "#ffffff", 0.55), (1, "#ffffff", 0)], cx - r * 0.38, cy - r * 0.42, r * 0.45))
    p.add(circle(cx - r * 0.38, cy - r * 0.42, r * 0.45, f"url(#{h})"))


def lamp(p, x, y, size, ring, glass, kind):
    cx, cy = x + size / 2, y + size / 2
    p.ring(cx, cy, ring, glass)
    lamp_glass(p, cx, cy, glass, kind)


def brushed(p, rng, x0, y0, w, h):
    """Fine horizontal brushing: thin lines a little lighter or darker than the metal."""
    out = []
    y = y0
    while y < y0 + h:
        step = rng.choice([0.5, 1, 1, 1.5, 2])
        light = rng.random() < 0.5
        a = rng.uniform(0.015, 0.06)
        x = x0 + rng.uniform(-40, 0)
        length = rng.uniform(w * 0.6, w * 1.4)
        out.append(f'<rect x="{x:.1f}" y="{y:.1f}" width="{length:.1f}" height="{step * 0.6:.1f}" '
                   f'fill="{"#ffffff" if light else "#000000"}" fill-opacity="{a:.3f}"/>\n')
        y += step
    p.add("".join(out))


def pendulum(p):
    """The light window: an arc through the three lamps, a pendulum hung from a pivot below."""
    x, y, w, h = LIGHT_WINDOW
    p.well(x, y, w, h, 6, ("#101214", "#1a1d21"))
    left, right, top = centre("imz"), centre("Image4"), centre("Image5")
    # The pivot lies below the accent, as far from it as from the beat lamps.
    half = (right[0] - left[0]) / 2
    pivot_y = (half * half + left[1] ** 2 - top[1] ** 2) / (2 * (left[1] - top[1]))
    pivot = (top[0], pivot_y)
    r = pivot_y - top[1]
    line = ' stroke="#c9cdd3" stroke-opacity="{}" stroke-width="1" fill="none"'
    p.add(f'<path d="M {left[0]:.2f} {left[1]:.2f} A {r:.2f} {r:.2f} 0 0 1 {right[0]:.2f} {right[1]:.2f}"'
          + line.format(0.35) + "/>\n")
    swing = math.degrees(math.asin((pivot[0] - left[0]) / r))
    for i in range(-8, 9):
        a = math.radians(swing * i / 8)
        r1, r2 = (r - 4, r + 4) if i % 2 == 0 else (r - 2, r + 2)
        p.add(f'<line x1="{pivot[0] + r1 * math.sin(a):.2f}" y1="{pivot[1] - r1 * math.cos(a):.2f}" '
              f'x2="{pivot[0] + r2 * math.sin(a):.2f}" y2="{pivot[1] - r2 * math.cos(a):.2f}"'
              + line.format(0.45) + "/>\n")
    for end, lamp_r in [(left, BEAT_RING), (right, BEAT_RING), (top, ACCENT_RING)]:
        d = math.dist(pivot, end) - lamp_r - 1.5
        a = math.atan2(end[0] - pivot[0], pivot[1] - end[1])
        p.add(f'<line x1="{pivot[0]:.2f}" y1="{pivot[1]:.2f}" x2="{pivot[0] + d * math.sin(a):.2f}" '
              f'y2="{pivot[1] - d * math.cos(a):.2f}"' + line.format(0.16) + "/>\n")
    p.screw(*pivot, 1.9)
    lamp(p, *ACCENT[:2], ACCENT[2], ACCENT_RING, ACCENT_GLASS, "accent_off")
    lamp(p, *BEAT_LEFT[:2], BEAT_LEFT[2], BEAT_RING, BEAT_GLASS, "beat_off")
    lamp(p, *BEAT_RIGHT[:2], BEAT_RIGHT[2], BEAT_RING, BEAT_GLASS, "beat_off")


def speaker(p, x, cy):
    """An engraved loudspeaker with its sound waves, read as 'volume'."""
    body = (f"M {x} {cy - 2} H {x + 2.5} L {x + 6} {cy - 5.5} V {cy + 5.5} L {x + 2.5} {cy + 2} H {x} Z")
    waves = "".join(
        f"M {x + 8 + i * 2.6} {cy - 2.5 - i * 1.6} Q {x + 10 + i * 3.2} {cy} {x + 8 + i * 2.6} {cy + 2.5 + i * 1.6} "
        for i in range(2))
    for dy, colour, alpha in [(-0.6, "#000000", 0.7), (0.6, "#ffffff", 0.1), (0, "#c9cdd3", 1)]:
        p.add(f'<g transform="translate(0,{dy})"><path d="{body}" fill="{colour}" fill-opacity="{alpha}"/>'
              f'<path d="{waves}" fill="none" stroke="{colour}" stroke-opacity="{alpha}" stroke-width="1.1" '
              f'stroke-linecap="round"/></g>\n')


def background():
    p = Panel()
    rng = random.Random(7)
    g = p.gid("metal")
    p.defs.append(linear(g, [(0, "#454a51"), (0.5, "#363a40"), (1, "#272a2f")]))
    p.add(rect(0, 0, W, H, f"url(#{g})"))
    brushed(p, rng, 0, 0, W, H)
    # Outer edge of the plate.
    p.add(rect(0.5, 0.5, W - 1, H - 1, "none", 0, ' stroke="#8a9098" stroke-width="1" stroke-opacity="0.7"'))
    p.add(f'<path d="M {W - 0.5} 0.5 V {H - 0.5} H 0.5" fill="none" stroke="#0b0c0e" stroke-width="1"/>\n')

    for cx, cy, a in [(5, 5, 0.6), (W - 5, 5, 2.1), (5, H - 5, 1.1), (W - 5, H - 5, 2.6)]:
        p.screw(cx, cy, a)

    # The display glass.
    x, y, w, h = DISPLAY
    p.bezel(x, y, w, h, 2, 3)
    gl = p.gid("glass")
    p.defs.append(linear(gl, [(0, "#1c150b"), (1, "#0b0805")]))
    p.add(rect(x, y, w, h, f"url(#{gl})", 1))
    rf = p.gid("reflect")
    p.defs.append(linear(rf, [(0, "#ffffff", 0.07), (1, "#ffffff", 0.0)]))
    p.add(f'<path d="M {x} {y} H {x + w} V {y + 9} Q {x + w / 2} {y + 14} {x} {y + 11} Z" fill="url(#{rf})"/>\n')

    # The tempo dial paints its own face and bevel; the panel holds it in a metal frame.
    x, y, w, h = DIAL
    p.bezel(x, y, w, h, DIAL_BEZEL, 3)

    # The button column: one recess per group.
    for bx, by, bw, bh in BUTTON_GROUPS:
        p.well(bx - 2, by - 2, bw + 4, bh + 4, 2)

    # Socket of the play/stop button: empty while no tempo is set.
    x, y, s, _ = IMSTOP
    p.ring(x + s / 2, y + s / 2, s / 2 - 0.5, s / 2 - 3.5)
    p.add(circle(x + s / 2, y + s / 2, s / 2 - 3.5, "#0c0d0f"))

    # The subdivision keys sit in one recess; their values are engraved beside them.
    x, y = SUBDIV[0][:2]
    p.well(x - 3, y - 3, 24, SUBDIV[-1][1] + 18 - y + 6, 3)
    for (sx, sy, sw, sh), label in zip(SUBDIV, ["1/4", "1/8", "1/16"]):
        p.add(engraved(sx + sw + 12.5, sy + 12, label, 6.5))

    # The window buttons.
    x, y, w, h = WINDOW_BUTTONS
    p.well(x - 3, y - 3, w + 6, h + 6, 3)

    # The maker's name between the piano key and the window buttons.
    p.add(engraved(W / 2, 211, "KADENTOR", 9))

    pendulum(p)

    # The volume slider: its see-through parts show a groove and the volume wedge.
    x, y, w, h = SLIDER
    p.well(x - 4, y - 3, w + 8, h + 6, 3)
    p.add(f'<path d="M {x + 3} {y + 14} L {x + 103} {y + 10.5} L {x + 103} {y + 14} Z" fill="#c9cdd3" fill-opacity="0.55"/>\n')
    speaker(p, x - 14, y + h / 2)

    return svg(W, H, "".join(p.body), "".join(p.defs))


# ---------------------------------------------------------------- lamps and buttons


def lamp_picture(size, ring, glass, kind):
    p = Panel()
    lamp(p, 0, 0, size, ring, glass, kind)
    return svg(size, size, "".join(p.body), "".join(p.defs))


def play_stop(kind):
    size = SIZES["playg"][0]
    p = Panel()
    c = size / 2
    ring, cap = c - 0.5, c - 3.5
    k = cap / 12.5  # the glyphs were drawn for a cap of radius 12.5
    p.ring(c, c, ring, cap)
    g = p.gid("cap")
    p.defs.append(radial(g, [(0, "#5c626a"), (0.7, "#2e3237"), (1, "#1a1c20")], c - 3 * k, c - 4 * k, cap + 2.5))
    p.add(circle(c, c, cap, f"url(#{g})"))
    p.add(circle(c, c, cap - 0.5, "none", ' stroke="#ffffff" stroke-opacity="0.12" stroke-width="1"'))
    if kind == "play":
        tri = f"M {c - 4 * k:.2f} {c - 6.5 * k:.2f} L {c + 7 * k:.2f} {c} L {c - 4 * k:.2f} {c + 6.5 * k:.2f} Z"
        p.add(f'<path d="{tri}" fill="#0c2a14" transform="translate(0.6,0.8)"/>\n')
        p.add(f'<path d="{tri}" fill="#46e070"/>\n')
    else:
        # While running the ring glows: the button that stops is the one that is alive.
        p.add(circle(c, c, cap + 1.1, "none", ' stroke="#ff5a3a" stroke-opacity="0.65" stroke-width="1.2"'))
        s = 5.5 * k
        p.add(rect(c - s + 0.6, c - s + 0.8, 2 * s, 2 * s, "#2a0806", 1.2))
        p.add(rect(c - s, c - s, 2 * s, 2 * s, "#ff4b33", 1.2))
    return svg(size, size, "".join(p.body), "".join(p.defs))


def note(value, colour):
    """A note of the given value (4, 8, 16) drawn for an 18 x 18 key."""
    hx, hy = 7.2, 12.6
    parts = [f'<ellipse cx="{hx}" cy="{hy}" rx="3.1" ry="2.2" fill="{colour}" transform="rotate(-22 {hx} {hy})"/>']
    sx = hx + 2.6
    parts.append(f'<rect x="{sx}" y="3.2" width="1.2" height="{hy - 3.4}" fill="{colour}"/>')
    flags = {4: 0, 8: 1, 16: 2}[value]
    for i in range(flags):
        y0 = 3.2 + i * 3.2
        parts.append(
            f'<path d="M {sx + 1.1} {y0} C {sx + 2.2} {y0 + 2.2} {sx + 5.4} {y0 + 2.8} {sx + 4.2} {y0 + 6.4} '
            f'C {sx + 4.4} {y0 + 4.2} {sx + 2.6} {y0 + 3.4} {sx + 1.1} {y0 + 3.2} Z" fill="{colour}"/>'
        )
    return "".join(parts) + "\n"


def key(value, state):
    p = Panel()
    face = {
        "normal": [(0, "#656b73"), (1, "#34383d")],
        "hover": [(0, "#8a929c"), (1, "#4c5259")],
        "selected": [(0, "#ffd98a"), (1, "#e39a1e")],
    }[state]
    edge = {"normal": "#0d0e10", "hover": "#f2b13c", "selected": "#5a3604"}[state]
    glyph = {"normal": "#e8eaed", "hover": "#ffffff", "selected": "#221503"}[state]
    g = p.gid("face")
    p.defs.append(linear(g, face))
    p.add(rect(0, 0, 18, 18, edge, 2.5))
    p.add(rect(1, 1, 16, 16, f"url(#{g})", 1.8))
    p.add(f'<path d="M 2.5 1.5 H 15.5" stroke="#ffffff" stroke-opacity="0.35" stroke-width="1"/>\n')
    dx = {4: 1.2, 8: 0, 16: 0}[value]
    p.add(f'<g transform="translate({dx},0.3)">' + note(value, glyph) + "</g>\n")
    return svg(18, 18, "".join(p.body), "".join(p.defs))


def piano(pressed):
    p = Panel()
    g = p.gid("case")
    p.defs.append(linear(g, [(0, "#f4f4f4"), (1, "#8c8c8c")] if not pressed else [(0, "#8c8c8c"), (1, "#d8d8d8")]))
    p.add(rect(0, 0, 28, 15, f"url(#{g})"))
    p.add(rect(0.5, 0.5, 27, 14, "none", 0,
               f' stroke="{"#ffffff" if not pressed else "#5a5f66"}" stroke-width="1" stroke-opacity="0.9"'))
    off = 1 if pressed else 0
    x0, y0, kw, kh = 3 + off, 3 + off, 22 / 6, 9
    p.add(rect(x0 - 0.5, y0 - 0.5, 6 * kw + 1, kh + 1, "#2a2d31"))
    for i in range(6):
        shade = "#c9d6e6" if (pressed and i == 2) else "#fbf8ef"
        p.add(rect(x0 + i * kw + 0.25, y0, kw - 0.5, kh, shade))
    for i in [1, 2, 4, 5]:
        p.add(rect(x0 + i * kw - 1.1, y0, 2.2, 5.6, "#16181b"))
    return svg(28, 15, "".join(p.body), "".join(p.defs))


def window_glyph(kind):
    if kind == "minimize":
        body = rect(3, 9, 7, 2, "#111111")
    else:
        body = ('<path d="M 3.5 3.5 L 9.5 9.5 M 9.5 3.5 L 3.5 9.5" stroke="#111111" '
                'stroke-width="1.7" stroke-linecap="round" fill="none"/>\n')
    return svg(13, 13, body)


# ---------------------------------------------------------------- the slider


def pixel_rows(width, rows):
    """Opaque one-pixel rows: the slider blits these pictures and sees through by colour only."""
    return "".join(rect(0, i, width, 1, c) for i, c in enumerate(rows))


def slider_track():
    return svg(100, 4, pixel_rows(100, ["#050607", "#0e1013", "#181b1f", "#5d636b"]))


def slider_left():
    defs = linear("lit", [(0, "#8a4c08"), (1, "#ffc040")], 0, 0, 1, 0)
    body = rect(0, 0, 100, 1, "#3e2704") + rect(0, 1, 100, 2, "url(#lit)") + rect(0, 3, 100, 1, "#9a6a1c")
    return svg(100, 4, body, defs)


def slider_pointer():
    cols = ["#6f757e", "#d9dde2", "#f3f4f6", "#dde0e4", "#a9aeb6", "#4f545b"]
    body = []
    for x, c in enumerate(cols):
        body.append(rect(x, 0, 1, 15, c))
    body.append(rect(1, 0, 4, 1, "#fbfcfd"))
    body.append(rect(1, 14, 4, 1, "#3b3f45"))
    # The value mark: the pointer's centre, where the track is read.
    body.append(rect(2, 4, 2, 7, "#d98a12"))
    # Rounded corners: these pixels let the panel show through.
    for x, y in [(0, 0), (5, 0), (0, 14), (5, 14)]:
        body.append(rect(x, y, 1, 1, MASK))
    return svg(6, 15, "".join(body))


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    files = {
        "Picture1": background(),
        "Image1": lamp_picture(SIZES["Image1"][0], ACCENT_RING, ACCENT_GLASS, "accent_on"),
        "Image2": lamp_picture(SIZES["Image1"][0], ACCENT_RING, ACCENT_GLASS, "accent_rest"),
        "Image3": lamp_picture(SIZES["Image3"][0], BEAT_RING, BEAT_GLASS, "beat_on"),
        "playg": play_stop("play"),
        "stopg": play_stop("stop"),
        "Image24": piano(False),
        "Image25": piano(True),
        "ImageSlider": slider_track(),
        "ImageLeft": slider_left(),
        "ImagePointer": slider_pointer(),
        "minimize": window_glyph("minimize"),
        "close": window_glyph("close"),
    }
    for prefix, value in [("c", 4), ("o", 8), ("s", 16)]:
        files[prefix + "g"] = key(value, "normal")
        files[prefix + "d"] = key(value, "hover")
        files[prefix + "b"] = key(value, "selected")
    for name, content in files.items():
        (OUT / f"{name}.svg").write_text(content)
    print(f"{len(files)} pictures written to {OUT}")


if __name__ == "__main__":
    main()
