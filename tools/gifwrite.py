"""GIF89a writer for small palette images.

The layout written is: header "GIF89a", logical screen descriptor with a
global colour table, one graphic control extension when the image has a
transparent colour, one image descriptor (no local table, not interlaced),
the LZW-compressed pixel indices in sub-blocks of at most 255 bytes, and the
trailer byte 0x3B. Nothing else (no comment or application blocks), so the
bytes depend only on the pixels and the palette.
"""

import struct

_MAX_CODES = 4096


def _lzw(indices, min_code_size):
    """Compresses palette indices into GIF LZW codes packed LSB first."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], width)
        if next_code < _MAX_CODES:
            table[candidate] = next_code
            next_code += 1
            # The decoder adds each entry one code later than we do, so the
            # width grows once the next free code no longer fits.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = (index,)
    if prefix:
        emit(table[prefix], width)
    emit(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def encode(width, height, indices, palette, transparent=None):
    """Returns the GIF file bytes.

    indices: width*height palette indices, row by row from the top.
    palette: list of (r, g, b) tuples, 1 to 256 entries.
    transparent: index of the transparent colour, or None.
    """
    if not 1 <= len(palette) <= 256:
        raise ValueError("GIF writer: palette of %d colours" % len(palette))
    if len(indices) != width * height:
        raise ValueError("GIF writer: %d indices for %dx%d" % (len(indices), width, height))
    if any(i >= len(palette) for i in indices):
        raise ValueError("GIF writer: index outside the palette")
    bits = 1
    while (1 << bits) < len(palette):
        bits += 1
    table = bytearray()
    for r, g, b in palette:
        table += bytes((r, g, b))
    table += bytes(3 * ((1 << bits) - len(palette)))

    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    out += table
    if transparent is not None:
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, transparent, 0)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    min_code_size = max(2, bits)
    data = _lzw(indices, min_code_size)
    out.append(min_code_size)
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    out.append(0x3B)
    return bytes(out)
