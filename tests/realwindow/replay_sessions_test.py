"""Sessions played in a real window with real input, every kept replay
checked. A session is a run of the program on the default content with two
games of mixed input: fire held for long stretches through X's auto-repeat
with moves held and released across it, keypad shield colours, the pointer
steering, clicks and the wheel, pauses, and the window's own keys. Every
replay the sessions keep must verify headless, and the last one must play to
its end in the window. The input is drawn from a seed that is new each run,
so runs add up to many different sessions; REALWINDOW_SEED repeats one.
Usage: replay_sessions_test.py <zoduzor binary> <game folder>
"""
import glob
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import play_test  # noqa: E402
from play_test import Failure  # noqa: E402

SESSIONS = 3
GAMES = 2
PLAY_SECONDS = 4.0
MOVES = ("Left", "Right", "Up", "Down")
COLOURS = ("KP_1", "KP_2", "KP_3", "KP_5", "KP_4", "KP_6")
WINDOW_KEYS = ("F7", "F8", "F9", "F10")


class Player(play_test.Session):
    """The default content in the scratch folder, which keeps the player's
    files and replays (a portable set-up), under a window manager."""

    # A quicker auto-repeat than X's default, as many players set it.
    server_options = ("-ardelay", "300", "-arinterval", "40")

    def __init__(self, binary, content):
        self.binary = binary
        self.work = tempfile.mkdtemp()
        self.xvfb = self.wm = self.game = self.wid = None
        self.trace = None
        for sub in ("data", "res"):
            shutil.copytree(os.path.join(content, sub), os.path.join(self.work, sub))
        os.environ["XDG_DATA_HOME"] = os.path.join(self.work, "home")

    def mode(self):
        """The screen of the last message in the trace."""
        try:
            with open(self.trace, "rb") as f:
                f.seek(0, os.SEEK_END)
                f.seek(max(0, f.tell() - 300))
                lines = f.read().decode(errors="replace").splitlines()
        except OSError:
            return None
        for line in reversed(lines):
            parts = line.split()
            if len(parts) >= 3:
                return parts[1]
        return None

    def until_mode(self, want, timeout):
        deadline = time.monotonic() + timeout
        while self.mode() != want:
            self.alive()
            if time.monotonic() > deadline:
                raise Failure("the game did not reach %s (last %s)" % (want, self.mode()))
            time.sleep(0.05)

    def replays(self):
        return sorted(glob.glob(os.path.join(self.work, "replays", "*.replay")))


def plan(rng, seconds, wid):
    """The input of one game as (second, xdotool command) pairs in time order."""
    events = []

    def hold(key, mean_up, mean_down, longest):
        t = rng.uniform(0, mean_up)
        while t < seconds:
            down = min(rng.expovariate(1 / mean_down), longest)
            events.append((t, ["keydown", key]))
            events.append((t + down, ["keyup", key]))
            t += down + rng.expovariate(1 / mean_up)

    def every(mean, command):
        t = rng.expovariate(1 / mean)
        while t < seconds:
            events.append((t, command()))
            t += rng.expovariate(1 / mean)

    hold("space", 0.3, 1.5, 3.0)
    for key in MOVES:
        hold(key, 1.0, 0.5, 1.5)
    every(0.5, lambda: ["key", rng.choice(COLOURS)])
    every(0.25, lambda: ["mousemove", "--window", wid, str(rng.randint(210, 780)),
                         str(rng.randint(20, 680))])
    every(1.5, lambda: ["click", rng.choice(("1", "4", "5"))])
    every(1.5, lambda: ["key", rng.choice(WINDOW_KEYS)])
    # Pauses, each resumed before the next: Escape on the pause screen gives up.
    t = rng.expovariate(1.0)
    while t < seconds - 0.5:
        events.append((t, ["key", "Escape"]))
        t += rng.uniform(0.1, 0.4)
        events.append((t, ["key", rng.choice(COLOURS)]))
        t += rng.expovariate(1.0)
    events.sort(key=lambda e: e[0])
    return events


