"""Writers for the file formats the game carries: icons, GIFs, WAVs, and PNG
for the contact sheet. Plain stdlib so the generator runs anywhere."""

import struct
import zlib

ICON_SIZE = 32


def ico(pixels, palette):
    """A 32x32 8-bit icon with its AND mask.

    pixels: 32 rows of palette indexes, None for a transparent pixel.
    palette: up to 256 (r, g, b); missing entries are black.
    """
    assert len(pixels) == ICON_SIZE and all(len(r) == ICON_SIZE for r in pixels)
    assert len(palette) <= 256
    xor_size = ICON_SIZE * ICON_SIZE
    and_stride = 4  # 32 bits a row is already 4-byte aligned
    and_size = and_stride * ICON_SIZE
    image_size = 40 + 1024 + xor_size + and_size
    out = bytearray()
    out += struct.pack('<HHH', 0, 1, 1)
    out += struct.pack('<BBBBHHII', ICON_SIZE, ICON_SIZE, 0, 0, 1, 8, image_size, 22)
    # The icon's own height counts the XOR and AND bitmaps together.
    out += struct.pack('<IiiHHIIiiII', 40, ICON_SIZE, ICON_SIZE * 2, 1, 8, 0,
                       xor_size + and_size, 0, 0, 0, 0)
    for i in range(256):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        out += bytes((b, g, r, 0))
    for row in reversed(pixels):
        # Masked pixels keep index 0 (black) so that the XOR pass leaves the
        # screen untouched where the mask cut it out.
        out += bytes(0 if p is None else p for p in row)
    for row in reversed(pixels):
        bits = 0
        for p in row:
            bits = (bits << 1) | (p is None)
        out += struct.pack('>I', bits)
    assert len(out) == 22 + image_size
    return bytes(out)


def lzw_encode(indexes, min_code_size=8):
    """GIF-flavoured variable-width LZW, packed LSB first."""
    clear = 1 << min_code_size
    end = clear + 1
    acc = 0
    nbits = 0
    out = bytearray()

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = None
    for value in indexes:
        if prefix is None:
            prefix = value
            continue
        key = (prefix, value)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix, width)
        table[key] = next_code
        # The decoder learns each code one step later, so widen only once
        # the code just added no longer fits.
        if next_code == (1 << width) and width < 12:
            width += 1
        next_code += 1
        if next_code == 4096:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = value
    if prefix is not None:
        emit(prefix, width)
    emit(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif(width, height, indexes, palette, version=b'89a'):
    """A single-frame GIF with a 256-entry global table and no extensions."""
    assert len(indexes) == width * height and len(palette) <= 256
    out = bytearray(b'GIF' + version)
    # Global table present, 8-bit colour resolution, 2^(7+1) entries.
    out += struct.pack('<HHBBB', width, height, 0xF7, 0, 0)
    for i in range(256):
        out += bytes(palette[i] if i < len(palette) else (0, 0, 0))
    out += b','
    out += struct.pack('<HHHHB', 0, 0, width, height, 0)
    out.append(8)
    data = lzw_encode(indexes, 8)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out += block
    out += b'\x00;'
    return bytes(out)


def png(width, height, rgb_rows):
    """An RGB PNG; rgb_rows holds one bytes object of 3*width bytes per row."""
    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b''.join(b'\x00' + bytes(row) for row in rgb_rows)
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) +
            chunk(b'IEND', b''))


def ppm(width, height, rgb_rows):
    return b'P6\n%d %d\n255\n' % (width, height) + b''.join(bytes(r) for r in rgb_rows)


SAMPLE_RATE = 11025


def wav(samples, artist=None):
    """8-bit unsigned mono PCM with an 18-byte fmt chunk and a fact chunk,
    optionally followed by a LIST/INFO chunk naming the artist."""
    samples = bytes(samples)
    n = len(samples)

    def chunk(kind, body):
        pad = b'\x00' if len(body) % 2 else b''
        return kind + struct.pack('<I', len(body)) + body + pad

    body = b'WAVE'
    body += chunk(b'fmt ', struct.pack('<HHIIHHH', 1, 1, SAMPLE_RATE, SAMPLE_RATE, 1, 8, 0))
    body += chunk(b'fact', struct.pack('<I', n))
    body += chunk(b'data', samples)
    if artist is not None:
        text = artist.encode('ascii') + b'\x00'
        body += chunk(b'LIST', b'INFO' + chunk(b'IART', text))
    return b'RIFF' + struct.pack('<I', len(body)) + body
