#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Usage: make_seeds.py [DATA_DIR]   (DATA_DIR: a build's data folder, for the
real overworld; without it the overworld seeds are made up)."""
import os
import struct
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    d = os.path.join(ROOT, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def bmp(width, height, bpp=24, pixels=None, size_field=None):
    if pixels is None:
        pixels = bytes((x * 7 + y * 13) & 255 for y in range(height) for x in range(width * 3))
    header = b"BM" + struct.pack("<IHHI", size_field or 54 + len(pixels), 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, len(pixels), 2835, 2835, 0, 0)
    return header + pixels


# Console lines: hero x, y, z (u16 each), then the line.
def line(x, y, z, text):
    return struct.pack("<HHH", x, y, z) + text.encode()


for name, data in {
    "teleport-low": line(100, 120, 2, "env4teleport 0 0 0"),
    "teleport-high": line(100, 120, 2, "ENV4TELEPORT 999 999 999"),
    "edge-x": line(255, 10, 2, "env4emptyx1"),
    "edge-y": line(10, 255, 2, "env4emptyy1"),
    "corner-bottom": line(10, 10, 179, "corner1"),
    "get": line(100, 120, 2, "get"),
    "cells": line(100, 120, 2, "env4block env4grass env4dirt"),
    "separators": line(100, 120, 2, "env4teleport-5,6\t7"),
    "load-empty": line(100, 120, 2, "load game 4"),
    "slot-range": line(100, 120, 2, "save game 13"),
    "toggle": line(100, 120, 2, "screensavertoggle"),
}.items():
    put("console_command", name, data)

for name, data in {
    "tile-16": bmp(16, 16),
    "cube-64": bmp(64, 64),
    "wide": bmp(32, 8),
    "tall": bmp(8, 32),
    "depth-32": bmp(16, 16, bpp=32),
    "short-header": bmp(16, 16)[:53],
    "short-pixels": bmp(16, 16)[:300],
    "huge-header": bmp(16, 16)[:18] + struct.pack("<ii", 4096, 4096) + bmp(16, 16)[26:],
    "negative": bmp(16, 16)[:18] + struct.pack("<ii", -16, 16) + bmp(16, 16)[26:],
}.items():
    put("bmp", name, data)

data_dir = sys.argv[1] if len(sys.argv) > 1 else None
real = None
if data_dir and os.path.exists(os.path.join(data_dir, "map", "1.overworld")):
    with open(os.path.join(data_dir, "map", "1.overworld"), "rb") as f:
        real = f.read()
put("overworld", "road", bytes([30, 40, 200, 210]) + bytes([22]) * (65536 - 4))
put("overworld", "short", bytes([128, 128, 10, 10]) + bytes((i * 37) & 255 for i in range(996)))
put("overworld", "long", bytes([5, 5, 250, 250]) + bytes([10, 11, 19, 61, 22]) * 13500)
put("overworld", "empty", b"")
if real:
    put("overworld", "generated", real)

# Unit patches: <unit u16> <offset u16> <length u8> <bytes>.
def unit_patch(unit, offset, data):
    return struct.pack("<HHB", unit, offset, len(data)) + data


HERO_Z = unit_patch(1, 106, struct.pack("<H", 65535))
WALKER = (unit_patch(7, 4, b"\x01") + unit_patch(7, 102, struct.pack("<HHH", 120, 130, 2)) +
          unit_patch(7, 130, struct.pack("<HH", 140, 100)) + unit_patch(7, 150, struct.pack("<H", 1)) +
          unit_patch(7, 196, struct.pack("<HH", 849, 9)))
for name, data in {
    "still": bytes([0x3f, 128, 128]),
    "hero-below": bytes([0x1f, 128, 128]) + HERO_Z,
    "hero-edge": bytes([0x3f, 255, 0]) + unit_patch(1, 102, struct.pack("<HHH", 255, 255, 179)),
    "walker": bytes([0x43, 60, 200]) + WALKER,
    "nan-position": bytes([0x1c, 128, 128]) + unit_patch(1, 168, struct.pack("<fff", float("nan"), 1e30, -1e30)),
    "sprite": bytes([0x01, 10, 10]) + unit_patch(1, 196, struct.pack("<H", 65535)),
    "selected-walks": bytes([0x13, 128, 128]) + unit_patch(1, 130, struct.pack("<HH", 65535, 0)) +
        unit_patch(1, 150, struct.pack("<H", 1)),
}.items():
    put("unit_frames", name, data)

# Slot changes: <what u8> <offset u32> <length u8> <bytes>.
def change(what, offset, data=b""):
    return struct.pack("<BIB", what, offset, len(data)) + data


GRID, UNITS, VARS, CONTEST = 0, 1, 2, 0x20
HERO = 704
for name, data in {
    "as-saved": bytes([0x1c, 0]),
    "grid-trusted": bytes([0x05, 1]) + change(GRID, 2 * 65536 + 100 * 256 + 100, bytes(range(1, 40))),
    "grid-distrusted": bytes([0x04, 1]) + change(GRID, 5000000, b"\x3d" * 16),
    "no-check": bytes([0x06, 1]) + change(UNITS, HERO + 106, struct.pack("<H", 400)),
    "hero-far": bytes([0x15, 1]) + change(UNITS, HERO + 102, struct.pack("<HHH", 65535, 65535, 65535)),
    "variables": bytes([0x05, 1]) + change(VARS, 0, struct.pack("<iiii", -1, 100000, -100000, 1 << 30)),
    "grid-cut": bytes([0x01, 1]) + change(GRID | 0x80, 6000000),
    "units-grown": bytes([0x02, 1]) + change(UNITS | 0x40, 0, b"extra"),
    "check-text": bytes([0x03, 0]) + b"delve slot check 1\nmainmap 11796480 0000000000000000\n",
    "walkers-moved": bytes([0x0d, 2]) + change(UNITS, 2 * 704 + 130, struct.pack("<HH", 1, 1)) +
        change(UNITS, 3 * 704 + 150, struct.pack("<H", 1)),
    # The contest file: removed, its turn and next free record pushed to the
    # limits, and leaders whose stock and health stand at the limits of int
    # while the map frames play turns.
    "contest-removed": bytes([0x25, 0]),
    "contest-limits": bytes([0x45, 2]) + change(CONTEST, 12, struct.pack("<i", 0x7fffffff)) +
        change(CONTEST, 24, struct.pack("<i", 2999)),
    "contest-stock-health": bytes([0x4d, 3]) + change(UNITS, HERO + 696, struct.pack("<i", 0x7fffffff)) +
        change(UNITS, HERO + 672, struct.pack("<ii", -0x80000000, -0x80000000)) +
        change(UNITS, 3 * 704 + 672, struct.pack("<i", -0x80000000)),
    "contest-bad-tag": bytes([0x05, 1]) + change(CONTEST, 0, b"X"),
}.items():
    put("save_slot", name, data)

# The older slot target: <mode u8> <variables 16 bytes> <check text or unit bytes>.
VARS16 = struct.pack("<iiii", 0, 100, 120, 2)
put("slot_load", "check-good-shape", b"\x01" + VARS16 + b"delve slot check 1\n" + b"".join(
    b"%s %d %016x\n" % (k, n, 0) for k, n in ((b"mainmap", 11796480), (b"unit", 2112000), (b"variables", 16))))
put("slot_load", "check-cut", b"\x01" + VARS16 + b"delve slot check 1\nmainmap 11796480 00")
put("slot_load", "units-walking", b"\x00" + VARS16 + b"\x00\x00\x00\x00\x01" + bytes(99) + b"\x01\x00")
