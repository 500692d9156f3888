"""A game played in a real window on a virtual X server, as a player plays it:
real key presses and pointer moves through the X server, and X grabs of the
window to see what happens. The scratch content has one short level, flat
one-colour pictures for the background, the enemy, the boss and the shots (so
each thing on the field can be told by its colour) and an opaque announcement.
Usage: play_test.py <zoduzor binary> <game folder>
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winshot  # noqa: E402

SKIP = 77
BG = (10, 20, 30)
BANNER = (40, 40, 40)
ENEMY = (1, 254, 3)
BOSS = (253, 2, 251)
SHOT = (250, 250, 5)
FIELD = (201, 11, 789, 689)  # inside the play field's borders
NAME = "Ace42"


class Failure(Exception):
    pass


def crlf(*lines):
    return "".join(line + "\r\n" for line in lines).encode()


def make_content(source, work):
    shutil.copytree(os.path.join(source, "res"), os.path.join(work, "res"))
    data = os.path.join(work, "data")
    os.makedirs(data)
    for name in os.listdir(os.path.join(source, "data")):
        if name.lower().endswith(".blt"):
            shutil.copy(os.path.join(source, "data", name), data)
    # One ordinary class that never fires and a boss that one shot destroys.
    with open(os.path.join(data, "SCOUT.nmi"), "wb") as f:
        f.write(crlf("SCOUT", "FALSE", "FALSE", "FALSE", "FALSE", "1", "PELLET", "0", "1", "1"))
    with open(os.path.join(data, "SENTINEL.bss"), "wb") as f:
        f.write(crlf("SENTINEL", "FALSE", "FALSE", "FALSE", "FALSE", "1", "PELLET", "0", "66", "1"))
    with open(os.path.join(data, "001.LVL"), "wb") as f:
        f.write(crlf("NORM", "1500", "SENTINEL", *(["SCOUT"] * 8), ""))
    res = os.path.join(work, "res", "norm")
    pictures = {
        ("osd", "BG.png"): (800, 700, BG),
        ("osd", "level.png"): (800, 700, BANNER),
        ("enemy", "SCOUT.PNG"): (40, 40, ENEMY),
        ("enemy", "SENTINEL.PNG"): (140, 140, BOSS),
        ("bullet", "HEROBULLET.png"): (6, 16, SHOT),
    }
    for (folder, name), (w, h, colour) in pictures.items():
        winshot.write_png(os.path.join(res, folder, name), winshot.flat(w, h, colour))
    # Default keys, normal theme, difficulty "hard" (frequent enemies), mouse on.
    keys = ["100", "102", " 97", " 98", " 99", "101", " 38", " 40", " 37", " 39", " 32", " 27"]
    with open(os.path.join(work, "UserSettings.list"), "wb") as f:
        f.write("\r\n".join(keys + [" 2", "3", "1"]).encode())


class Field:
    """What the play field of one grab holds, told by colour."""

    def __init__(self, pic):
        self.counts = {BG: 0, BANNER: 0, ENEMY: 0, BOSS: 0, SHOT: 0}
        self.enemy_top = None
        ship = []  # pixels of no known colour: the ship and its shield
        x0, y0, x1, y1 = FIELD
        bg_row = bytes(BG) * (x1 - x0)
        for y in range(y0, y1):
            start = (y * pic.width + x0) * 3
            row = pic.rgb[start:start + (x1 - x0) * 3]
            if row == bg_row:
                self.counts[BG] += x1 - x0
                continue
            for i in range(0, len(row), 3):
                c = (row[i], row[i + 1], row[i + 2])
                if c in self.counts:
                    self.counts[c] += 1
                else:
                    ship.append((x0 + i // 3, y))
        self.area = (x1 - x0) * (y1 - y0)
        self.ship = None
        if ship:
            xs = [p[0] for p in ship]
            ys = [p[1] for p in ship]
            self.ship = ((min(xs) + max(xs)) / 2, (min(ys) + max(ys)) / 2, len(ship))

    def share(self, colour):
        return self.counts[colour] / self.area


class Session:
    def __init__(self, binary, content):
        self.binary = binary
        self.work = tempfile.mkdtemp()
        self.xvfb = None
        self.wm = None
        self.game = None
        self.wid = None
        make_content(content, self.work)

    screen = (1024, 768)
    server_options = ()

    def start_x(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-noreset", "-screen", "0",
             "%dx%dx24" % self.screen, "-nolisten", "tcp", *self.server_options],
            pass_fds=(write_fd,),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as r:
            number = r.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number
        # The pointer waits off the window, so nothing is hovered or steered.
        self.xdo("mousemove", str(self.screen[0] - 4), str(self.screen[1] - 8))

    def start_window_manager(self):
        """A small window manager that knows fullscreen (its font is the
        server's own), waited for: SDL takes a screen whose window manager has
        not announced itself yet for one without, and may then set the focus
        on a window the manager is still taking over, which X refuses."""
        self.wm = subprocess.Popen(["evilwm", "-fn", "fixed"], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while "window id" not in subprocess.run(
                ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True,
                timeout=10).stdout:
            if time.monotonic() > deadline:
                raise Failure("the window manager did not start")
            time.sleep(0.05)

    def xdo(self, *args):
        return subprocess.run(["xdotool", *args], capture_output=True, text=True,
                              timeout=10).stdout

    def start_game(self, *extra):
        """Starts the game in the scratch folder, with extra arguments if
        given, and waits for its window."""
        env = dict(os.environ, SDL_AUDIODRIVER="dummy")
        self.err = open(os.path.join(self.work, "err.txt"), "w")
        self.game = subprocess.Popen([self.binary, "--dir", self.work, *extra], env=env,
                                     stdout=subprocess.DEVNULL, stderr=self.err)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline:
            ids = self.xdo("search", "--onlyvisible", "--name", "^Zoduzor$").split()
            if ids:
                self.wid = ids[0]
                return
            self.alive()
            time.sleep(0.1)
        raise Failure("no window titled Zoduzor")

    def alive(self):
        if self.game.poll() is not None:
            with open(os.path.join(self.work, "err.txt")) as f:
                raise Failure("the program ended (code %d): %s" % (self.game.returncode, f.read()))

    def grab(self):
        path = os.path.join(self.work, "grab.xwd")
        with open(path, "wb") as f:
            subprocess.run(["xwd", "-id", self.wid, "-silent"], stdout=f, check=True, timeout=10)
        pic = winshot.read_xwd(path)
        if (pic.width, pic.height) != (800, 700):
            raise Failure("the window is %dx%d" % (pic.width, pic.height))
        return pic

    def wait_for(self, what, test, timeout):
        """Grabs the window until test(picture) gives a true value, which it returns."""
        deadline = time.monotonic() + timeout
        while True:
            self.alive()
            pic = self.grab()
            result = test(pic)
            if result:
                return result
            if time.monotonic() > deadline:
                winshot.write_png(os.path.join(self.work, "last.png"), pic)
                raise Failure("timed out waiting for %s" % what)
            time.sleep(0.05)

    def headless(self, folder, script):
        path = os.path.join(folder, "headless.script")
        with open(path, "w") as f:
            f.write(script)
        subprocess.run([self.binary, "--dir", folder, "--headless", "--script", path],
                       check=True, timeout=60, capture_output=True)

    def close(self):
        for proc in (self.game, self.wm, self.xvfb):
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait()
        shutil.rmtree(self.work, ignore_errors=True)


def ship_at(x, y, tolerance=1):
    def test(pic):
        f = Field(pic)
        if f.share(BG) > 0.8 and f.ship and abs(f.ship[0] - x) <= tolerance \
                and abs(f.ship[1] - y) <= tolerance:
            return f
        return None
    return test


def play(s):
    s.start_x()
    s.start_game()
    t0 = time.monotonic()
    s.xdo("windowfocus", s.wid)
    # The main menu shows once the window stops changing.
    last = [None]

    def settled(pic):
        same = pic.rgb == last[0] and any(pic.rgb)
        last[0] = pic.rgb
        return same
    s.wait_for("the main menu", settled, 10)

    # Return on the first item starts a game; the opaque announcement comes first.
    s.xdo("key", "Return")
    s.wait_for("the level announcement", lambda p: Field(p).share(BANNER) > 0.5, 10)
    start = s.wait_for("the play field with the ship at (500, 500)", ship_at(500, 500), 10)
    print("ship at (%g, %g)" % start.ship[:2])

    # Holding Left moves the ship left, along its row.
    s.xdo("keydown", "Left")
    time.sleep(0.5)
    s.xdo("keyup", "Left")
    time.sleep(0.2)
    moved = Field(s.grab())
    if not moved.ship or not (moved.ship[0] <= 500 - 10 and abs(moved.ship[1] - 500) <= 1):
        raise Failure("holding Left did not move the ship left: %s" % (moved.ship,))
    after = Field(s.grab())
    if after.ship[:2] != moved.ship[:2]:
        raise Failure("the ship went on moving after Left was released: %s then %s"
                      % (moved.ship, after.ship))
    print("after Left: ship at (%g, %g)" % moved.ship[:2])

    # The mouse steers the ship: its centre follows the pointer in the field.
    s.xdo("mousemove", "--window", s.wid, "300", "620")
    s.wait_for("the ship under the pointer at (300, 620)", ship_at(300, 620), 5)

    # Enemies fall from the top of the field.
    s.wait_for("an enemy", lambda p: Field(p).counts[ENEMY] >= 40 * 20, 10)
    print("enemy seen after %.1f s" % (time.monotonic() - t0))

    # Under the boss's path, holding the button fires until the boss is hit: with
    # the boss gone and no next level the game is over and asks for a name.
    s.xdo("mousemove", "--window", s.wid, "495", "620")
    s.wait_for("the ship at (495, 620)", ship_at(495, 620), 5)
    s.wait_for("the boss", lambda p: Field(p).counts[BOSS] >= 140 * 60, 20)
    print("boss seen after %.1f s" % (time.monotonic() - t0))
    s.xdo("mousedown", "1")
    over = s.wait_for("the game-over screen", lambda p: Field(p).share(BG) < 0.05 and p, 20)
    s.xdo("mouseup", "1")
    print("game over after %.1f s" % (time.monotonic() - t0))

    # The typed name shows in its box as it is typed.
    box = (375, 500, 340, 75)
    s.xdo("type", "--delay", "60", NAME)
    s.wait_for("the typed name", lambda p: p.crop(*box).differing(over.crop(*box))[0] > 50, 5)
    s.xdo("key", "Return")
    table = os.path.join(s.work, "HighScores.list")
    deadline = time.monotonic() + 5
    while not (os.path.exists(table) and NAME.encode() in open(table, "rb").read()):
        if time.monotonic() > deadline:
            raise Failure("the name was not stored in the high-score file")
        time.sleep(0.1)

    # Back in the main menu: Down three times and Return open the high scores.
    menu = s.wait_for("the main menu",
                      lambda p: p.differing(over)[0] > 100000 and settled(p) and p, 5)
    for _ in range(3):
        s.xdo("key", "Down")
        time.sleep(0.1)
    s.xdo("key", "Return")
    # Another screen: most of the window changes, not only the menu's pointer.
    shown = s.wait_for("the high-score table",
                       lambda p: p.differing(menu)[0] > 100000 and settled(p) and p, 5)
    print("high-score table after %.1f s" % (time.monotonic() - t0))
    s.xdo("key", "Escape")

    # The window shows exactly what a headless run paints for the same table,
    # and differs from an empty table in the first row only (name and score).
    script = "100 press VK_DOWN\n+50 press VK_DOWN\n+50 press VK_DOWN\n+50 press VK_RETURN\n" \
             "+100 screenshot high.png\n+50 quit\n"
    s.headless(s.work, script)
    expected = winshot.read_png(os.path.join(s.work, "high.png"))
    count, first = shown.differing(expected)
    if count:
        winshot.write_png(os.path.join(s.work, "window.png"), shown)
        raise Failure("the window's table differs from the headless one in %d pixels, first at %s"
                      % (count, first))
    empty_dir = os.path.join(s.work, "empty")
    os.makedirs(empty_dir)
    shutil.copytree(os.path.join(s.work, "res"), os.path.join(empty_dir, "res"))
    shutil.copytree(os.path.join(s.work, "data"), os.path.join(empty_dir, "data"))
    s.headless(empty_dir, script)
    empty = winshot.read_png(os.path.join(empty_dir, "high.png"))
    row1 = (100, 100, 300, 50)
    if shown.crop(*row1).differing(empty.crop(*row1))[0] == 0:
        raise Failure("the first row of the table looks empty")
    rest = (100, 150, 700, 490)
    if shown.crop(*rest).differing(empty.crop(*rest))[0] != 0:
        raise Failure("rows other than the first changed")
    print("played to the table in %.1f s" % (time.monotonic() - t0))


def run_test(argv, doc, tools, make_session, steps):
    """Runs `steps(session)` on a session made from the binary and the game
    folder named by argv; prints PASS, FAIL or SKIP and returns the exit code
    ctest reads. REALWINDOW_KEEP keeps the scratch folder of a failed run."""
    if len(argv) != 3:
        print(doc, file=sys.stderr)
        return 2
    for tool in tools:
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            return SKIP
    s = make_session(os.path.abspath(argv[1]), os.path.abspath(argv[2]))
    try:
        steps(s)
    except (Failure, subprocess.SubprocessError, ValueError, OSError) as e:
        print("FAIL: %s" % e, file=sys.stderr)
        if os.environ.get("REALWINDOW_KEEP"):
            kept = tempfile.mkdtemp(prefix="realwindow-")
            shutil.copytree(s.work, kept, dirs_exist_ok=True, symlinks=True)
            print("scratch folder kept in %s" % kept, file=sys.stderr)
        return 1
    finally:
        s.close()
    print("PASS")
    return 0


def main(argv):
    return run_test(argv, __doc__, ("Xvfb", "xdotool", "xwd"), Session, play)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
