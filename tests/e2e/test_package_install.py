#!/usr/bin/env python3
"""The Debian package, built by cpack from the build tree, unpacked with
dpkg -x into a scratch root, and `cmake --install` into a scratch prefix:

- exactly the expected files, owned by root, programs executable;
- Depends names the package of every library the two programs link, and
  libgl1 (SDL opens libGL.so.1 itself), and nothing else;
- desktop-file-validate and appstreamcli validate pass without a remark;
  the desktop entry (and its action that starts the engine with the game),
  metainfo, icons and screenshots agree with each other;
- the icons are PNGs of their theme size, the screenshots the committed ones;
- the sample engine's sources build with the command of their readme, and
  both that build and the packaged kavro-engine answer a position;
- the packaged kavro opens its window under Xvfb and ends on the close
  button."""

import configparser
import glob
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402

SOURCE = os.environ.get("KAVRO_SOURCE_DIR") or os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__))))
BUILD = os.environ.get("KAVRO_BUILD_DIR") or os.path.join(SOURCE, "build")

ICON_SIZES = [16, 32, 48, 64, 128, 256]
ENGINE_SOURCES = ["board.cpp", "board.h", "brain.cpp", "brain.h", "bridge.cpp", "engine.h", "main.cpp",
                  "move.cpp", "move.h", "patterns.cpp", "patterns.h", "protocol.cpp", "search.cpp",
                  "search.h", "table.h", "threats.cpp", "threats.h", "timeman.cpp", "timeman.h"]
SCREENSHOTS = ["game-3d.png", "game-won.png", "new-game.png"]
METAINFO = "usr/share/metainfo/org.kavro.kavro.metainfo.xml"
EXPECTED = sorted(
    ["usr/bin/kavro", "usr/bin/kavro-engine", "usr/bin/kavro-with-engine",
     "usr/share/applications/kavro.desktop",
     "usr/share/doc/kavro/copyright",
     "usr/share/doc/kavro/examples/engine/README.de.md",
     "usr/share/doc/kavro/examples/engine/README.en.md",
     METAINFO]
    + ["usr/share/doc/kavro/examples/engine/" + f for f in ENGINE_SOURCES]
    + ["usr/share/icons/hicolor/%dx%d/apps/kavro.png" % (n, n) for n in ICON_SIZES]
    + ["usr/share/kavro/screenshots/" + f for f in SCREENSHOTS])
# Libraries the programs open at run time instead of linking them.
OPENED_AT_RUN_TIME = {"libgl1"}


def run(cmd, **kw):
    r = subprocess.run(cmd, capture_output=True, text=True, **kw)
    e2e.check(r.returncode == 0, "%s failed (%d): %s%s" % (" ".join(cmd), r.returncode, r.stdout, r.stderr))
    return r.stdout


def files_under(root):
    found = []
    for folder, _, names in os.walk(root):
        for name in names:
            found.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(found)


