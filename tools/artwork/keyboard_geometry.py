"""Where the 132 logical keys sit on the keyboard pictures, and the pictures themselves.

Both keyboard pages draw the same picture: the lighting page as 132 key pictures "kb_dkey_N"
(colour previews), the key page as 132 key buttons "kb_key_N". One table here places them, so the
two pictures cannot drift apart, and make_artwork.py draws exactly the key-cap sizes they use.

Positions are in key units (U pixels). Layout of the picture, left to right: the G-key column of
the small keyboard unit, the media column, the main block, the navigation block, the number pad.
The number pad's top row carries the two roller LEDs; the strip above it the five launch keys.

    python3 keyboard_geometry.py dkey   # the <Box> of skin/keyboard_deng.xml's keyboard picture
    python3 keyboard_geometry.py key    # the <Box> of skin/keyboard_key.xml's keyboard picture

Paste the output over the picture's <Box> in the page file after changing the geometry, then run
make_artwork.py for any new key-cap size.
"""

import sys

U = 29                 # pixels per key unit
GAP = 3                # pixels between neighbouring caps
OFFSET_X = 14          # picture origin inside the 760-pixel page
OFFSET_Y = 0

# Column origins (key units).
G_X = 0.0              # G keys of the small keyboard unit
MEDIA_X = 1.4          # media keys left of the main block
MAIN_X = 2.65          # main block
NAV_X = MAIN_X + 15.25
PAD_X = MAIN_X + 18.5

# Row origins (key units): the launch-key strip, the function row, then rows 1..5.
STRIP_Y = 0.0
STRIP_H = 0.6
ROW_Y = [0.8] + [0.8 + 1.25 + r for r in range(5)]

# Tool tip of each key: the language key of its built-in function; positions whose built-in code
# has no key name use the button's own name (the language files give those a text too).
TIPS = [
    'keyboard_key_Esc', 'keyboard_key_F1', 'keyboard_key_F2', 'keyboard_key_F3', 'keyboard_key_F4',
    'keyboard_key_F5', 'keyboard_key_F6', 'keyboard_key_F7', 'keyboard_key_F8', 'keyboard_key_F9',
    'keyboard_key_F10', 'keyboard_key_F11', 'keyboard_key_F12', 'keyboard_key_Print Scr',
    'keyboard_key_Scroll Lock', 'keyboard_key_Pause', 'keyboard_key_Browaer Home',
    'keyboard_key_Launch Media Select', 'keyboard_key_Media Play Pause', 'keyboard_key_Media Prev Track',
    'keyboard_key_Media Next Track', 'keyboard_key_`', 'keyboard_key_1', 'keyboard_key_2', 'keyboard_key_3',
    'keyboard_key_4', 'keyboard_key_5', 'keyboard_key_6', 'keyboard_key_7', 'keyboard_key_8',
    'keyboard_key_9', 'keyboard_key_0', 'keyboard_key_-', 'keyboard_key_=', 'keyboard_key_BackSpace',
    'keyboard_key_Insert', 'keyboard_key_Home', 'keyboard_key_Page Up', 'keyboard_key_Num Lock',
    'keyboard_key_Num /', 'keyboard_key_Num *', 'keyboard_key_Num -', 'keyboard_key_Tab', 'keyboard_key_Q',
    'keyboard_key_W', 'keyboard_key_E', 'keyboard_key_R', 'keyboard_key_T', 'keyboard_key_Y',
    'keyboard_key_U', 'keyboard_key_I', 'keyboard_key_O', 'keyboard_key_P', 'keyboard_key_[',
    'keyboard_key_]', 'keyboard_key_xiegang', 'keyboard_key_Delete', 'keyboard_key_End',
    'keyboard_key_Page Down', 'keyboard_key_Num 7', 'keyboard_key_Num 8', 'keyboard_key_Num 9', 'kb_key_62',
    'keyboard_key_Caplk', 'keyboard_key_A', 'keyboard_key_S', 'keyboard_key_D', 'keyboard_key_F',
    'keyboard_key_G', 'keyboard_key_H', 'keyboard_key_J', 'keyboard_key_K', 'keyboard_key_L',
    'keyboard_key_;', "keyboard_key_'", 'keyboard_key_Enter', 'keyboard_key_Num 4', 'keyboard_key_Num 5',
    'keyboard_key_Num 6', 'keyboard_key_Launch Mail', 'keyboard_key_Computer', 'keyboard_key_Function Deng',
    'keyboard_key_Browser Search', 'keyboard_key_Volume Mute', 'keyboard_key_LShift', 'keyboard_key_Z',
    'keyboard_key_X', 'keyboard_key_C', 'keyboard_key_V', 'keyboard_key_B', 'keyboard_key_N',
    'keyboard_key_M', 'keyboard_key_<', 'keyboard_key_.', 'keyboard_key_/', 'keyboard_key_RShift',
    'keyboard_key_Up', 'keyboard_key_Num 1', 'keyboard_key_Num 2', 'keyboard_key_Num 3', 'kb_key_100',
    'kb_key_101', 'kb_key_102', 'kb_key_103', 'kb_key_104', 'keyboard_key_LCtrl', 'keyboard_key_LWin',
    'keyboard_key_LAlt', 'keyboard_key_Space', 'keyboard_key_RAlt', 'kb_key_110', 'keyboard_key_App',
    'keyboard_key_RCtrl', 'keyboard_key_Left', 'keyboard_key_Down', 'keyboard_key_Right',
    'keyboard_key_Num 0', 'keyboard_key_Decimal', 'keyboard_key_Num Enter', 'keyboard_key_Num +',
    'kb_key_120', 'kb_key_121', 'kb_key_122', 'kb_key_123', 'kb_key_124', 'keyboard_key_RWin',
    'keyboard_key_G1', 'keyboard_key_G2', 'keyboard_key_G3', 'keyboard_key_G4', 'keyboard_key_G5',
    'keyboard_key_G6',
]

