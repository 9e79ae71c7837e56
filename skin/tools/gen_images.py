#!/usr/bin/env python3
"""Draws the skin's pictures as SVG (skin/tools/art/) and renders each to PNG at 1x and, for
pictures the window shows scaled, also at 2x ("name@2x.png", which the builder prefers on
high-density screens).

Run by hand after a change:  python3 skin/tools/gen_images.py   (needs rsvg-convert)
The PNGs are committed; the build never runs this script.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layout_data as L  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SKIN = os.path.normpath(os.path.join(HERE, ".."))
ART = os.path.join(HERE, "art")

ACC = "#0199CB"
ACCH = "#19B3E6"
TEXT = "#E6E9EF"
TEXT2 = "#8A93A6"


def svg(w, h, body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            '<defs>%s</defs>%s</svg>\n' % (w, h, w, h, defs, body))


def emit(name, w, h, body, defs="", hi=True):
    """name is the PNG path inside skin/, e.g. 'common/logo.png'."""
    src = os.path.join(ART, name.replace("/", "_").replace(".png", ".svg"))
    with open(src, "w") as f:
        f.write(svg(w, h, body, defs))
    out = os.path.join(SKIN, name)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    subprocess.run(["rsvg-convert", "-w", str(w), "-h", str(h), src, "-o", out], check=True)
    if hi:
        subprocess.run(["rsvg-convert", "-w", str(2 * w), "-h", str(2 * h), src, "-o",
                        out.replace(".png", "@2x.png")], check=True)


# ------------------------------------------------------------------------------ backgrounds

def background(name, base, glows):
    defs, body = "", '<rect width="800" height="572" fill="%s"/>' % base
    for i, (cx, cy, r, colour, alpha) in enumerate(glows):
        defs += ('<radialGradient id="g%d" cx="%d" cy="%d" r="%d" gradientUnits="userSpaceOnUse">'
                 '<stop offset="0" stop-color="%s" stop-opacity="%.3f"/>'
                 '<stop offset="1" stop-color="%s" stop-opacity="0"/></radialGradient>'
                 % (i, cx, cy, r, colour, alpha, colour))
        body += '<rect width="800" height="572" fill="url(#g%d)"/>' % i
    emit(name, 800, 572, body, defs, hi=False)


def backgrounds():
    background("common/background.png", "#101217",
               [(720, 40, 520, ACC, 0.10), (80, 560, 420, "#3A4A7A", 0.08)])
    background("common/bg_aurora.png", "#0E1316",
               [(640, 0, 560, "#19C39A", 0.13), (120, 120, 420, "#1E7FD0", 0.10),
                (400, 600, 500, "#6A3FC0", 0.08)])
    background("common/bg_ember.png", "#141011",
               [(700, 560, 560, "#E5602E", 0.12), (60, 40, 420, "#B0283A", 0.09)])
    background("common/bg_graphite.png", "#151618",
               [(400, -100, 700, "#8A93A6", 0.10), (400, 700, 600, "#000000", 0.30)])


# ------------------------------------------------------------------------------ small glyphs

def stroke(d, colour, width=1.6, extra=""):
    return ('<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linecap="round" '
            'stroke-linejoin="round" %s/>' % (d, colour, width, extra))


CAPTION = {
    "cap_min": stroke("M3.5 8.5 H12.5", "{c}"),
    "cap_max": '<rect x="3.5" y="3.5" width="9" height="9" rx="1.5" fill="none" stroke="{c}" stroke-width="1.4"/>',
    "cap_restore": ('<rect x="3.5" y="5.5" width="7" height="7" rx="1.2" fill="none" stroke="{c}" stroke-width="1.3"/>'
                    + stroke("M6 3.5 H11.5 a1 1 0 0 1 1 1 V10", "{c}", 1.3)),
    "cap_close": stroke("M4 4 L12 12 M12 4 L4 12", "{c}"),
    "cap_skin": ('<path d="M8 2.5 a5.5 5.5 0 1 0 0 11 c1 0 1.3-.7 1-1.4 -.4-.9 .2-1.6 1.1-1.6 h1.1 '
                 'a2.3 2.3 0 0 0 2.3-2.3 c0-3.1-2.5-5.7-5.5-5.7 z" fill="none" stroke="{c}" stroke-width="1.3"/>'
                 '<circle cx="5.3" cy="7" r="1" fill="{c}"/><circle cx="8" cy="5.2" r="1" fill="{c}"/>'
                 '<circle cx="10.7" cy="7" r="1" fill="{c}"/>'),
}

ICONS20 = {
    # Lighting: a bulb with rays.
    "fn_light": ('<path d="M10 3.5 a4.8 4.8 0 0 0-2.8 8.7 c.5.4.8.9.8 1.5 V14.5 h4 v-.8 c0-.6.3-1.1.8-1.5 '
                 'A4.8 4.8 0 0 0 10 3.5z" fill="none" stroke="{c}" stroke-width="1.5"/>'
                 + stroke("M8.3 17 H11.7", "{c}", 1.5)),
    # Keys: a keycap seen in perspective.
    "fn_keys": ('<rect x="3" y="5" width="14" height="11" rx="2.5" fill="none" stroke="{c}" stroke-width="1.5"/>'
                '<rect x="6" y="7.5" width="8" height="5" rx="1.2" fill="none" stroke="{c}" stroke-width="1.2"/>'),
    # Macros: a play triangle over a list.
    "fn_macro": (stroke("M3.5 5 H10 M3.5 10 H8 M3.5 15 H10", "{c}", 1.5)
                 + '<path d="M12 7.5 L17 10.5 L12 13.5 Z" fill="{c}"/>'),
    # DPI: a gauge.
    "fn_dpi": (stroke("M3.5 14 a6.5 6.5 0 1 1 13 0", "{c}", 1.5) + stroke("M10 14 L13.2 8.6", "{c}", 1.6)
               + '<circle cx="10" cy="14" r="1.4" fill="{c}"/>'),
    # Cursor scripts: a crosshair.
    "fn_cursor": ('<circle cx="10" cy="10" r="5.5" fill="none" stroke="{c}" stroke-width="1.5"/>'
                  + stroke("M10 2.5 V6 M10 14 V17.5 M2.5 10 H6 M14 10 H17.5", "{c}", 1.5)),
    "dev_kb": ('<rect x="2" y="5.5" width="16" height="9.5" rx="2" fill="none" stroke="{c}" stroke-width="1.5"/>'
               + stroke("M5 8.5 H6 M8 8.5 H9 M11 8.5 H12 M14 8.5 H15 M6.5 12 H13.5", "{c}", 1.3)),
    "dev_ms": ('<rect x="5.5" y="2.5" width="9" height="15" rx="4.5" fill="none" stroke="{c}" stroke-width="1.5"/>'
               + stroke("M10 2.8 V8 M5.8 8 H14.2", "{c}", 1.2)),
    "dev_mp": ('<rect x="2" y="4.5" width="16" height="11" rx="2" fill="none" stroke="{c}" stroke-width="1.5"/>'
               + stroke("M4.5 13 H15.5", "{c}", 1.3, 'stroke-dasharray="1.5 1.5"')),
}

ICONS16 = {
    "ic_up": stroke("M8 13 V3.5 M4 7.5 L8 3.5 L12 7.5", "{c}"),
    "ic_down": stroke("M8 3 V12.5 M4 8.5 L8 12.5 L12 8.5", "{c}"),
    "ic_top": stroke("M3.5 2.5 H12.5 M8 14 V6 M4.5 9.5 L8 6 L11.5 9.5", "{c}"),
    "ic_bottom": stroke("M3.5 13.5 H12.5 M8 2 V10 M4.5 6.5 L8 10 L11.5 6.5", "{c}"),
    "ic_more": ('<circle cx="3.5" cy="8" r="1.5" fill="{c}"/><circle cx="8" cy="8" r="1.5" fill="{c}"/>'
                '<circle cx="12.5" cy="8" r="1.5" fill="{c}"/>'),
}


def glyphs():
    for name, body in CAPTION.items():
        emit("common/%s.png" % name, 16, 16, body.replace("{c}", TEXT2))
        emit("common/%s_hot.png" % name, 16, 16, body.replace("{c}", "#FFFFFF"))
    for name, body in ICONS20.items():
        emit("common/%s.png" % name, 20, 20, body.replace("{c}", TEXT2))
        emit("common/%s_on.png" % name, 20, 20, body.replace("{c}", ACCH))
    for name, body in ICONS16.items():
        emit("common/%s.png" % name, 16, 16, body.replace("{c}", "#C9CFDA"))
    # Press and release marks of the macro step rows.
    emit("common/step_down.png", 16, 16, '<path d="M3.5 5.5 H12.5 L8 11.5 Z" fill="%s"/>' % ACCH)
    emit("common/step_up.png", 16, 16, '<path d="M3.5 10.5 H12.5 L8 4.5 Z" fill="%s"/>' % TEXT2)
    ring = '<circle cx="8" cy="8" r="6.5" fill="#181B22" stroke="%s" stroke-width="1.4"/>'
    emit("common/radio_off.png", 16, 16, ring % "#4A5166")
    emit("common/radio_hot.png", 16, 16, ring % TEXT2)
    emit("common/radio_on.png", 16, 16, ring % ACC + '<circle cx="8" cy="8" r="3.4" fill="%s"/>' % ACCH)


def logo():
    # A stylised "C" ring with a key notch, in the accent colours.
    defs = ('<linearGradient id="lg" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="%s"/>'
            '<stop offset="1" stop-color="#0A5F80"/></linearGradient>' % ACCH)
    body = ('<rect x="1" y="1" width="62" height="62" rx="14" fill="#181B22" stroke="#2C3140" stroke-width="2"/>'
            '<path d="M44 20 A16 16 0 1 0 44 44" fill="none" stroke="url(#lg)" stroke-width="8" '
            'stroke-linecap="round"/><circle cx="44" cy="32" r="4.5" fill="%s"/>' % ACCH)
    src = svg(64, 64, body, defs)
    path = os.path.join(ART, "common_logo.svg")
    with open(path, "w") as f:
        f.write(src)
    for out, size in [("common/logo.png", 20), ("common/logo@2x.png", 40),
                      ("common/app_icon.png", 64), ("common/app_icon@2x.png", 128),
                      ("common/tray.png", 32)]:
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), path, "-o",
                        os.path.join(SKIN, out)], check=True)


# ------------------------------------------------------------------------------ device pictures

def keyboard():
    u, pad = 28, 10
    w = int(L.BOARD_UNITS[0] * u) + 2 * pad
    h = int(L.BOARD_UNITS[1] * u) + 2 * pad
    defs = ('<linearGradient id="case" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#1D2029"/>'
            '<stop offset="1" stop-color="#121419"/></linearGradient>'
            '<linearGradient id="edge" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#3A4152"/>'
            '<stop offset="1" stop-color="#1A1D25"/></linearGradient>')
    body = ('<rect x="0.5" y="0.5" width="%d" height="%d" rx="12" fill="url(#case)" stroke="url(#edge)"/>'
            % (w - 1, h - 1))
    # Recessed plates under the key blocks.
    blocks = [(0, 0, 15, 1), (0, 1.5, 15, 5), (L.NAV_X, 0, 3, 1), (L.NAV_X, 1.5, 3, 2),
              (L.NAV_X, 4.5, 3, 2), (L.PAD_X, 1.5, 4, 5)]
    for x, y, bw, bh in blocks:
        body += ('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="5" fill="#0D0F13" '
                 'stroke="#232733"/>' % (pad + x * u - 2, pad + y * u - 2, bw * u + 4, bh * u + 4))
    # Lock indicators and the name above the number pad.
    ix = pad + L.PAD_X * u
    for i in range(3):
        body += '<circle cx="%.1f" cy="%.1f" r="2.2" fill="%s" opacity="%.2f"/>' % (
            ix + 10 + i * 14, pad + 9, ACCH, 0.9 if i == 0 else 0.35)
    body += ('<text x="%.1f" y="%.1f" font-family="DejaVu Sans" font-size="9" font-weight="bold" '
             'letter-spacing="2" fill="#5A6275">CORVANE</text>' % (ix + 50, pad + 12.5))
    emit("kb/keyboard.png", w, h, body, defs)


MOUSE_BODY = ("M70 2 C111 2 136 16 136 62 L136 150 C136 214 113 248 70 248 "
              "C27 248 4 214 4 150 L4 62 C4 16 29 2 70 2 Z")
PART_SHAPES = {
    "left": "M68 5 L68 101 Q38 99 6 95 L6 62 C6 24 28 7 68 5 Z",
    "right": "M72 5 C112 7 134 24 134 62 L134 95 Q102 99 72 101 Z",
    "wheel": "M62 24 a8 8 0 0 1 16 0 V48 a8 8 0 0 1 -16 0 Z",
    "dpi": "M64 65.5 a2.5 2.5 0 0 1 2.5 -2.5 h7 a2.5 2.5 0 0 1 2.5 2.5 v8 a2.5 2.5 0 0 1 -2.5 2.5 h-7 a2.5 2.5 0 0 1 -2.5 -2.5 Z",
    "dpi1": "M64 83.5 a2.5 2.5 0 0 1 2.5 -2.5 h7 a2.5 2.5 0 0 1 2.5 2.5 v8 a2.5 2.5 0 0 1 -2.5 2.5 h-7 a2.5 2.5 0 0 1 -2.5 -2.5 Z",
    "forward": "M1 116 a3 3 0 0 1 3 -3 h4 v30 h-4 a3 3 0 0 1 -3 -3 Z",
    "back": "M1 154 a3 3 0 0 1 3 -3 h4 v30 h-4 a3 3 0 0 1 -3 -3 Z",
}


def mouse():
    mw, mh = L.MOUSE_SIZE
    defs = ('<linearGradient id="shell" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="#262A35"/>'
            '<stop offset="1" stop-color="#14161C"/></linearGradient>'
            '<linearGradient id="btn" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#2C313E"/>'
            '<stop offset="1" stop-color="#1C1F28"/></linearGradient>'
            '<clipPath id="bodyclip"><path d="%s"/></clipPath>' % MOUSE_BODY)
    body = '<path d="%s" fill="url(#shell)" stroke="#3A4152" stroke-width="1.2"/>' % MOUSE_BODY
    for part in ("left", "right"):
        body += '<path d="%s" fill="url(#btn)" stroke="#3A4152" stroke-width="1"/>' % PART_SHAPES[part]
    body += '<path d="%s" fill="#0E1014" stroke="#4A5166"/>' % PART_SHAPES["wheel"]
    for y in range(28, 48, 4):
        body += '<path d="M64.5 %d H75.5" stroke="#3A4152" stroke-width="1.2"/>' % y
    for part in ("dpi", "dpi1", "forward", "back"):
        body += '<path d="%s" fill="#1A1D25" stroke="#4A5166"/>' % PART_SHAPES[part]
    # Grooves of the three light bars; the zone controls light them.
    for bar, (y1, y2, xl, xr) in enumerate(L.MOUSE_BARS):
        step = (xr - xl) / 7.0
        # One groove per bar; the rear bar's third column simply has no light.
        for c1, c2 in [(0, 7)]:
            body += ('<rect x="%.1f" y="%d" width="%.1f" height="%d" rx="3" fill="#111319" '
                     'stroke="#2A2F3B"/>' % (xl + c1 * step - 1, y1 - 2, (c2 - c1) * step + 2, y2 - y1 + 4))
    # The mark below the rear bar, clear of its lights.
    y1, y2, xl, xr = L.MOUSE_BARS[2]
    cx, cy = mw / 2.0, y2 + 14
    body += ('<path d="M%.1f %.1f a5 5 0 1 0 0 6" fill="none" stroke="#5A6275" stroke-width="2" '
             'stroke-linecap="round" transform="translate(%.1f 0)"/>' % (cx + 3, cy - 3, 0))
    emit("ms/mouse.png", mw, mh, body, defs)
    # Hover pictures of each button: the area's outline at rest, lit in the accent when pointed at.
    for part, (x1, y1, x2, y2) in L.MOUSE_PARTS:
        w, h = x2 - x1, y2 - y1
        shape = '<g transform="translate(%d %d)"><path d="%s" %%s/></g>' % (-x1, -y1, PART_SHAPES[part])
        emit("ms/key_%s_normal.png" % part, w, h,
             shape % 'fill="#FFFFFF" fill-opacity="0.03" stroke="#4A5166" stroke-width="1"')
        emit("ms/key_%s_down.png" % part, w, h,
             shape % ('fill="%s" fill-opacity="0.45" stroke="%s" stroke-width="1.5"' % (ACC, ACCH)))


def pad():
    w, h = L.PAD_SIZE
    defs = ('<linearGradient id="cloth" x1="0" y1="0" x2="0.3" y2="1"><stop offset="0" stop-color="#1B1E26"/>'
            '<stop offset="1" stop-color="#111318"/></linearGradient>')
    body = ('<rect x="0.5" y="0.5" width="%d" height="%d" rx="14" fill="#0C0D11" stroke="#2C3140"/>'
            '<rect x="22" y="10" width="%d" height="%d" rx="8" fill="url(#cloth)"/>'
            '<rect x="26" y="14" width="%d" height="%d" rx="6" fill="none" stroke="#2A2F3C" '
            'stroke-dasharray="4 3"/>' % (w - 1, h - 1, w - 44, h - 36, w - 52, h - 44))
    # The name printed faintly on the cloth.
    body += ('<text x="%d" y="%d" text-anchor="middle" font-family="DejaVu Sans" font-size="22" '
             'font-weight="bold" letter-spacing="8" fill="#222632">CORVANE</text>' % (w // 2, h // 2 + 2))
    emit("mp/pad.png", w, h, body, defs)


def main():
    os.makedirs(ART, exist_ok=True)
    backgrounds()
    glyphs()
    logo()
    keyboard()
    mouse()
    pad()
    total = 0
    for root, _, files in os.walk(SKIN):
        if "tools" in root:
            continue
        total += sum(os.path.getsize(os.path.join(root, f)) for f in files if f.endswith(".png"))
    print("images written, %d KB of PNG" % (total // 1024))


if __name__ == "__main__":
    main()
