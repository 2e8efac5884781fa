#!/usr/bin/env python3
"""Checks that every #include points down the layers and that every target
links exactly the libraries whose headers its files include; and that GL,
GLU, OpenGL ES, EGL, SDL and emscripten are included and linked only in
gfx/renderers/ and platform/backends/.

Layers, bottom up:
    platform <- gfx, world <- units <- path <- rules, views, console <- app
    then sim, tools, bench and fuzz on top; platform/backends sits on platform
    and gfx/renderers on gfx, and both are linked only by programs, app and
    tests.

A library must link each library it includes from itself (PUBLIC when a
header includes it); a program or test may also reach it through a library
that links it PUBLIC. A library that links a project library it never
includes fails too.

Every include form counts: "dir/x.h", <dir/x.h>, "../dir/x.h" and a plain
"x.h" beside the including file. Each is resolved the way the compiler would
(the including file's folder for quotes, then the source root, which is the
one project include directory) and judged by the folder it lands in.

The link lines are read from CMake itself: a scratch configure writes the
target graph (--graphviz) and the code model (the file API), which says
which sources each target compiles.

Usage: check_layers.py [SOURCE_ROOT]   (default: the tree this file is in)
Exit status 0 when everything holds, 1 with one line per fault otherwise,
2 when CMake cannot be run.
"""
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), ".."))

# What each folder may include, itself included.
BELOW = {
    "platform": [],
    "platform/backends": ["platform"],
    "gfx": ["platform"],
    "gfx/renderers": ["gfx", "platform"],
    "world": ["platform"],
    "units": ["world", "platform"],
    "path": ["units", "world", "platform"],
    "rules": ["path", "units", "world", "platform"],
    "views": ["gfx", "path", "units", "world", "platform"],
    "console": ["gfx", "path", "units", "world", "platform"],
    "app": ["console", "views", "rules", "gfx/renderers", "gfx", "path", "units", "world",
            "platform", "platform/backends"],
    "sim": ["rules", "gfx", "path", "units", "world", "platform"],
    "tools": ["gfx", "world", "platform"],
}
TOP = ["app", "console", "views", "rules", "gfx/renderers", "gfx", "path", "units", "world",
       "platform", "platform/backends"]
BELOW["bench"] = TOP + ["sim"]
# The fuzz targets drive the program the way the console tests do.
BELOW["fuzz"] = TOP + ["tests", "tests/console"]
LAYERS = list(BELOW)
# Tests of a folder may use what the folder may, the folder itself, the
# shared test helpers, the helpers of the tests below and a real platform
# backend to run on.
for layer in list(LAYERS):
    if layer in ("bench", "fuzz", "platform/backends"):
        continue
    BELOW["tests/" + layer] = BELOW[layer] + [layer, "tests", "platform/backends"] + \
        ["tests/" + below for below in BELOW[layer]]
BELOW["tests"] = [f for f in TOP if f != "app"]

# The layers that never see a picture encoder's header, nor do their tests.
NO_GRAPHICS = {"platform", "world", "units", "path", "rules"}
GRAPHICS = re.compile(r"^png\.h")

# GL, GLU, OpenGL ES, EGL and its Khronos types, SDL and emscripten: only the
# renderers and the window backends speak to them, in every include form.
GRAPHICS_API = re.compile(r"^(GL/|GLES\d*/|EGL/|KHR/|SDL|emscripten(\.h$|/))")
GRAPHICS_FOLDERS = ("gfx/renderers", "platform/backends")
# The CMake targets of those libraries; only targets built from those two
# folders link them.
GRAPHICS_LIBRARIES = re.compile(r"^(OpenGL::|PkgConfig::(GLU|GLESv2|EGL|SDL2)$|SDL2::)")


def speaks_graphics(folder):
    return any(folder == f or folder.startswith(f + "/") for f in GRAPHICS_FOLDERS)

# Headers of other projects and the CMake targets that provide them.
EXTERNAL = [
    (re.compile(r"^nlohmann/"), "nlohmann_json::nlohmann_json"),
    (re.compile(r"^CLI/"), "CLI11::CLI11"),
    (re.compile(r"^SDL2?/|^SDL\.h"), "PkgConfig::SDL2"),
    (re.compile(r"^GL/glu\.h"), "PkgConfig::GLU"),
    (re.compile(r"^GL/"), "OpenGL::GL"),
    (re.compile(r"^EGL/"), "OpenGL::EGL"),
    (re.compile(r"^GLES2/"), "PkgConfig::GLESv2"),
    (re.compile(r"^png\.h"), "PNG::PNG"),
    (re.compile(r"^gtest/"), "GTest::gtest"),
    (re.compile(r"^benchmark/"), "benchmark::benchmark"),
    (re.compile(r"^boost/graph/"), "Boost::graph"),
]
# Targets that count as providing another's headers (gtest_main brings gtest).
PROVIDES = {"GTest::gtest_main": ["GTest::gtest"]}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
SOURCE_DIRS = ["platform", "gfx", "world", "units", "path", "rules", "views", "console", "app",
               "sim", "tools", "bench", "fuzz", "tests"]
