"""Motion between ticks in a real window on a virtual X server.

The committed recording is watched with --replay, once with smooth motion
(Window.cfg motion=smooth) and once authentic: during play, a thin strip of
the play field is grabbed as fast as X gives it and the distinct pictures a
second are counted (smooth: at least 50; authentic: at most 25, the rules'
ticks). Both watches reach the end with every check (the state's hash)
matching and write the same message trace: the pictures between ticks
change nothing of the game.
Usage: motion_test.py <zoduzor binary> <game folder>
"""
import ctypes
import os
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from play_test import Failure, Session, run_test  # noqa: E402


class Strip:
    """Grabs a column of the window's pixels with Xlib through ctypes."""

    def __init__(self, wid, x, y, h):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.c_void_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.dpy = self.x11.XOpenDisplay(None)
        if not self.dpy:
            raise Failure("Xlib could not open the display")
        self.wid, self.x, self.y, self.h = wid, x, y, h

    def grab(self):
        all_planes, zpixmap = 0xFFFFFFFF, 2
        img = self.x11.XGetImage(self.dpy, self.wid, self.x, self.y, 2, self.h, all_planes,
                                 zpixmap)
        if not img:
            return None
        # XImage: width, height, xoffset, format, then the data pointer.
        data = ctypes.cast(ctypes.c_void_p.from_address(img + 16).value, ctypes.c_char_p)
        pixels = ctypes.string_at(data, 2 * self.h * 4)
        self.x11.XDestroyImage(img)
        return pixels

    def close(self):
        self.x11.XCloseDisplay(self.dpy)


class MotionSession(Session):
    """A session with the default content: the recording was made on it."""

    def __init__(self, binary, content):
        self.binary = binary
        self.work = tempfile.mkdtemp()
        self.xvfb = self.wm = self.game = self.wid = None
        for sub in ("data", "res"):
            shutil.copytree(os.path.join(content, sub), os.path.join(self.work, sub))


def distinct_per_second(strip, seconds):
    """Changes of the strip seen a second, and grabs made a second."""
    changes, grabs, last = 0, 0, None
    start = time.monotonic()
    while time.monotonic() - start < seconds:
        pixels = strip.grab()
        grabs += 1
        if pixels is not None and pixels != last:
            if last is not None:
                changes += 1
            last = pixels
    return changes / seconds, grabs / seconds


def watch(s, recording, motion):
    """Watches the recording in the given motion; the pictures a second
    during play, the grabs a second and the trace."""
    with open(os.path.join(s.work, "Window.cfg"), "w") as f:
        f.write("motion=%s\n" % motion)
    trace = os.path.join(s.work, motion + "-trace.txt")
    s.start_game("--replay", recording, "--trace", trace)
    deadline = time.monotonic() + 60
    while not (os.path.exists(trace) and " GAME WM_TIMER" in open(trace).read()):
        s.alive()
        if time.monotonic() > deadline:
            raise Failure("%s: play never started" % motion)
        time.sleep(0.1)
    time.sleep(0.5)
    # A column at the play field's left, where the background shows.
    wid = s.xdo("search", "--onlyvisible", "--name", "^Zoduzor$").split()
    s.alive()
    if not wid:
        raise Failure("%s: the window went: %s" % (motion, open(s.err.name).read()))
    strip = Strip(int(wid[0]), 210, 20, 600)
    rate, grabs = distinct_per_second(strip, 3.0)
    strip.close()
    last = [ln for ln in open(recording) if re.match(r"^[0-9]", ln)][-1].split()[0]
    while "%s MENU WM_PAINT" % last not in open(trace).read():
        s.alive()  # a check that does not match ends the watch with a message
        if time.monotonic() > deadline + 90:
            raise Failure("%s: the replay did not reach its end" % motion)
        time.sleep(0.2)
    s.game.terminate()
    s.game.wait(10)
    print("%s: %.1f distinct pictures a second (%.0f grabs a second)" % (motion, rate, grabs))
    # Paints follow the window's own exposures as well; every other message
    # comes at the instant the recording gives it.
    return rate, grabs, [ln for ln in open(trace) if " WM_PAINT " not in ln]


def steps(s):
    recording = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "replays",
                             "whole_game.script")
    s.start_x()
    smooth, grabs, smooth_trace = watch(s, recording, "smooth")
    if grabs < 100:
        skipped.append("X gave only %.0f grabs a second, too few to count 50" % grabs)
        return
    authentic, _, authentic_trace = watch(s, recording, "authentic")
    if smooth_trace != authentic_trace:
        raise Failure("the trace with smooth motion differs from the authentic one")
    if smooth < 50:
        raise Failure("smooth motion showed only %.1f pictures a second" % smooth)
    if authentic > 25:
        raise Failure("authentic motion showed %.1f pictures a second" % authentic)


skipped = []


def main(argv):
    code = run_test(argv, __doc__, ("Xvfb", "xdotool"), MotionSession, steps)
    if code == 0 and skipped:
        print("SKIP: %s" % skipped[0])
        return 77
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv))
