#!/usr/bin/env python3
"""Compares what a browser page reported (the JSON it posts with report=NAME)
with the desktop program's results, or with another page's.

  page_check.py state A B
      A and B (page reports or desktop state dumps) hold the same world and
      unit digests, hero, view origin and contest
  page_check.py shot REPORT FRAME NATIVE_PNG MAX_DIFF MAX_SHARE [OUT_PNG]
      the canvas picture after FRAME, reduced to the framebuffer's size,
      differs from NATIVE_PNG by more than MAX_DIFF in a channel on at most
      MAX_SHARE of the pixels
  page_check.py pictures PNG REFERENCE_PNG MAX_DIFF MAX_SHARE
      two pictures of the same size differ as "shot" allows (the desktop
      program's renderers against each other)
  page_check.py download REPORT [FRAME]
      the page offered one PNG download (F12), named as the desktop names
      screenshots; with FRAME, it is the canvas of that frame pixel for pixel
  page_check.py canvas-size REPORT FRAME WIDTH HEIGHT
  page_check.py white PNG MIN
      at least MIN pure white pixels between the texts at top and bottom
  page_check.py stopped REPORT SAYS DROPPED KEPT
      the program ended with status 2 and the page shows its error (holding
      SAYS) as text, not markup, without the busy bar, with a link to the
      page without the parameter DROPPED and still with KEPT (name=value)
"""
import base64
import io
import json
import re
import sys

from PIL import Image


def read_png(data):
    """Decodes a picture into (width, height, rows of RGB bytes)."""
    try:
        img = Image.open(io.BytesIO(data)).convert('RGB')
    except OSError as e:
        sys.exit("page_check: not a picture: %s" % e)
    w, h = img.size
    raw = img.tobytes()
    return w, h, [raw[y * w * 3:(y + 1) * w * 3] for y in range(h)]


def write_png(path, width, height, rows):
    Image.frombytes('RGB', (width, height), b''.join(rows)).save(path)


def from_url(url):
    if not url.startswith('data:image/png;base64,'):
        sys.exit("page_check: no PNG data URL")
    return read_png(base64.b64decode(url.split(',', 1)[1]))


def shot(report, frame):
    if 'shot' + frame not in report:
        sys.exit("page_check: the page reported no picture of frame %s" % frame)
    return from_url(report['shot' + frame])


def reduced(cw, ch, canvas, w, h):
    """The top-left pixel of every zoom x zoom block, or None if the canvas
    is no whole zoom of w x h."""
    zoom = cw // w
    if zoom < 1 or zoom * w != cw or zoom * h != ch:
        return None
    return [bytes(canvas[y * zoom][x * zoom * 3 + c] for x in range(w) for c in range(3))
            for y in range(h)]


def compare(label, small, native, nw, nh, max_diff, max_share):
    """True when at most max_share of the pixels differ by more than max_diff
    in a channel; prints how many did."""
    diffs = [max(abs(small[y][x * 3 + c] - native[y][x * 3 + c]) for c in range(3))
             for y in range(nh) for x in range(nw)]
    off = sum(d > max_diff for d in diffs)
    share = off / float(nw * nh)
    ok = share <= max_share
    print("page_check: %s: %d of %d pixels differ by more than %s (%.3f%%), largest "
          "difference %d: %s" % (label, off, nw * nh, max_diff, 100 * share, max(diffs),
                                 "ok" if ok else "TOO DIFFERENT"))
    return ok


def key_fields(path):
    s = json.load(open(path, encoding='utf-8'))
    if 'worldFnv1a64' not in s:  # a page's report
        if 'state' not in s:
            sys.exit("page_check: %s reports no state" % path)
        s = json.loads(s['state']) if isinstance(s['state'], str) else s['state']
    h = s['hero']
    return {'worldFnv1a64': s['worldFnv1a64'], 'unitsFnv1a64': s['unitsFnv1a64'],
            'hero': (h['x'], h['y'], h['z'], h['subX'], h['subY'], h['subZ']),
            'origin': (s['SX'], s['SY'], s['SZ']), 'contest': s.get('contest')}