# Positions that carry no key (their built-in code is 00 00 00): their controls exist but stay hidden.
HIDDEN = {62, 103, 104, 120, 121, 122, 123, 124}
# Keys of the small keyboard unit (shown only while it is connected).
SMALL_UNIT = set(range(126, 132))
# Roller LEDs: drawn round.
ROLLERS = {100, 101}


def _keys():
    k = {}  # index -> (x, y, w, h, legend)

    def put(i, x, row, w=1.0, h=1.0, legend=""):
        k[i] = (x, ROW_Y[row], w, h, legend)

    # Function row.
    put(0, MAIN_X, 0, legend="Esc")
    for n in range(4):
        put(1 + n, MAIN_X + 2 + n, 0, legend=f"F{1 + n}")
        put(5 + n, MAIN_X + 6.5 + n, 0, legend=f"F{5 + n}")
        put(9 + n, MAIN_X + 11 + n, 0, legend=f"F{9 + n}")
    put(13, NAV_X, 0, legend="PrtSc")
    put(14, NAV_X + 1, 0, legend="ScrLk")
    put(15, NAV_X + 2, 0, legend="Pause")
    put(100, PAD_X, 0)
    put(101, PAD_X + 1, 0)

    # Media column.
    for n, legend in enumerate(["Web", "Media", "Play", "Prev", "Next"]):
        put(16 + n, MEDIA_X, 1 + n, legend=legend)

    # Row 1.
    put(21, MAIN_X, 1, legend="`")
    for n, legend in enumerate("1234567890"):
        put(22 + n, MAIN_X + 1 + n, 1, legend=legend)
    put(32, MAIN_X + 11, 1, legend="-")
    put(33, MAIN_X + 12, 1, legend="=")
    put(34, MAIN_X + 13, 1, w=2, legend="Back")
    put(35, NAV_X, 1, legend="Ins")
    put(36, NAV_X + 1, 1, legend="Home")
    put(37, NAV_X + 2, 1, legend="PgUp")
    put(38, PAD_X, 1, legend="Num")
    put(39, PAD_X + 1, 1, legend="/")
    put(40, PAD_X + 2, 1, legend="*")
    put(41, PAD_X + 3, 1, legend="-")

    # Row 2.
    put(42, MAIN_X, 2, w=1.5, legend="Tab")
    for n, legend in enumerate("QWERTYUIOP"):
        put(43 + n, MAIN_X + 1.5 + n, 2, legend=legend)
    put(53, MAIN_X + 11.5, 2, legend="[")
    put(54, MAIN_X + 12.5, 2, legend="]")
    put(55, MAIN_X + 13.5, 2, w=1.5, legend="\\")
    put(56, NAV_X, 2, legend="Del")
    put(57, NAV_X + 1, 2, legend="End")
    put(58, NAV_X + 2, 2, legend="PgDn")
    put(59, PAD_X, 2, legend="7")
    put(60, PAD_X + 1, 2, legend="8")
    put(61, PAD_X + 2, 2, legend="9")
    put(119, PAD_X + 3, 2, h=2, legend="+")

    # Row 3.
    put(63, MAIN_X, 3, w=1.75, legend="Caps")
    for n, legend in enumerate("ASDFGHJKL"):
        put(64 + n, MAIN_X + 1.75 + n, 3, legend=legend)
    put(73, MAIN_X + 10.75, 3, legend=";")
    put(74, MAIN_X + 11.75, 3, legend="'")
    put(75, MAIN_X + 12.75, 3, w=2.25, legend="Enter")
    put(76, PAD_X, 3, legend="4")
    put(77, PAD_X + 1, 3, legend="5")
    put(78, PAD_X + 2, 3, legend="6")

    # Row 4.
    put(84, MAIN_X, 4, w=1.25, legend="Shift")
    put(102, MAIN_X + 1.25, 4, legend="<>")
    for n, legend in enumerate("ZXCVBNM"):
        put(85 + n, MAIN_X + 2.25 + n, 4, legend=legend)
    put(92, MAIN_X + 9.25, 4, legend=",")
    put(93, MAIN_X + 10.25, 4, legend=".")
    put(94, MAIN_X + 11.25, 4, legend="/")
    put(95, MAIN_X + 12.25, 4, w=2.75, legend="Shift")
    put(96, NAV_X + 1, 4, legend="\u2191")
    put(97, PAD_X, 4, legend="1")
    put(98, PAD_X + 1, 4, legend="2")
    put(99, PAD_X + 2, 4, legend="3")
    put(118, PAD_X + 3, 4, h=2, legend="Ent")

    # Row 5.
    put(105, MAIN_X, 5, w=1.25, legend="Ctrl")
    put(106, MAIN_X + 1.25, 5, w=1.25, legend="Win")
    put(107, MAIN_X + 2.5, 5, w=1.25, legend="Alt")
    put(108, MAIN_X + 3.75, 5, w=6.25, legend="")
    put(109, MAIN_X + 10, 5, legend="Alt")
    put(125, MAIN_X + 11, 5, legend="Win")
    put(110, MAIN_X + 12, 5, legend="Fn")
    put(111, MAIN_X + 13, 5, legend="Menu")
    put(112, MAIN_X + 14, 5, legend="Ctrl")
    put(113, NAV_X, 5, legend="\u2190")
    put(114, NAV_X + 1, 5, legend="\u2193")
    put(115, NAV_X + 2, 5, legend="\u2192")
    put(116, PAD_X, 5, w=2, legend="0")
    put(117, PAD_X + 2, 5, legend=".")

    # Launch-key strip above the number pad.
    for n, legend in enumerate(["Mail", "PC", "Light", "Find", "Mute"]):
        k[79 + n] = (PAD_X - 1 + n, STRIP_Y, 1.0, STRIP_H, legend)

    # G keys of the small keyboard unit.
    for n in range(6):
        put(126 + n, G_X, n, legend=f"G{1 + n}")

    # Positions without a key: a place is needed for the hidden controls.
    for i in HIDDEN:
        k[i] = (0.0, 0.0, 1.0, 1.0, "")
    assert sorted(k) == list(range(132)), sorted(set(range(132)) - set(k))
    return k