SUFFIXES = (".h", ".hpp", ".cpp", ".cc")

faults = []


def fault(msg):
    faults.append(msg)


def folder_of(rel):
    return os.path.dirname(rel)


def tree_files():
    files = []
    for top in SOURCE_DIRS:
        base = os.path.join(ROOT, top)
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames[:] = [d for d in dirnames if not d.startswith(".")]
            for name in filenames:
                if name.endswith(SUFFIXES):
                    files.append(os.path.relpath(os.path.join(dirpath, name), ROOT))
    return sorted(files)


def resolve(rel, quote, target):
    """The tree file an include lands in, or None for a header outside it."""
    candidates = []
    if quote == '"':
        candidates.append(os.path.join(ROOT, folder_of(rel), target))
    candidates.append(os.path.join(ROOT, target))
    for c in candidates:
        if os.path.isfile(c):
            path = os.path.relpath(os.path.normpath(c), ROOT)
            if path.startswith(".."):
                return None
            return path
    return None


def includes_of(rel):
    """(line number, written form, resolved tree file or None, bare target)."""
    out = []
    with open(os.path.join(ROOT, rel), encoding="utf-8", errors="replace") as f:
        for n, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                quote, target = m.group(1), m.group(2)
                written = quote + target + ('"' if quote == '"' else ">")
                out.append((n, written, resolve(rel, quote, target), target))
    return out


def check_directions(files, incs):
    for rel in files:
        layer = folder_of(rel)
        if layer not in BELOW:
            fault(f"{rel}: folder {layer} is no layer; give it a row in BELOW")
            continue
        ok = set(BELOW[layer]) | {layer}
        bare = layer[len("tests/"):] if layer.startswith("tests/") else layer
        for n, written, res, target in incs[rel]:
            if res is None:
                if GRAPHICS_API.match(target) and not speaks_graphics(layer):
                    fault(f"{rel}:{n}: includes the graphics header {written} outside "
                          f"gfx/renderers/ and platform/backends/")
                elif (bare in NO_GRAPHICS) and GRAPHICS.match(target):
                    fault(f"{rel}:{n}: includes the graphics header {written}")
                continue
            dest = folder_of(res)
            if dest not in ok:
                fault(f"{rel}:{n}: includes {written} ({res}), which is not below {layer}")


# ---- CMake's view of the targets ------------------------------------------

def configure(scratch):
    query = os.path.join(scratch, ".cmake", "api", "v1", "query")
    os.makedirs(query, exist_ok=True)
    open(os.path.join(query, "codemodel-v2"), "w").close()
    dot = os.path.join(scratch, "graph", "deps.dot")
    os.makedirs(os.path.dirname(dot), exist_ok=True)
    cmd = ["cmake", "-S", ROOT, "-B", scratch, "-DDELVE_BENCH=ON", "-DDELVE_FUZZ=ON",
           "-DBUILD_TESTING=ON", f"--graphviz={dot}"]
    if shutil.which("ninja"):
        cmd[1:1] = ["-G", "Ninja"]
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if r.returncode != 0:
        sys.stderr.write(r.stdout)
        print("layers: cmake could not configure the tree", file=sys.stderr)
        sys.exit(2)
    return dot


def read_graph(dot):
    """{target: {linked target: 'public'|'private'|'interface'}} of direct links."""
    names, links = {}, {}
    node = re.compile(r'^\s*"(node\d+)" \[ label = "([^"]+)"')
    edge = re.compile(r'^\s*"(node\d+)" -> "(node\d+)"(?: \[ style = (\w+) \])?')
    kind = {"solid": "public", None: "public", "dotted": "private", "dashed": "interface"}
    with open(dot) as f:
        lines = f.readlines()
    for line in lines:
        m = node.match(line)
        if m:
            names[m.group(1)] = m.group(2)
    for line in lines:
        m = edge.match(line)
        if m and m.group(1) != m.group(2):
            links.setdefault(names[m.group(1)], {})[names[m.group(2)]] = kind[m.group(3)]
    return links


