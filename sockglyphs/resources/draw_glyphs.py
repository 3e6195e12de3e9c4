#!/usr/bin/env python3
"""Draws the socket component's design-time pictures (28 x 28, 16 colours) as XPM files.

Run from this folder after changing a drawing: ./draw_glyphs.py
"""

SIZE = 28

# The 16-colour palette, one XPM key each.
PALETTE = {
    ".": "#C0C0C0",  # button face (background)
    "k": "#000000",
    "r": "#800000",
    "g": "#008000",
    "o": "#808000",
    "n": "#000080",
    "m": "#800080",
    "t": "#008080",
    "d": "#808080",
    "R": "#FF0000",
    "G": "#00FF00",
    "Y": "#FFFF00",
    "B": "#0000FF",
    "M": "#FF00FF",
    "C": "#00FFFF",
    "w": "#FFFFFF",
}

# A 3 x 5 capital font for the captions.
FONT = {
    "T": ["kkk", ".k.", ".k.", ".k.", ".k."],
    "C": [".kk", "k..", "k..", "k..", ".kk"],
    "P": ["kk.", "k.k", "kk.", "k..", "k.."],
    "U": ["k.k", "k.k", "k.k", "k.k", "kkk"],
    "D": ["kk.", "k.k", "k.k", "k.k", "kk."],
}


def blank():
    return [["." for _ in range(SIZE)] for _ in range(SIZE)]


def fill(img, x0, y0, x1, y1, key):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = key


def frame(img, x0, y0, x1, y1, key):
    fill(img, x0, y0, x1, y0, key)
    fill(img, x0, y1, x1, y1, key)
    fill(img, x0, y0, x0, y1, key)
    fill(img, x1, y0, x1, y1, key)


def caption(img, text, top, key):
    width = len(text) * 4 - 1
    left = (SIZE - width) // 2
    for i, letter in enumerate(text):
        for dy, row in enumerate(FONT[letter]):
            for dx, bit in enumerate(row):
                if bit == "k":
                    img[top + dy][left + i * 4 + dx] = key


def plug(img):
    # Two brass prongs, the moulded body with a highlight and a shadow, then the cable.
    fill(img, 10, 1, 11, 5, "o")
    fill(img, 16, 1, 17, 5, "o")
    fill(img, 10, 1, 10, 5, "Y")
    fill(img, 16, 1, 16, 5, "Y")
    fill(img, 7, 6, 20, 15, "k")
    fill(img, 8, 7, 19, 14, "d")
    fill(img, 8, 7, 19, 7, "w")
    fill(img, 8, 7, 8, 14, "w")
    fill(img, 10, 15, 17, 17, "k")
    fill(img, 11, 15, 16, 16, "d")
    fill(img, 13, 18, 14, 20, "k")


def tcp():
    img = blank()
    plug(img)
    caption(img, "TCP", 22, "n")
    return img


def udp():
    img = blank()
    plug(img)
    caption(img, "UDP", 22, "r")
    return img


def listen():
    img = blank()
    # A window: dark outline, navy title bar with its close box, white client area.
    frame(img, 1, 2, 26, 25, "k")
    fill(img, 2, 3, 25, 6, "n")
    fill(img, 22, 4, 24, 5, ".")
    fill(img, 2, 7, 25, 24, "w")
    # The wall socket: an ivory plate with a shadow and two slots.
    fill(img, 8, 10, 20, 22, "d")
    fill(img, 7, 9, 19, 21, ".")
    frame(img, 7, 9, 19, 21, "k")
    fill(img, 10, 13, 10, 17, "k")
    fill(img, 16, 13, 16, 17, "k")
    fill(img, 12, 19, 14, 19, "k")
    return img


def write_xpm(name, img):
    used = sorted({key for row in img for key in row})
    lines = [f'"{SIZE} {SIZE} {len(used)} 1",']
    lines += [f'"{key} c {PALETTE[key]}",' for key in used]
    lines += [f'"{"".join(row)}",' for row in img]
    lines[-1] = lines[-1].rstrip(",")
    with open(f"{name}.xpm", "w") as out:
        out.write("/* XPM */\n")
        out.write(f"static const char *{name}[] = {{\n")
        out.write("\n".join(lines))
        out.write("\n};\n")


if __name__ == "__main__":
    write_xpm("TCP", tcp())
    write_xpm("UDP", udp())
    write_xpm("LISTEN", listen())