def main(argv):
    cmd, args = argv[1] if len(argv) > 1 else '', argv[2:]
    if cmd == 'state' and len(args) == 2:
        a, b = key_fields(args[0]), key_fields(args[1])
        bad = [k for k in a if a[k] != b[k]]
        for k in bad:
            print("page_check: %s differs: %s against %s" % (k, a[k], b[k]))
        print("page_check: states %s" % ("DIFFER" if bad else "match"))
        return 1 if bad else 0
    if cmd == 'white' and len(args) == 2:
        w, h, rows = read_png(open(args[0], 'rb').read())
        white = sum(1 for y in range(20, h - 80) for x in range(w)
                    if rows[y][x * 3:x * 3 + 3] == b'\xff\xff\xff')
        print("page_check: %d white pixels between the texts" % white)
        return 0 if white >= int(args[1]) else 1
    if cmd in ('shot', 'download', 'canvas-size', 'stopped'):
        report = json.load(open(args[0], encoding='utf-8'))
    if cmd == 'shot' and len(args) >= 5:
        cw, ch, canvas = shot(report, args[1])
        nw, nh, native = read_png(open(args[2], 'rb').read())
        small = reduced(cw, ch, canvas, nw, nh)
        if small is None:
            print("page_check: canvas %dx%d is no whole zoom of %dx%d" % (cw, ch, nw, nh))
            return 1
        if len(args) >= 6:
            write_png(args[5], nw, nh, small)
        ok = compare("frame " + args[1], small, native, nw, nh, int(args[3]), float(args[4]))
        return 0 if ok else 1
    if cmd == 'pictures' and len(args) == 4:
        w, h, picture = read_png(open(args[0], 'rb').read())
        rw, rh, reference = read_png(open(args[1], 'rb').read())
        if (w, h) != (rw, rh):
            print("page_check: %s is %dx%d, %s %dx%d" % (args[0], w, h, args[1], rw, rh))
            return 1
        ok = compare(args[0], picture, reference, w, h, int(args[2]), float(args[3]))
        return 0 if ok else 1
    if cmd == 'download':
        offered = report.get('downloads', [])
        if len(offered) != 1 or not re.fullmatch(r'delve-[0-9_-]+\.png', offered[0]['name']):
            print("page_check: offered %s, not one screenshot" % [d.get('name') for d in offered])
            return 1
        dw, dh, picture = from_url(offered[0]['png'])
        ok = len(args) < 2 or reduced(*shot(report, args[1]), dw, dh) == picture
        print("page_check: F12 offered %s, %dx%d%s" % (offered[0]['name'], dw, dh,
                                                    "" if ok else ", NOT the canvas"))
        return 0 if ok else 1
    if cmd == 'canvas-size' and len(args) == 4:
        w, h, _ = shot(report, args[1])
        ok = (w, h) == (int(args[2]), int(args[3]))
        print("page_check: the canvas of frame %s is %dx%d%s" %
              (args[1], w, h, "" if ok else ", not %sx%s" % (args[2], args[3])))
        return 0 if ok else 1
    if cmd == 'stopped' and len(args) == 4:
        stopped = report.get('stopped') or {}
        query = stopped.get('link', '').partition('?')[2].split('&')
        faults = [what for what, bad in [
            ("exit status %s, not 2" % report.get('exit'), report.get('exit') != 2),
            ("no %r in %r" % (args[1], stopped.get('text')), args[1] not in stopped.get('text', '')),
            ("markup from the error in the page: %r" % stopped.get('html'),
             re.search(r'<(?!/?(pre|a)[ >])', stopped.get('html', '')) is not None),
            ("the busy bar is still on", stopped.get('busy', True)),
            ("the loading screen is still up", stopped.get('loading', True)),
            ("the link %r keeps %s=" % (stopped.get('link'), args[2]),
             any(q.startswith(args[2] + '=') for q in query)),
            ("the link %r lost %s" % (stopped.get('link'), args[3]), args[3] not in query),
        ] if bad]
        for f in faults:
            print("page_check: " + f)
        print("page_check: the page %s" % ("shows why the game stopped" if not faults else
                                           "does NOT show why the game stopped"))
        return 1 if faults else 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