def read_sources(scratch):
    """{target: (type, [source files relative to the root])}."""
    reply = os.path.join(scratch, ".cmake", "api", "v1", "reply")
    index = sorted(glob.glob(os.path.join(reply, "index-*.json")))[-1]
    with open(index) as f:
        idx = json.load(f)
    model = next(o for o in idx["objects"] if o["kind"] == "codemodel")
    with open(os.path.join(reply, model["jsonFile"])) as f:
        cm = json.load(f)
    out = {}
    for t in cm["configurations"][0]["targets"]:
        with open(os.path.join(reply, t["jsonFile"])) as f:
            tj = json.load(f)
        srcs = []
        for s in tj.get("sources", []):
            p = s["path"]
            if os.path.isabs(p):
                p = os.path.relpath(p, ROOT)
            if not p.startswith("..") and p.endswith(SUFFIXES):
                srcs.append(os.path.normpath(p))
        out[tj["name"]] = (tj["type"], srcs)
    return out


def check_links(files, incs, targets, links):
    # Which target a folder's headers belong to: the library built from the
    # folder, else every program built from it.
    owners = {}
    for name, (kind, srcs) in targets.items():
        for s in srcs:
            owners.setdefault(folder_of(s), {}).setdefault(kind, set()).add(name)
    def owners_of(folder):
        o = owners.get(folder, {})
        return o.get("STATIC_LIBRARY") or o.get("EXECUTABLE") or set()
    def library_of(folder):
        libs = owners.get(folder, {}).get("STATIC_LIBRARY", set())
        return next(iter(libs)) if len(libs) == 1 else None

    # needs[target][library] = (public?, first place that needs it)
    needs = {}
    def need(target, lib, public, where):
        cur = needs.setdefault(target, {}).get(lib)
        if cur is None or (public and not cur[0]):
            needs[target][lib] = (public, where)

    def charge(target, rel, seen):
        """Charges rel's includes to target, following headers that belong
        to no target (shared test helpers) as if they were its own."""
        if rel in seen:
            return
        seen.add(rel)
        header = rel.endswith((".h", ".hpp"))
        for n, written, res, target_name in incs.get(rel, []):
            where = f"{rel}:{n} {written}"
            if res is None:
                for pattern, ext in EXTERNAL:
                    if pattern.match(target_name):
                        need(target, ext, header, where)
                        break
                continue
            dest = folder_of(res)
            lib = library_of(dest)
            if lib is not None and lib != target:
                need(target, lib, header, where)
            elif not owners_of(dest):
                charge(target, res, seen)

    for name, (kind, srcs) in targets.items():
        for s in srcs:
            charge(name, s, set())
    for rel in files:
        if rel.endswith((".h", ".hpp")):
            for owner in owners_of(folder_of(rel)):
                charge(owner, rel, set())

    project_libs = {n for n, (k, _) in targets.items() if k == "STATIC_LIBRARY"}
    def usable(target):
        """What a target may include from: a library only what it links
        itself; a program also what those link PUBLIC, all the way down."""
        have = dict(links.get(target, {}))
        if targets.get(target, ("",))[0] == "STATIC_LIBRARY":
            return have
        todo = list(have)
        while todo:
            for lib, kind in links.get(todo.pop(), {}).items():
                if kind != "private" and lib not in have:
                    have[lib] = kind
                    todo.append(lib)
        return have
    for target, wanted in sorted(needs.items()):
        have = usable(target)
        provided = dict(have)
        for lib, kind in have.items():
            for extra in PROVIDES.get(lib, []):
                provided.setdefault(extra, kind)
        for lib, (public, where) in sorted(wanted.items()):
            if lib not in provided:
                fault(f"{target}: {where} needs {lib}, which {target} does not link")
            elif public and targets.get(target, ("",))[0] == "STATIC_LIBRARY" and \
                    provided[lib] == "private":
                fault(f"{target}: {where} is a header including {lib}, "
                      f"so {target} must link it PUBLIC")
    for target, have in sorted(links.items()):
        if target not in targets:
            continue
        folders = {folder_of(src) for src in targets[target][1]}
        if not folders or not all(speaks_graphics(f) for f in folders):
            for lib in sorted(have):
                if GRAPHICS_LIBRARIES.match(lib):
                    fault(f"{target}: links {lib}; only gfx/renderers/ and platform/backends/ "
                          f"link GL, EGL and SDL")
        wanted = needs.get(target, {})
        for lib in sorted(have):
            if lib in project_libs and lib not in wanted:
                fault(f"{target}: links {lib}, but none of its files includes a header of it")


def main():
    files = tree_files()
    incs = {rel: includes_of(rel) for rel in files}
    check_directions(files, incs)
    scratch = tempfile.mkdtemp(prefix="delve-layers-")
    try:
        dot = configure(scratch)
        links = read_graph(dot)
        targets = read_sources(scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    check_links(files, incs, targets, links)
    for f in faults:
        print("layers: " + f)
    if faults:
        return 1
    print("layers: every include points down and every target links what it includes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
