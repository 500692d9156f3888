"""The window as a player shapes it, on a virtual X server with a small window
manager: its class and icon; resized to 1600 x 1400, 1280 x 1024 and
1920 x 1080, it shows the game's frame scaled (sharp: exactly pixel-doubled at
2x, centred at 1x; crisp: exactly doubled at 2x, filled at 1920 x 1080;
smooth: filled, bars beside), with the indication of a
window key over it for a moment; a click at a button's scaled position
presses it; the ship goes under the pointer; F11 and Alt+Enter cover the
screen and come back; the window's keys never reach the game; and the size,
scaling, fullscreen and volumes hold after a restart.
Usage: scaling_test.py <zoduzor binary> <game folder>
"""
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import play_test  # noqa: E402
import winshot  # noqa: E402
from play_test import BANNER, Failure, Field  # noqa: E402

SCREEN = (2000, 1500)
OUTSIDE = (SCREEN[0] - 5, SCREEN[1] - 5)
WINDOW_KEYS = {0x0D, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B}  # Enter, F6 to F12


def doubled(pic):
    """Every pixel as a 2 x 2 square."""
    rows = []
    for y in range(pic.height):
        row = pic.rgb[y * pic.width * 3:(y + 1) * pic.width * 3]
        out = bytearray(len(row) * 2)
        for k in range(3):
            out[k::6] = row[k::3]
            out[3 + k::6] = row[k::3]
        rows += [bytes(out), bytes(out)]
    return winshot.Picture(pic.width * 2, pic.height * 2, b"".join(rows))


