#!/usr/bin/env python3
"""Reads what the browser page reported (the JSON it posts with report=NAME,
or its DOM as --dump-dom prints it) and compares it with the desktop
program's results.

  page_check.py state DOM NATIVE_JSON
      the page's state dump has the native run's world and unit digests,
      hero and view origin
  page_check.py same-state DOM_A DOM_B
      two pages ended in the same state (digests, hero, origin)
  page_check.py shot DOM FRAME NATIVE_PNG MAX_DIFF MAX_SHARE [OUT_PNG]
      the canvas picture the page took after FRAME, reduced to the
      framebuffer's size, differs from NATIVE_PNG by at most MAX_DIFF in any
      channel except on at most MAX_SHARE of the pixels
  page_check.py download-is-shot REPORT FRAME
      the one PNG the page offered as a download is its canvas of FRAME
  page_check.py canvas-size REPORT FRAME WIDTH HEIGHT
      the canvas picture of FRAME has that size
  page_check.py field DOM ELEMENT_ID KEY
      prints one value of the JSON in a result element (delve-timing,
      delve-fps, delve-state)
"""
import base64
import html
import json
import re
import struct
import sys
import zlib


def element(dom, element_id):
    if dom.lstrip().startswith('{'):
        report = json.loads(dom)
        key = {'delve-state': 'state', 'delve-timing': 'timing', 'delve-fps': 'fps'}.get(
            element_id, element_id.replace('delve-shot-', 'shot'))
        if key not in report:
            sys.exit("page_check: the page reported no %s" % key)
        v = report[key]
        return v if isinstance(v, str) else json.dumps(v)
    m = re.search(r'<pre id="%s"[^>]*>(.*?)</pre>' % re.escape(element_id), dom, re.S)
    if not m:
        sys.exit("page_check: the page wrote no %s" % element_id)
    return html.unescape(m.group(1))


def read_png(data):
    """Decodes an 8-bit RGB or RGBA PNG into (width, height, rows of RGB)."""
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit("page_check: not a PNG")
    pos, idat, width, height, colour = 8, b'', 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace:
                sys.exit("page_check: unsupported PNG (depth %d, colour %d)" % (depth, colour))
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        filt = raw[i]
        line = bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if filt == 1:
                line[x] = (line[x] + a) & 255
            elif filt == 2:
                line[x] = (line[x] + b) & 255
            elif filt == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif filt == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 255
        rows.append(bytes(line[k] for k in range(stride) if k % channels < 3))
        prev = line
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))
    raw = b''.join(b'\x00' + r for r in rows)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2,
                                                                   0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def state(dom):
    return json.loads(element(dom, 'delve-state'))


def key_fields(s):
    h = s['hero']
    return {'worldFnv1a64': s['worldFnv1a64'], 'unitsFnv1a64': s['unitsFnv1a64'],
            'hero': (h['x'], h['y'], h['z'], h['subX'], h['subY'], h['subZ']),
            'origin': (s['SX'], s['SY'], s['SZ']), 'contest': s.get('contest')}


def compare_fields(a, b, what):
    fa, fb = key_fields(a), key_fields(b)
    bad = [k for k in fa if fa[k] != fb[k]]
    for k in bad:
        print("page_check: %s: %s differs: %s against %s" % (what, k, fa[k], fb[k]))
    return not bad


def main(argv):
    if len(argv) >= 4 and argv[1] == 'state':
        dom = open(argv[2], encoding='utf-8').read()
        native = json.load(open(argv[3]))
        ok = compare_fields(state(dom), native, 'page against desktop')
        print("page_check: state %s" % ("matches the desktop run" if ok else "DIFFERS"))
        return 0 if ok else 1
    if len(argv) >= 4 and argv[1] == 'same-state':
        a = state(open(argv[2], encoding='utf-8').read())
        b = state(open(argv[3], encoding='utf-8').read())
        ok = compare_fields(a, b, 'second page against first')
        print("page_check: states %s" % ("match" if ok else "DIFFER"))
        return 0 if ok else 1
    if len(argv) >= 7 and argv[1] == 'shot':
        dom = open(argv[2], encoding='utf-8').read()
        url = element(dom, 'delve-shot-' + argv[3]).strip()
        prefix = 'data:image/png;base64,'
        if not url.startswith(prefix):
            sys.exit("page_check: the picture of frame %s is no PNG data URL" % argv[3])
        cw, ch, canvas = read_png(base64.b64decode(url[len(prefix):]))
        nw, nh, native = read_png(open(argv[4], 'rb').read())
        max_diff, max_share = int(argv[5]), float(argv[6])
        if cw % nw or ch % nh or cw // nw != ch // nh:
            print("page_check: canvas %dx%d is no whole zoom of %dx%d" % (cw, ch, nw, nh))
            return 1
        zoom = cw // nw
        # The top-left pixel of every zoom x zoom block (the canvas rows run
        # top-down like the PNG's).
        reduced = [bytes(canvas[y * zoom][x * zoom * 3 + c] for x in range(nw) for c in range(3))
                   for y in range(nh)]
        off, worst = 0, 0
        for y in range(nh):
            for x in range(nw):
                d = max(abs(reduced[y][x * 3 + c] - native[y][x * 3 + c]) for c in range(3))
                worst = max(worst, d)
                off += d > max_diff
        share = off / float(nw * nh)
        if len(argv) >= 8:
            write_png(argv[7], nw, nh, reduced)
        ok = share <= max_share
        print("page_check: frame %s: %d of %d pixels differ by more than %d (%.3f%%, allowed "
              "%.3f%%), largest difference %d: %s" % (argv[3], off, nw * nh, max_diff,
                                                       100 * share, 100 * max_share, worst,
                                                       "ok" if ok else "TOO DIFFERENT"))
        return 0 if ok else 1
    if len(argv) >= 4 and argv[1] == 'download-is-shot':
        # The PNG the page offered (F12) is the canvas picture of frame
        # argv[3], pixel for pixel, at the framebuffer's size.
        report = json.load(open(argv[2]))
        downloads = report.get('downloads', [])
        if len(downloads) != 1:
            print("page_check: %d downloads offered, not one" % len(downloads))
            return 1
        prefix = 'data:image/png;base64,'
        dw, dh, offered = read_png(base64.b64decode(downloads[0]['png'][len(prefix):]))
        cw, ch, canvas = read_png(base64.b64decode(report['shot' + argv[3]][len(prefix):]))
        zoom = cw // dw
        reduced = [bytes(canvas[y * zoom][x * zoom * 3 + c] for x in range(dw) for c in range(3))
                   for y in range(dh)]
        ok = zoom * dw == cw and zoom * dh == ch and reduced == offered
        print("page_check: the F12 picture %s the canvas of frame %s" %
              ("is" if ok else "is NOT", argv[3]))
        return 0 if ok else 1
    if len(argv) >= 6 and argv[1] == 'canvas-size':
        # The canvas picture of frame argv[3] is argv[4] x argv[5] pixels.
        url = element(open(argv[2], encoding='utf-8').read(), 'delve-shot-' + argv[3]).strip()
        w, h, _ = read_png(base64.b64decode(url.split(',', 1)[1]))
        ok = (w, h) == (int(argv[4]), int(argv[5]))
        print("page_check: the canvas of frame %s is %dx%d%s" %
              (argv[3], w, h, "" if ok else ", not %sx%s" % (argv[4], argv[5])))
        return 0 if ok else 1
    if len(argv) >= 5 and argv[1] == 'field':
        dom = open(argv[2], encoding='utf-8').read()
        print(json.loads(element(dom, argv[3]))[argv[4]])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