KEYS = _keys()


def px(v):
    return int(v * U + 0.5)


def rect(i):
    """Pixel rectangle (x, y, w, h) of key i inside the picture."""
    x, y, w, h, _ = KEYS[i]
    return (OFFSET_X + px(x), OFFSET_Y + px(y), px(w) - GAP, px(h) - GAP)


def legend(i):
    return KEYS[i][4]


def cap_size(i):
    _, _, w, h = rect(i)
    return w, h


def cap_sizes():
    """Every key-cap size the pictures use, roller LEDs excluded."""
    return sorted({cap_size(i) for i in range(132) if i not in ROLLERS and i not in HIDDEN})


def picture_size():
    right = max(rect(i)[0] + rect(i)[2] for i in range(132) if i not in HIDDEN)
    bottom = max(rect(i)[1] + rect(i)[3] for i in range(132) if i not in HIDDEN)
    return right + OFFSET_X, bottom + GAP


def plate_rect():
    """The keyboard plate under the media column, the main block, navigation and number pad."""
    left = OFFSET_X + px(MEDIA_X) - 8
    top = OFFSET_Y + px(ROW_Y[0]) - 6
    right = OFFSET_X + px(PAD_X + 4) - GAP + 8
    bottom = OFFSET_Y + px(ROW_Y[5] + 1) - GAP + 6
    return (left, top, right - left, bottom - top)