def build_package(out):
    # The build tree ctest runs in already holds the programs; this only
    # brings them up to date.
    run(["cmake", "--build", BUILD, "--target", "kavro", "kavro-engine"])
    run(["cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out], cwd=BUILD)
    debs = glob.glob(os.path.join(out, "*.deb"))
    e2e.check(len(debs) == 1, "cpack made %r" % debs)
    deb = debs[0]
    version = run(["dpkg-deb", "-f", deb, "Version"]).strip()
    arch = run(["dpkg", "--print-architecture"]).strip()
    e2e.check(os.path.basename(deb) == "kavro_%s_%s.deb" % (version, arch),
              "package file named %s (version %s)" % (os.path.basename(deb), version))
    e2e.check(re.fullmatch(r"\d+\.\d+\.\d+", version) is not None, "version %r" % version)
    e2e.check(run(["dpkg-deb", "-f", deb, "Package"]).strip() == "kavro", "package name")
    e2e.check(run(["dpkg-deb", "-f", deb, "Section"]).strip() == "games", "section")
    return deb


def check_contents(deb, root):
    e2e.check(files_under(root) == EXPECTED, "files in the package:\n  %s\nexpected:\n  %s" % (
        "\n  ".join(files_under(root)), "\n  ".join(EXPECTED)))
    for line in run(["dpkg-deb", "-c", deb]).splitlines():
        mode, owner, _, _, _, path = line.split(None, 5)
        path = path.lstrip("./")
        e2e.check(owner == "root/root", "%s owned by %s" % (path, owner))
        if mode.startswith("d") or path.startswith("usr/bin/"):
            want = "rwxr-xr-x"
        else:
            want = "rw-r--r--"
        e2e.check(mode[1:] == want, "%s has mode %s" % (path, mode))
    for program in ("kavro", "kavro-engine"):
        sections = run(["readelf", "-S", "-W", os.path.join(root, "usr/bin", program)])
        e2e.check(".text" in sections and ".symtab" not in sections, "%s is not stripped" % program)
    for name in ENGINE_SOURCES:
        with open(os.path.join(SOURCE, "examples/engine", name), "rb") as a, \
                open(os.path.join(root, "usr/share/doc/kavro/examples/engine", name), "rb") as b:
            e2e.check(a.read() == b.read(), "installed %s differs from examples/engine" % name)


def package_of(path):
    """The installed Debian package that holds a library (merged /usr: the
    database may know it under /lib or /usr/lib)."""
    real = os.path.realpath(path)
    candidates = [path, real]
    for p in (path, real):
        candidates.append(p[4:] if p.startswith("/usr/") else "/usr" + p)
    for candidate in candidates:
        r = subprocess.run(["dpkg-query", "-S", candidate], capture_output=True, text=True)
        if r.returncode == 0:
            return r.stdout.split(":")[0].strip()
    raise e2e.Failure("no package holds %s" % path)


def check_depends(deb, root):
    libraries = {}
    ldconfig = shutil.which("ldconfig") or "/sbin/ldconfig"
    for line in run([ldconfig, "-p"]).splitlines():
        m = re.match(r"\s*(\S+) \(libc6,x86-64[^)]*\) => (\S+)", line)
        if m:
            libraries.setdefault(m.group(1), m.group(2))
    needed = set()
    for program in ("kavro", "kavro-engine"):
        for line in run(["readelf", "-d", os.path.join(root, "usr/bin", program)]).splitlines():
            m = re.search(r"\(NEEDED\)\s+Shared library: \[(.+)\]", line)
            if m:
                needed.add(m.group(1))
    for family in ("libSDL2", "libfltk", "libvorbisfile", "libOpenGL", "libpng", "libjpeg"):
        e2e.check(any(n.startswith(family) for n in needed), "kavro links no %s: %r" % (family, needed))
    e2e.check(all(n in libraries for n in needed), "unknown libraries: %r" % (needed - set(libraries)))
    linked = {package_of(libraries[n]) for n in needed}

    depends = run(["dpkg-deb", "-f", deb, "Depends"]).strip()
    named = set()
    for entry in depends.split(","):
        for alternative in entry.split("|"):
            named.add(re.sub(r"\s*\(.*\)", "", alternative).strip().split(":")[0])
    e2e.check(named == linked | OPENED_AT_RUN_TIME,
              "Depends: %s\nexpected the packages %s" % (depends, sorted(linked | OPENED_AT_RUN_TIME)))


def png_header(path):
    with open(path, "rb") as f:
        head = f.read(26)
    e2e.check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", "%s is no PNG" % path)
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    return width, height, depth, colour


def check_desktop_and_metainfo(root):
    desktop = os.path.join(root, "usr/share/applications/kavro.desktop")
    r = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
    e2e.check(r.returncode == 0 and not (r.stdout + r.stderr).strip(),
              "desktop-file-validate: %s%s" % (r.stdout, r.stderr))
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop, encoding="utf-8")
    d = entry["Desktop Entry"]
    for key, value in (("Name", "Kavro"), ("Exec", "kavro"), ("Icon", "kavro"),
                       ("Categories", "Game;BoardGame;"), ("Type", "Application")):
        e2e.check(d.get(key) == value, "desktop entry %s=%r" % (key, d.get(key)))
    e2e.check(d.get("Comment") and d.get("Comment[de]") and d["Comment"] != d["Comment[de]"],
              "desktop entry needs an English and a German comment")
    e2e.check(os.path.exists(os.path.join(root, "usr/bin", d["Exec"])), "Exec names no installed program")
    e2e.check(d.get("Actions") == "engine;", "desktop entry Actions=%r" % d.get("Actions"))
    action = entry["Desktop Action engine"]
    e2e.check(action.get("Name") and action.get("Name[en]") and action["Name"] != action["Name[en]"],
              "the engine action needs a German name and an English one")
    e2e.check(os.access(os.path.join(root, "usr/bin", action.get("Exec", "-")), os.X_OK),
              "the engine action's Exec names no installed program")

    metainfo = os.path.join(root, METAINFO)
    # As a packager runs it, with the network checks too: the metainfo names
    # no address that could fail to answer.
    for cmd in (["appstreamcli", "validate", "--strict", "--pedantic", metainfo],
                ["appstreamcli", "validate-tree", "--strict", "--pedantic", root]):
        r = subprocess.run(cmd, capture_output=True, text=True)
        remarks = [line for line in r.stdout.splitlines() if re.match(r"\s*[EWIP]: ", line)]
        e2e.check(r.returncode == 0 and not remarks, "%s: %s%s" % (" ".join(cmd[:2]), r.stdout, r.stderr))
    tree = ET.parse(metainfo).getroot()
    e2e.check(tree.findtext("id") + ".metainfo.xml" == os.path.basename(metainfo), "metainfo file name")
    e2e.check(tree.findtext("launchable") == "kavro.desktop", "launchable")
    e2e.check(tree.findtext("project_license") and tree.findtext("metadata_license"), "licences")
    e2e.check(tree.find("description/p") is not None, "description")
    with open(metainfo, encoding="utf-8") as f:
        e2e.check("://" not in f.read(), "the metainfo names a web address")
    for name in SCREENSHOTS:
        installed = os.path.join(root, "usr/share/kavro/screenshots", name)
        png_header(installed)
        with open(installed, "rb") as a, open(os.path.join(SOURCE, "packaging/screenshots", name), "rb") as b:
            e2e.check(a.read() == b.read(), "installed screenshot %s differs from the committed one" % name)

    for n in ICON_SIZES:
        width, height, depth, colour = png_header(
            os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/kavro.png" % (n, n)))
        e2e.check((width, height, depth, colour) == (n, n, 8, 6),
                  "icon %dx%d is %dx%d, depth %d, colour type %d" % (n, n, width, height, depth, colour))


def ask_engine(program, args=()):
    """Starts an engine, sends one position and returns its answer (x, y)."""
    engine = subprocess.Popen([program] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              text=True)
    answer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        answer.bind(("127.0.0.1", 8001))
        answer.settimeout(10)
        line = engine.stdout.readline()
        e2e.check("8000" in line, "%s did not start listening: %r %s" % (program, line, engine.stderr.read()
                                                                         if engine.poll() is not None else ""))
        # Yellow (1, the side to move) has four in column 7, rows 3..6; row 2
        # is blue's, so (7, 7) wins.
        cells = bytearray(225)
        for y in range(3, 7):
            cells[15 * 7 + y] = 1
        cells[15 * 7 + 2] = 2
        for x in (1, 2, 3):
            cells[15 * x + 12] = 2
        send = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        send.sendto(bytes(cells), ("127.0.0.1", 8000))
        send.close()
        data = answer.recv(64)
    finally:
        answer.close()
        engine.terminate()
        engine.wait(10)
    e2e.check(len(data) >= 2, "answer of %d bytes" % len(data))
    return data[0], data[1]


def check_engine(root, scratch):
    readme = open(os.path.join(root, "usr/share/doc/kavro/examples/engine/README.en.md")).read()
    for word in ("8000", "8001", "move.cpp", "ChooseEngineMove"):
        e2e.check(word in readme, "README.en.md does not mention %s" % word)
    liesmich = open(os.path.join(root, "usr/share/doc/kavro/examples/engine/README.de.md")).read()
    e2e.check("8001" in liesmich and "Bauen" in liesmich, "README.de.md lacks port or build section")
    build = [line.strip() for line in readme.splitlines() if line.strip().startswith("g++ ")]
    e2e.check(len(build) == 1, "README.en.md has no single build command: %r" % build)
    work = os.path.join(scratch, "my-engine")
    shutil.copytree(os.path.join(root, "usr/share/doc/kavro/examples/engine"), work)
    run(["sh", "-c", build[0]], cwd=work)
    built = os.path.join(work, build[0].split("-o ")[1].split()[0])
    e2e.check(ask_engine(built, ["100"]) == (7, 7), "the engine built from the readme missed the five")
    e2e.check(ask_engine(os.path.join(root, "usr/bin/kavro-engine"), ["100"]) == (7, 7),
              "the packaged engine missed the five")


def check_game_runs(root):
    with e2e.Session("package_install") as s:
        s.launch(os.path.join(root, "usr/bin/kavro"))
        win = s.wait_window()
        s.wait_past_splash(win)
        s.close(win)
        e2e.check(s.wait_exit(30) == 0, "the packaged game did not end cleanly on the close button")


def check_cmake_install(scratch, root):
    prefix = os.path.join(scratch, "prefix")
    run(["cmake", "--install", BUILD, "--prefix", prefix])
    installed = files_under(prefix)
    e2e.check(installed == [f[len("usr/"):] for f in EXPECTED],
              "cmake --install put:\n  %s" % "\n  ".join(installed))


def main():
    e2e.check(os.path.exists(os.path.join(BUILD, "CPackConfig.cmake")), "no CPack configuration in " + BUILD)
    scratch = tempfile.mkdtemp(prefix="kavro-package-")
    try:
        started = time.time()
        deb = build_package(os.path.join(scratch, "out"))
        root = os.path.join(scratch, "root")
        run(["dpkg", "-x", deb, root])
        print("package %s built and unpacked in %.1f s" % (os.path.basename(deb), time.time() - started))
        check_contents(deb, root)
        check_depends(deb, root)
        check_desktop_and_metainfo(root)
        check_cmake_install(scratch, root)
        check_engine(root, scratch)
        check_game_runs(root)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    e2e.run(main)
