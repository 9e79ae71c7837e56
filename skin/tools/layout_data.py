"""Geometry of the device pictures."""
from contract_names import CONTRACT, CONTRACT_NAMES  # noqa: F401

# Keyboard: screen key number -> (cap label, x in key units, row, width, height).
# A full-size ANSI board with Fn; rows 0..5 from the function row down. Screen keys the board
# does not have (no factory function and no LED) are kept as hidden controls so every number
# exists.
ROW_Y = [0.0, 1.5, 2.5, 3.5, 4.5, 5.5]
NAV_X = 15.25
PAD_X = 18.5
BOARD_UNITS = (22.5, 6.5)

KEYS = {}


def _k(n, cap, x, r, w=1.0, h=1.0):
    KEYS[n] = (cap, x, r, w, h)


_k(0, "Esc", 0, 0)
for i, x in enumerate([2, 3, 4, 5, 6.5, 7.5, 8.5, 9.5, 11, 12, 13, 14]):
    _k(1 + i, "F%d" % (i + 1), x, 0)
_k(13, "PrtSc", NAV_X, 0)
_k(14, "ScrLk", NAV_X + 1, 0)
_k(15, "Pause", NAV_X + 2, 0)

_k(21, "`", 0, 1)
for i, c in enumerate("1234567890"):
    _k(22 + i, c, 1 + i, 1)
_k(32, "-", 11, 1)
_k(33, "=", 12, 1)
_k(34, "Backspace", 13, 1, 2)
_k(35, "Ins", NAV_X, 1)
_k(36, "Home", NAV_X + 1, 1)
_k(37, "PgUp", NAV_X + 2, 1)
_k(38, "Num", PAD_X, 1)
_k(39, "/", PAD_X + 1, 1)
_k(40, "*", PAD_X + 2, 1)
_k(41, "-", PAD_X + 3, 1)

_k(42, "Tab", 0, 2, 1.5)
for i, c in enumerate("QWERTYUIOP"):
    _k(43 + i, c, 1.5 + i, 2)
_k(53, "[", 11.5, 2)
_k(54, "]", 12.5, 2)
_k(55, "\\", 13.5, 2, 1.5)
_k(56, "Del", NAV_X, 2)
_k(57, "End", NAV_X + 1, 2)
_k(58, "PgDn", NAV_X + 2, 2)
_k(59, "7", PAD_X, 2)
_k(60, "8", PAD_X + 1, 2)
_k(61, "9", PAD_X + 2, 2)
_k(119, "+", PAD_X + 3, 2, 1, 2)

_k(63, "Caps Lock", 0, 3, 1.75)
for i, c in enumerate("ASDFGHJKL"):
    _k(64 + i, c, 1.75 + i, 3)
_k(73, ";", 10.75, 3)
_k(74, "'", 11.75, 3)
_k(75, "Enter", 12.75, 3, 2.25)
_k(76, "4", PAD_X, 3)
_k(77, "5", PAD_X + 1, 3)
_k(78, "6", PAD_X + 2, 3)

_k(84, "Shift", 0, 4, 2.25)
for i, c in enumerate("ZXCVBNM"):
    _k(85 + i, c, 2.25 + i, 4)
_k(92, ",", 9.25, 4)
_k(93, ".", 10.25, 4)
_k(94, "/", 11.25, 4)
_k(95, "Shift", 12.25, 4, 2.75)
_k(96, "\u2191", NAV_X + 1, 4)
_k(97, "1", PAD_X, 4)
_k(98, "2", PAD_X + 1, 4)
_k(99, "3", PAD_X + 2, 4)
_k(118, "Enter", PAD_X + 3, 4, 1, 2)

_k(105, "Ctrl", 0, 5, 1.25)
_k(106, "Win", 1.25, 5, 1.25)
_k(107, "Alt", 2.5, 5, 1.25)
_k(108, "", 3.75, 5, 6.25)
_k(109, "Alt", 10, 5, 1.25)
_k(110, "Fn", 11.25, 5, 1.25)
_k(111, "Menu", 12.5, 5, 1.25)
_k(112, "Ctrl", 13.75, 5, 1.25)
_k(113, "\u2190", NAV_X, 5)
_k(114, "\u2193", NAV_X + 1, 5)
_k(115, "\u2192", NAV_X + 2, 5)
_k(116, "0", PAD_X, 5, 2)
_k(117, ".", PAD_X + 2, 5)

# Numbers without a key on this board (no factory function, no LED): ISO key 102 and the
# right Win key 125 belong to other layouts.
ABSENT = [16, 17, 18, 19, 20, 62, 79, 80, 81, 82, 83, 100, 101, 102, 103, 104,
          120, 121, 122, 123, 124, 125]
assert len(KEYS) + len(ABSENT) == 126 and not set(KEYS) & set(ABSENT)

# Mouse picture, 140 x 250 logical pixels, seen from above, front at the top.
MOUSE_SIZE = (140, 250)
# Button areas (x1, y1, x2, y2), each with the picture files of the hover images.
MOUSE_PARTS = [
    ("left", (6, 6, 69, 104)),
    ("wheel", (61, 16, 79, 56)),
    ("right", (71, 6, 134, 104)),
    ("forward", (0, 112, 10, 144)),
    ("back", (0, 150, 10, 182)),
    ("dpi", (63, 62, 77, 76)),
    ("dpi1", (63, 80, 77, 94)),
]

# LED zones of the mouse: three light bars across the body, seven columns each; the rear bar
# has no light in column 2.
MOUSE_COLUMNS = [(0, 7, 19), (1, 8, 18), (2, 9, None), (3, 10, 14), (4, 11, 15), (5, 12, 16), (6, 13, 17)]
MOUSE_BARS = [(108, 118, 22, 118), (148, 158, 24, 116), (208, 218, 26, 114)]  # y1, y2, x-left, x-right

# Mouse pad picture and its 15 zones along the left, bottom and right edges.
PAD_SIZE = (480, 196)