def play_game(s, rng):
    # The menu's Play button, clicked; the pointer then steers the ship.
    s.xdo("mousemove", "--window", s.wid, "330", "300", "click", "1")
    s.until_mode("GAME", 5)
    time.sleep(1.5)  # the level's announcement
    events = plan(rng, PLAY_SECONDS, s.wid)
    begin = time.monotonic()
    held = set()
    # Half a second of input at a time, while the game goes on.
    while events and s.mode() == "GAME":
        s.alive()
        cmds = []
        at = time.monotonic() - begin
        while events and events[0][0] < at + 0.5:
            t, cmd = events.pop(0)
            if t > at:
                cmds += ["sleep", "%.3f" % (t - at)]
                at = t
            cmds += cmd
            if cmd[0] in ("keydown", "keyup"):
                held ^= {cmd[1]}
        if cmds:
            s.xdo(*cmds)
    if held:
        s.xdo("keyup", *sorted(held))
    # Given up from the pause; a score asks for a name.
    if s.mode() == "GAME":
        s.xdo("sleep", "0.1", "key", "Escape", "sleep", "0.2", "key", "Escape")
        time.sleep(0.5)
    if s.mode() == "GAME":
        s.xdo("type", "--delay", "40", "Ace")
        s.xdo("key", "Return")
    s.until_mode("MENU", 5)


def session(s, rng, n):
    s.trace = os.path.join(s.work, "trace%d.txt" % n)
    s.start_game("--trace", s.trace)
    s.until_mode("MENU", 10)
    s.xdo("windowfocus", s.wid)
    time.sleep(0.3)
    for _ in range(GAMES):
        play_game(s, rng)
        time.sleep(0.2)
    # The close box, as SDL turns a terminate signal into it: the menu ends the program.
    s.game.send_signal(signal.SIGTERM)
    try:
        code = s.game.wait(timeout=10)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end on the close box")
    if code != 0:
        raise Failure("the program ended with %d" % code)


def verify(s, path):
    """The headless check of a replay: exit code and what it says."""
    out = subprocess.run([s.binary, "--dir", s.work, "--headless", "--replay", path],
                         capture_output=True, text=True, timeout=60)
    return out.returncode, (out.stdout + out.stderr).strip()


def watch(s, path):
    """Watches a replay in the window at four times its pace up to its last
    event, without a word of a difference; Escape then leaves."""
    last = 0
    with open(path) as f:
        for line in f:
            first = line.split(" ", 1)[0]
            if first.isdigit():
                last = int(first)
    trace = os.path.join(s.work, "watch.txt")
    with open(os.path.join(s.work, "watch-err.txt"), "w+") as err:
        game = subprocess.Popen([s.binary, "--dir", s.work, "--replay", path, "--speed", "4",
                                 "--trace", trace],
                                env=dict(os.environ, SDL_AUDIODRIVER="dummy"),
                                stdout=subprocess.DEVNULL, stderr=err)
        try:
            deadline = time.monotonic() + 30
            reached = False
            said = ""
            while not reached and not said and game.poll() is None:
                if time.monotonic() > deadline:
                    break
                time.sleep(0.2)
                err.seek(0)
                said = err.read().strip()
                try:
                    with open(trace) as f:
                        reached = any(int(line.split(" ", 1)[0]) >= last for line in f)
                except (OSError, ValueError):
                    pass
            if not reached or said:
                raise Failure("watching %s in the window: %s" % (
                    os.path.basename(path), said or "it did not reach %d ms" % last))
            for wid in s.xdo("search", "--pid", str(game.pid), "--name", "^Zoduzor$").split():
                s.xdo("windowfocus", wid)
            s.xdo("key", "Escape")
            code = game.wait(timeout=10)
            if code != 0:
                raise Failure("the watched replay ended with %d" % code)
        finally:
            if game.poll() is None:
                game.kill()
                game.wait()


def main(argv):
    seed = int(os.environ.get("REALWINDOW_SEED", "0"))
    seed = seed or random.SystemRandom().randrange(1, 1 << 30)
    print("seed %d" % seed)
    rng = random.Random(seed)

    def steps(s):
        s.start_x()
        s.start_window_manager()
        failures = []
        checked = []
        for n in range(SESSIONS):
            session(s, rng, n)
            kept = [p for p in s.replays() if p not in checked]
            if len(kept) != GAMES:
                with open(os.path.join(s.work, "err.txt")) as f:
                    raise Failure("session %d kept %d replays of %d games: %s"
                                  % (n, len(kept), GAMES, f.read()))
            for path in kept:
                checked.append(path)
                code, text = verify(s, path)
                print("session %d: %s: %s" % (n, os.path.basename(path), text))
                if code != 0 or text != "ok":
                    failures.append("session %d: %s" % (n, text))
        if failures:
            raise Failure("%d of %d kept replays do not verify: %s"
                          % (len(failures), len(checked), "; ".join(failures)))
        watch(s, checked[-1])
        print("%d sessions, %d replays verified headless, the last also in the window"
              % (SESSIONS, len(checked)))

    tools = ("Xvfb", "xdotool", "xwd", "xprop", "evilwm")
    return play_test.run_test(argv, __doc__, tools, Player, steps)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