def sampled(pic, box):
    """The 800 x 700 frame read back from the box it fills: the window pixel
    under the centre of each frame pixel."""
    bx, by, bw, bh = box
    xs = [(bx + (2 * x + 1) * bw // 1600) * 3 for x in range(800)]
    rows = []
    for y in range(700):
        wy = by + (2 * y + 1) * bh // 1400
        line = pic.rgb[wy * pic.width * 3:(wy + 1) * pic.width * 3]
        rows.append(b"".join(line[x:x + 3] for x in xs))
    return winshot.Picture(800, 700, b"".join(rows))


def black(pic, x, y, w, h):
    return not any(pic.crop(x, y, w, h).rgb)


class Window(play_test.Session):
    screen = SCREEN

    def start_x(self):
        super().start_x()
        self.start_window_manager()
        self.xdo("mousemove", *map(str, OUTSIDE))

    def start_game(self):
        self.trace = os.path.join(self.work, "trace%d.txt" % time.monotonic_ns())
        super().start_game("--trace", self.trace)
        self.xdo("windowfocus", self.wid)

    def geometry(self):
        info = subprocess.run(["xwininfo", "-id", self.wid], capture_output=True, text=True,
                              timeout=10).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def until_geometry(self, want, what):
        deadline = time.monotonic() + 5
        while self.geometry() != want:
            self.alive()
            if time.monotonic() > deadline:
                raise Failure("%s: the window is at %s, not %s" % (what, self.geometry(), want))
            time.sleep(0.05)

    def until_size(self, w, h, what):
        """Waits for the size asked for at a position that holds still: the
        window manager moves and sizes the window in its own time, and a window
        just back from fullscreen may still be on its way."""
        deadline = time.monotonic() + 5
        last = None
        while True:
            now = self.geometry()
            if now[2:] == (w, h) and now == last:
                return
            self.alive()
            if time.monotonic() > deadline:
                raise Failure("%s: the window is at %s, not %dx%d" % (what, now, w, h))
            last = now
            time.sleep(0.1)

    def resize(self, w, h):
        self.xdo("windowsize", self.wid, str(w), str(h))
        self.xdo("windowmove", self.wid, "0", "0")
        self.until_size(w, h, "resized to %dx%d" % (w, h))
        self.xdo("mousemove", *map(str, OUTSIDE))

    def grab(self):
        path = os.path.join(self.work, "grab.xwd")
        with open(path, "wb") as f:
            subprocess.run(["xwd", "-id", self.wid, "-silent"], stdout=f, check=True, timeout=10)
        return winshot.read_xwd(path)

    def key(self, *keys):
        self.xdo("key", "--window", self.wid, *keys)

    def menu(self):
        """The main menu as a headless run paints it after the pointer moves the
        window has had so far."""
        script = ""
        with open(self.trace) as f:
            for line in f:
                t, mode, msg, _w, lparam = (line.split() + [""] * 5)[:5]
                if mode == "MENU" and msg == "WM_MOUSEMOVE":
                    v = int(lparam)
                    script += "100 mousemove %d %d\n" % (v & 0xFFFF, v >> 16)
        folder = os.path.join(self.work, "ref")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for sub in ("data", "res"):
            os.symlink(os.path.join(self.work, sub), os.path.join(folder, sub))
        self.headless(folder, script + "200 screenshot menu.png\n300 quit\n")
        return winshot.read_png(os.path.join(folder, "menu.png"))

    def keys_in_trace(self):
        seen = set()
        with open(self.trace) as f:
            for line in f:
                parts = line.split()
                if len(parts) >= 4 and parts[2] in ("WM_KEYDOWN", "WM_KEYUP"):
                    seen.add(int(parts[3]))
        return seen

    def end_game(self):
        # The close box, as SDL turns a terminate signal into it: the play
        # screen goes back to the menu, the menu ends the program.
        for _ in range(3):
            if self.game.poll() is not None:
                break
            self.game.send_signal(signal.SIGTERM)
            try:
                self.game.wait(timeout=3)
            except subprocess.TimeoutExpired:
                pass
        if self.game.poll() is None:
            raise Failure("the program did not end on the close box")


def settings(s):
    with open(os.path.join(s.work, "Window.cfg")) as f:
        return dict(line.strip().split("=", 1) for line in f if "=" in line)


def first_run(s):
    # Authentic motion: pictures between ticks at 1920 x 1080 on the virtual
    # server's software renderer take CPU the grabs below need to catch the
    # level's announcement (motion_test.py tests smooth motion).
    with open(os.path.join(s.work, "Window.cfg"), "w") as f:
        f.write("motion=authentic\n")
    s.start_game()
    cls = subprocess.run(["xprop", "-id", s.wid, "WM_CLASS", "_NET_WM_ICON"], capture_output=True,
                         text=True, timeout=10).stdout
    if 'WM_CLASS(STRING) = "Zoduzor", "Zoduzor"' not in cls:
        raise Failure("the window's class is not Zoduzor: %s" % cls[:200])
    if "Icon (64 x 64)" not in cls:
        raise Failure("the window has no icon")
    if s.geometry()[2:] != (800, 700):
        raise Failure("the window starts at %s, not 800 x 700" % (s.geometry()[2:],))

    # Twice the frame, crisp then sharp: the indication shows over it, then
    # the frame alone, exactly doubled both times.
    s.resize(1600, 1400)
    want = doubled(s.menu())
    top = want.crop(0, 0, 1600, 200)
    for scaling in ("crisp", "sharp"):
        s.key("F6")
        s.wait_for("the indication over the frame",
                   lambda p: p.crop(0, 0, 1600, 200).differing(top)[0] > 1000, 1)
        s.wait_for("the frame pixel-doubled at 1600 x 1400, " + scaling,
                   lambda p: p.differing(want)[0] == 0, 5)

    # Room for 1.46 times: once, centred, with black bars.
    s.resize(1280, 1024)
    menu = s.menu()
    s.wait_for("the frame centred at 1280 x 1024",
               lambda p: p.crop(240, 162, 800, 700).differing(menu)[0] == 0 and black(
                   p, 0, 0, 240, 1024) and black(p, 0, 0, 1280, 162) and black(p, 1040, 862, 240, 162), 5)

    # Smooth at 1920 x 1080: filled to the height, bars left and right.
    s.resize(1920, 1080)
    s.key("F6")
    box = (343, 0, 1234, 1080)

    def filled(limit):
        def test(p):
            if not (black(p, 0, 0, 343, 1080) and black(p, 1577, 0, 343, 1080)):
                return False
            back = sampled(p, box)
            diff = sum(abs(a - b) for a, b in zip(back.rgb[::97], menu.rgb[::97]))
            return diff / len(menu.rgb[::97]) < limit
        return test
    s.wait_for("the frame smoothly scaled at 1920 x 1080", filled(8), 5)
    # Crisp fills the same height from the frame doubled: sampled back, the
    # pixels stay closer to the frame's than smooth filtering leaves them.
    s.key("F6")
    time.sleep(1.2)
    s.wait_for("the frame crisply scaled at 1920 x 1080", filled(1), 5)
    s.key("F6", "F6")  # sharp, and smooth again

    # The Play button at (330, 300) of the frame, clicked where it shows.
    s.xdo("mousemove", "--window", s.wid, "852", "463", "click", "1")
    s.wait_for("the game started by the click",
               lambda p: Field(sampled(p, box)).share(BANNER) > 0.5, 5)

    # The ship follows the pointer: at (601, 1241) of the doubled window it
    # is under the frame's (300, 620).
    s.resize(1600, 1400)
    s.key("F6", "F6")  # crisp, then sharp
    s.xdo("mousemove", "--window", s.wid, "601", "1241")
    s.wait_for("the ship under the pointer",
               lambda p: p.width == 1600 and play_test.ship_at(300, 620)(
                   sampled(p, (0, 0, 1600, 1400))), 10)

    # F11 covers the screen and comes back; Alt+Enter covers it again.
    s.key("F11")
    s.until_geometry((0, 0) + SCREEN, "F11")
    s.key("F11")
    s.until_size(1600, 1400, "F11 again")
    s.key("alt+Return")
    s.until_geometry((0, 0) + SCREEN, "Alt+Enter")

    # Music down three steps, effects one, and mute.
    s.key("F7", "F7", "F7", "F9", "F12")
    deadline = time.monotonic() + 5
    want = {"width": "1600", "height": "1400", "scaling": "sharp", "motion": "authentic",
            "fullscreen": "1",
            "music": "70", "effects": "90", "mute": "1"}
    while settings(s) != want:
        if time.monotonic() > deadline:
            raise Failure("Window.cfg holds %s, not %s" % (settings(s), want))
        time.sleep(0.1)
    s.end_game()
    reached = s.keys_in_trace() & WINDOW_KEYS
    if reached:
        raise Failure("window keys reached the game: %s" % sorted(reached))
    print("first run: scaled, clicked, steered, fullscreen and back, volumes kept")


def second_run(s):
    s.start_game()
    s.until_geometry((0, 0) + SCREEN, "fullscreen after a restart")
    s.key("F11")
    s.resize(1600, 1400)
    want = doubled(s.menu())
    s.wait_for("the frame pixel-doubled after a restart", lambda p: p.differing(want)[0] == 0, 5)
    s.end_game()
    print("second run: fullscreen, size and sharp scaling as left")


def main(argv):
    def steps(s):
        s.start_x()
        first_run(s)
        second_run(s)

    tools = ("Xvfb", "xdotool", "xwd", "xwininfo", "xprop", "evilwm")
    return play_test.run_test(argv, __doc__, tools, Window, steps)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
