"""Turns the 24-bit BMP pictures the window robot saves into PNG files."""
import struct, zlib, sys
def convert(src, dst):
    d = open(src, 'rb').read()
    off = struct.unpack_from('<I', d, 10)[0]
    w, h = struct.unpack_from('<ii', d, 18)
    bpp = struct.unpack_from('<H', d, 28)[0]
    assert bpp == 24
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(abs(h)):
        sy = h - 1 - y if h > 0 else y
        row = d[off + sy * stride: off + sy * stride + w * 3]
        rgb = bytearray(w * 3)
        rgb[0::3] = row[2::3]; rgb[1::3] = row[1::3]; rgb[2::3] = row[0::3]
        rows.append(b'\0' + bytes(rgb))
    def chunk(t, b):
        c = struct.pack('>I', len(b)) + t + b
        return c + struct.pack('>I', zlib.crc32(t + b) & 0xffffffff)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, abs(h), 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
    open(dst, 'wb').write(png)
for a in sys.argv[1:]:
    convert(a, a[:-4] + '.png')