def unit_rect():
    """The plate of the small keyboard unit (its G keys) left of the keyboard."""
    _, top, _, h = plate_rect()
    return (OFFSET_X + px(G_X) - 4, top, px(1) - GAP + 8, h)


def cap_image(i, kind):
    """kind: "led" (lighting preview), "key" (plain key button), "hot" (remapped key button)."""
    if i in ROLLERS and kind == "led":
        return "kb/roller.png"
    w, h = cap_size(i)
    suffix = {"led": "_led", "key": "", "hot": "_hot"}[kind]
    return f"kb/key_{w}x{h}{suffix}.png"


# ---------------------------------------------------------------- the picture as layout elements
# A node is (tag, attributes, children); a "#comment" node carries its text in place of attributes.

TEXT = "#FFE6E9EF"
LED_TEXT = "#FFB8C0CC"
ACCENT = "#FF0199CB"


def picture(kind):
    """kind "dkey": the lighting preview of keyboard_deng.xml; "key": the key buttons of keyboard_key.xml."""
    hidden = set(HIDDEN) | (set(ROLLERS) if kind == "key" else set())
    _, h = picture_size()
    pl, pt, pw, ph = plate_rect()
    ux, uy, uw, uh = unit_rect()
    unit_children = []
    box = [("#comment", "generated by tools/artwork/keyboard_geometry.py " + kind, []),
           ("Label", {"pos": f"{pl},{pt},{pw},{ph}", "bkimage": "kb/plate.png"}, [])]

    def control(i, x, y, cw, ch):
        a = {"name": f"kb_{kind}_{i}"}
        if i not in hidden:
            a["tooltip"] = TIPS[i]
        if legend(i):
            a["text"] = legend(i)
        if i in hidden:
            a["visible"] = "false"
        a["pos"] = f"{x},{y},{cw},{ch}"
        if kind == "dkey":
            a.update({"textcolor": LED_TEXT, "bkimage": cap_image(i, "led"), "font": "9"})
            return ("Picture", a, [])
        img = cap_image(i, "key")
        a.update({"textcolor": TEXT, "bkimage": img, "hotimage": cap_image(i, "hot"), "userdata": img,
                  "font": "9"})
        return ("Button", a, [])

    for i in range(132):
        x, y, cw, ch = rect(i)
        if i in SMALL_UNIT:
            unit_children.append(control(i, x - ux, y - uy, cw, ch))
        elif i in hidden:
            box.append(control(i, 0, 0, cw, ch))
        else:
            box.append(control(i, x, y, cw, ch))
    box.append(("Box", {"name": "smallkb_deng_key" if kind == "dkey" else "smallkb_key", "visible": "false",
                        "pos": f"{ux},{uy},{uw},{uh}", "bkimage": "kb/unit_plate.png"}, unit_children))
    badge = ("Label", {"key": "companion_connected_text", "width": "150", "textcolor": ACCENT, "font": "10"}, [])
    box.append(("HBox", {"name": "companionkb_deng_key" if kind == "dkey" else "companionkb_key",
                         "visible": "false", "pos": f"{OFFSET_X + px(MAIN_X)},0,160,17"},
                [badge, ("HBox", {}, [])]))
    return ("Box", {"width": "760", "height": str(h + 2)}, box)


def to_xml(node, indent=0):
    from xml.sax.saxutils import quoteattr
    tag, attrs, children = node
    pad = "  " * indent
    if tag == "#comment":
        return f"{pad}<!-- {attrs} -->"
    text = "".join(f" {k}={quoteattr(v)}" for k, v in attrs.items())
    if not children:
        return f"{pad}<{tag}{text} />"
    inner = "\n".join(to_xml(c, indent + 1) for c in children)
    return f"{pad}<{tag}{text}>\n{inner}\n{pad}</{tag}>"


if __name__ == "__main__":
    print(to_xml(picture(sys.argv[1] if len(sys.argv) > 1 else "key"), 2))
