#!/usr/bin/env python3
"""Draws the pictures of Tidewell's main window and its icon.

Writes, below the source tree:
  resources/pictures/{clean,log,backup,options,desktop,help}.png  48 x 48 RGBA
  resources/pictures/banner.jpg                                   361 x 99 baseline JPEG
  resources/Tidewell.ico                                          16, 32, 48, 256 px
  tests/fuzz/corpus/png/*.png                                     the pictures and tiny edge files

Everything is drawn here from simple shapes, each pixel covered by an 8 x 8
grid of samples for smooth edges. The PNG writer picks each row's filter the
way libpng's heuristic does (the smallest sum of absolute differences), so the
files hold a mix of all five filter types. The banner's text is set by
ImageMagick's `convert` with the DejaVu fonts.

Usage: scripts/make-pictures.py [source-root]
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

SAMPLES = 8  # samples per pixel along each axis


# ---------------------------------------------------------------- canvas ----

class Canvas:
    """Premultiplied RGBA floats in 0..1, drawn on with 'over' compositing."""

    def __init__(self, width, height, scale=1.0):
        self.width, self.height = width, height
        self.scale = scale  # shapes are described on a 48-unit grid
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def fill(self, inside, colour, box=None):
        """Covers the points where inside(x, y) holds (coordinates in grid
        units) with colour, an (r, g, b, a) tuple in 0..255 or a function of
        (x, y) giving one."""
        s = self.scale
        x0, y0, x1, y1 = (0, 0, self.width, self.height)
        if box:
            x0 = max(0, int(math.floor(box[0] * s)))
            y0 = max(0, int(math.floor(box[1] * s)))
            x1 = min(self.width, int(math.ceil(box[2] * s)) + 1)
            y1 = min(self.height, int(math.ceil(box[3] * s)) + 1)
        offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for oy in offsets:
                    y = (py + oy) / s
                    for ox in offsets:
                        if inside((px + ox) / s, y):
                            hits += 1
                if hits == 0:
                    continue
                cover = hits / (SAMPLES * SAMPLES)
                c = colour((px + 0.5) / s, (py + 0.5) / s) if callable(colour) else colour
                a = c[3] / 255.0 * cover
                dst = self.px[py * self.width + px]
                for k in range(3):
                    dst[k] = c[k] / 255.0 * a + dst[k] * (1 - a)
                dst[3] = a + dst[3] * (1 - a)

    def rgba_rows(self):
        """Rows of straight (not premultiplied) 8-bit RGBA."""
        rows = []
        for y in range(self.height):
            row = bytearray()
            for x in range(self.width):
                r, g, b, a = self.px[y * self.width + x]
                if a <= 0.0:
                    row += b'\0\0\0\0'
                    continue
                row += bytes(min(255, int(round(v / a * 255))) for v in (r, g, b))
                row.append(min(255, int(round(a * 255))))
            rows.append(bytes(row))
        return rows


# ---------------------------------------------------------------- shapes ----

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def segment(ax, ay, bx, by, width):
    """A stroke from a to b with round ends."""
    half = width / 2.0
    lx, ly = bx - ax, by - ay
    length2 = lx * lx + ly * ly or 1e-9

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * lx + (y - ay) * ly) / length2))
        dx, dy = x - (ax + t * lx), y - (ay + t * ly)
        return dx * dx + dy * dy <= half * half
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def arc(cx, cy, r, width, start_deg, end_deg):
    """A stroke along a circle from start to end angle (degrees, clockwise
    from the positive x axis in screen coordinates), with round ends."""
    half = width / 2.0
    a0, a1 = math.radians(start_deg), math.radians(end_deg)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a1)]

    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        ang = math.atan2(y - cy, x - cx)
        t = (ang - a0) % (2 * math.pi)
        if t <= (a1 - a0) % (2 * math.pi) and abs(d - r) <= half:
            return True
        return any((x - ex) ** 2 + (y - ey) ** 2 <= half * half for ex, ey in ends)
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def vgradient(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(top[k] + (bottom[k] - top[k]) * t for k in range(4))
    return colour


def shadow(shape, dx=1.0, dy=1.4):
    return lambda x, y: shape(x - dx, y - dy)


# Colours shared by all pictures: deep sea, tide blue, foam, sand.
INK = (22, 58, 92, 255)
SEA = (24, 110, 170, 255)
TIDE = (46, 160, 205, 255)
FOAM = (235, 248, 252, 255)
SAND = (226, 178, 92, 255)
WOOD = (150, 98, 52, 255)
SHADE = (10, 30, 50, 70)
GREEN = (46, 160, 90, 255)


# -------------------------------------------------------------- pictures ----

def draw_clean(c):
    # A broom sweeping from top right to bottom left, with a wave of foam.
    handle = segment(41, 5, 24, 26, 3.6)
    head = polygon([(18.5, 22), (28.5, 32), (17, 44), (4, 36)])
    band = segment(19.5, 24.5, 26.5, 31.5, 4.4)
    c.fill(shadow(union(handle, head)), SHADE)
    c.fill(handle, vgradient((186, 130, 74, 255), WOOD, 5, 26))
    c.fill(head, vgradient((244, 206, 120, 255), SAND, 22, 44))
    for k in range(1, 5):  # bristles run from the band to the tip
        t = k / 5.0
        top = (18.5 + 10 * t, 22 + 10 * t)
        tip = (4 + 13 * t, 36 + 8 * t)
        c.fill(segment(top[0], top[1], tip[0] + (0.5 - t) * 1.5, tip[1] - 1.2, 0.9), (176, 126, 54, 210))
    c.fill(band, SEA)
    # The swept-up wave of water beside the broom.
    wave = lambda x, y: abs(y - (41 + 2.2 * math.sin((x - 22) / 3.2))) <= 1.4 and 22 <= x <= 45
    c.fill(wave, TIDE)
    for x, y, r in ((37, 34, 2.0), (43, 31, 1.5), (31, 35.5, 1.2)):
        c.fill(circle(x, y, r), (120, 200, 235, 255))


def draw_log(c):
    # A page with a folded corner and lines of text.
    page = polygon([(9, 4), (31, 4), (40, 13), (40, 44), (9, 44)])
    c.fill(shadow(page), SHADE)
    c.fill(page, INK)
    inner = polygon([(10.8, 5.8), (30.3, 5.8), (38.2, 13.7), (38.2, 42.2), (10.8, 42.2)])
    c.fill(inner, vgradient((255, 255, 255, 255), (222, 236, 244, 255), 4, 44))
    c.fill(polygon([(30.3, 5.8), (38.2, 13.7), (30.3, 13.7)]), (170, 200, 220, 255))
    for k, (x1, colour) in enumerate(((27, SEA), (34, TIDE), (34, TIDE), (30, TIDE), (34, TIDE), (24, TIDE))):
        y = 12 + k * 5
        c.fill(segment(15, y, x1 if k else 26, y, 2.2), colour)


def draw_backup(c):
    # An archive box with a green arrow going into it.
    body = round_rect(6, 22, 42, 44, 2.5)
    lid = round_rect(4, 17, 44, 24, 2.0)
    c.fill(shadow(union(body, lid)), SHADE)
    c.fill(body, vgradient((214, 166, 96, 255), (176, 122, 60, 255), 22, 44))
    c.fill(lid, vgradient((236, 196, 128, 255), (206, 156, 86, 255), 17, 24))
    c.fill(round_rect(18, 28, 30, 32, 1.8), WOOD)
    arrow = union(round_rect(20, 2, 28, 16, 1.5), polygon([(14, 13), (34, 13), (24, 25)]))
    c.fill(shadow(arrow, 0.8, 1.0), SHADE)
    c.fill(arrow, vgradient((96, 200, 120, 255), GREEN, 2, 25))


def gear(cx, cy, r_out, r_in, r_hole, teeth):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if d < r_hole or d > r_out:
            return False
        if d <= r_in:
            return True
        ang = (math.atan2(y - cy, x - cx) / (2 * math.pi) * teeth) % 1.0
        # Teeth narrow a little towards their tips.
        half = 0.25 - 0.06 * (d - r_in) / (r_out - r_in)
        return abs(ang - 0.5) <= half
    return inside


def draw_options(c):
    g = gear(24, 24, 21, 15.5, 6.5, 8)
    c.fill(shadow(g), SHADE)
    c.fill(g, vgradient((120, 150, 178, 255), (70, 96, 124, 255), 3, 45))
    c.fill(ring(24, 24, 12.5, 10.5), (150, 178, 202, 255))
    c.fill(ring(24, 24, 7.8, 6.5), (44, 66, 92, 255))


def draw_desktop(c):
    # A monitor on its stand, with small icons on a blue desktop.
    frame = round_rect(3, 5, 45, 36, 2.5)
    c.fill(shadow(frame), SHADE)
    c.fill(polygon([(19, 35), (29, 35), (31, 42), (17, 42)]), (120, 132, 146, 255))
    c.fill(round_rect(11, 41, 37, 45, 1.6), (96, 108, 122, 255))
    c.fill(frame, (52, 60, 72, 255))
    c.fill(round_rect(6, 8, 42, 32, 0.8), vgradient((70, 170, 220, 255), (24, 96, 160, 255), 8, 32))
    icons = ((10, 11, (255, 220, 110, 255)), (10, 20, FOAM), (19, 11, (140, 230, 150, 255)),
             (34, 22, (255, 170, 120, 255)))
    for x, y, colour in icons:
        c.fill(round_rect(x, y, x + 5, y + 5, 1.0), colour)
    c.fill(circle(34, 13, 2.5), (255, 255, 255, 120))


def draw_help(c):
    disc = circle(24, 24, 20.5)
    c.fill(shadow(disc), SHADE)
    c.fill(disc, vgradient((80, 170, 230, 255), (20, 90, 160, 255), 3, 45))
    c.fill(ring(24, 24, 20.5, 19.0), (16, 70, 130, 255))
    # The question mark: a hook, a short stem and a dot.
    mark = union(arc(24, 18, 6.5, 4.6, 170, 90), segment(24, 24.5, 24, 28, 4.6))
    c.fill(mark, FOAM)
    c.fill(circle(24, 35, 2.8), FOAM)


PICTURES = (("clean", draw_clean), ("log", draw_log), ("backup", draw_backup),
            ("options", draw_options), ("desktop", draw_desktop), ("help", draw_help))


def draw_icon(c):
    """The application icon: a round well of water with a tide wave."""
    well = circle(24, 24, 21)
    c.fill(well, vgradient((120, 210, 240, 255), (18, 80, 150, 255), 3, 45))
    c.fill(ring(24, 24, 21, 19), INK)
    water = lambda x, y: y > 26 + 3.2 * math.sin((x - 6) / 5.5)
    c.fill(lambda x, y: well(x, y) and water(x, y) and not ring(24, 24, 21, 19)(x, y),
           vgradient((30, 120, 190, 255), (12, 60, 120, 255), 22, 45))
    crest = lambda x, y: abs(y - (26 + 3.2 * math.sin((x - 6) / 5.5))) <= 1.6
    c.fill(lambda x, y: crest(x, y) and circle(24, 24, 19)(x, y), FOAM)
    c.fill(circle(15, 14, 3.5), (255, 255, 255, 150))


# ------------------------------------------------------------------- PNG ----

def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, prior, bpp):
    out = bytearray(len(row))
    for i, v in enumerate(row):
        left = row[i - bpp] if i >= bpp else 0
        up = prior[i]
        upleft = prior[i - bpp] if i >= bpp else 0
        pred = (0, left, up, (left + up) >> 1, paeth(left, up, upleft))[kind]
        out[i] = (v - pred) & 0xFF
    return bytes(out)


def encode_png(width, height, rows):
    """RGBA 8-bit PNG; each row gets the filter whose output has the smallest
    sum of absolute (signed) byte values."""
    bpp = 4
    prior = bytes(width * bpp)
    raw = bytearray()
    for row in rows:
        best = None
        for kind in range(5):
            data = filter_row(kind, row, prior, bpp)
            score = sum(v if v < 128 else 256 - v for v in data)
            if best is None or score < best[0]:
                best = (score, kind, data)
        raw.append(best[1])
        raw += best[2]
        prior = row

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body
                + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def filter_types(png):
    """The filter byte of each row of an RGBA 8-bit PNG written above."""
    width, height = struct.unpack('>II', png[16:24])
    length = struct.unpack('>I', png[33:37])[0]
    raw = zlib.decompress(png[41:41 + length])
    stride = 1 + width * 4
    return [raw[y * stride] for y in range(height)]


def png_chunk(kind, body):
    return (struct.pack('>I', len(body)) + kind + body
            + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))


def edge_png(width, height, depth, colour, rows, interlace=0, extra=(), pieces=1):
    """A small PNG from ready scan lines (filter byte included) for the fuzz corpus."""
    z = zlib.compress(b''.join(rows), 9)
    step = (len(z) + pieces - 1) // pieces
    out = b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, interlace))
    for kind, body in extra:
        out += png_chunk(kind, body)
    for at in range(0, len(z), step):
        out += png_chunk(b'IDAT', z[at:at + step])
    return out + png_chunk(b'IEND', b'')


def make_fuzz_corpus(folder):
    """Tiny files that reach the less common paths of the reader."""
    os.makedirs(folder, exist_ok=True)
    files = {
        # 1 x 1 grey, 1 bit.
        'grey1-1x1.png': edge_png(1, 1, 1, 0, [b'\0\x80']),
        # 3 x 2 palette, 2 bits, with transparency, Adam7 (passes 1, 4, 6 and 7 hold pixels).
        'palette2-adam7.png': edge_png(3, 2, 2, 3, [b'\0\x40', b'\0\x80', b'\0\xC0', b'\x04\x50'],
                                       interlace=1, extra=((b'PLTE', bytes(range(12))), (b'tRNS', b'\0\x80'))),
        # 2 x 2 RGBA, 16 bits, Paeth and Average rows, image data in 3 chunks.
        'rgba16-split.png': edge_png(2, 2, 16, 6, [b'\x04' + bytes(range(16)), b'\x03' + bytes(range(16, 32))],
                                     pieces=3, extra=((b'tEXt', b'Title\0edge'),)),
        # 4 x 1 grey 8 bits with a colour key.
        'grey8-key.png': edge_png(4, 1, 8, 0, [b'\x01\x10\x10\x10\x10'], extra=((b'tRNS', b'\0\x20'),)),
        # 2 x 1 RGB 8 bits with a colour key, Up filter on the first row.
        'rgb8-key.png': edge_png(2, 1, 8, 2, [b'\x02\1\2\3\4\5\6'], extra=((b'tRNS', b'\0\1\0\2\0\3'),)),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


# ------------------------------------------------------------------- ICO ----

def dib_entry(size, rows):
    """A 32-bit DIB image for an icon directory (XOR bitmap bottom-up in BGRA,
    then a 1-bit AND mask)."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def encode_ico(images):
    """images: list of (size, payload bytes). Sizes of 256 are stored as 0."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, payload in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(payload), offset)
        offset += len(payload)
        body += payload
    return out + body


# ---------------------------------------------------------------- banner ----

def draw_banner_background(width, height):
    """A sea gradient with two bands of waves and a sandy strip of light."""
    c = Canvas(width, height)
    sky_top, sea_bottom = (18, 64, 120, 255), (12, 120, 160, 255)
    c.fill(lambda x, y: True, vgradient(sky_top, sea_bottom, 0, height))
    c.fill(lambda x, y: y > 62 + 6 * math.sin(x / 34.0) + 3 * math.sin(x / 11.0 + 1),
           (36, 150, 196, 170))
    c.fill(lambda x, y: y > 76 + 5 * math.sin(x / 27.0 + 2) + 2 * math.sin(x / 9.0),
           (80, 190, 220, 160))
    c.fill(lambda x, y: abs(y - (76 + 5 * math.sin(x / 27.0 + 2) + 2 * math.sin(x / 9.0))) < 1.0,
           (235, 250, 255, 200))
    c.fill(lambda x, y: y > 90 + 3 * math.sin(x / 19.0 + 4), (238, 214, 160, 230))
    return c


def make_banner(root, out_path):
    width, height = 361, 99
    # The banner is large; a 2 x 2 grid of samples is enough for its soft shapes.
    global SAMPLES
    saved, SAMPLES = SAMPLES, 2
    canvas = draw_banner_background(width, height)
    SAMPLES = saved
    with tempfile.TemporaryDirectory() as tmp:
        bg = os.path.join(tmp, 'background.png')
        with open(bg, 'wb') as f:
            f.write(encode_png(width, height, canvas.rgba_rows()))
        subprocess.run([
            'convert', bg,
            '-font', 'DejaVu-Sans-Bold', '-pointsize', '34',
            '-fill', '#0a2a48', '-annotate', '+20+48', 'Tidewell',
            '-fill', '#f2fbff', '-annotate', '+18+46', 'Tidewell',
            '-font', 'DejaVu-Sans', '-pointsize', '12',
            '-fill', '#d8f0fa', '-annotate', '+20+66', 'Clears what old drivers leave behind',
            '-strip', '-interlace', 'none', '-sampling-factor', '2x2,1x1,1x1', '-quality', '88',
            out_path], check=True)


# ------------------------------------------------------------------ main ----

def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    pictures = os.path.join(root, 'resources', 'pictures')
    os.makedirs(pictures, exist_ok=True)

    used_filters = set()
    for name, draw in PICTURES:
        c = Canvas(48, 48)
        draw(c)
        png = encode_png(48, 48, c.rgba_rows())
        used_filters.update(filter_types(png))
        with open(os.path.join(pictures, name + '.png'), 'wb') as f:
            f.write(png)
        print(f'{name}.png: {len(png)} bytes')
    print('filter types used:', sorted(used_filters))

    corpus = os.path.join(root, 'tests', 'fuzz', 'corpus', 'png')
    make_fuzz_corpus(corpus)
    for name, _ in PICTURES:
        with open(os.path.join(pictures, name + '.png'), 'rb') as src, open(os.path.join(corpus, name + '.png'), 'wb') as dst:
            dst.write(src.read())

    entries = []
    for size in (16, 32, 48, 256):
        c = Canvas(size, size, scale=size / 48.0)
        draw_icon(c)
        rows = c.rgba_rows()
        payload = encode_png(size, size, rows) if size == 256 else dib_entry(size, rows)
        entries.append((size, payload))
    ico = encode_ico(entries)
    with open(os.path.join(root, 'resources', 'Tidewell.ico'), 'wb') as f:
        f.write(ico)
    print(f'Tidewell.ico: {len(ico)} bytes')

    banner = os.path.join(pictures, 'banner.jpg')
    make_banner(root, banner)
    print(f'banner.jpg: {os.path.getsize(banner)} bytes')


if __name__ == '__main__':
    main()
