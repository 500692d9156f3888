#!/usr/bin/env bash
# Watches the committed recording of a whole game with --replay in a window on
# a virtual X server, at four times its speed, to the high-score table and the
# menu after it: every check matches, the player's keys do not reach the
# game, the last frame stays and equals a headless screenshot of the same
# instant but for the REPLAY mark in its top right corner and the line at the
# bottom saying Escape leaves, Escape leaves, and none of the player's files
# is written.
# Usage: replay_test.sh <zoduzor binary> <game folder> <recording>
set -euo pipefail
bin="$1"
content="$2"
recording="$3"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xsession.sh"
xsession_start xdotool xwd python3

mkdir "$work/game" "$work/home"
cp -r "$content/data" "$content/res" "$work/game/"
export XDG_DATA_HOME="$work/home"

xdotool mousemove 1020 760 >/dev/null 2>&1 || true

SDL_AUDIODRIVER=dummy "$bin" --dir "$work/game" --replay "$recording" --speed 4 \
    --trace "$work/trace.txt" >"$work/out.txt" 2>"$work/err.txt" &
gpid=$!
xsession_window

# The recording's last instant: the name is entered and the menu painted.
last="$(awk '/^[0-9]/ { t = $1 } END { print t }' "$recording")"
start=$SECONDS
until grep -q "^$last MENU WM_PAINT" "$work/trace.txt" 2>/dev/null; do
    kill -0 "$gpid" 2>/dev/null || fail "the replay ended early: $(cat "$work/err.txt")"
    [ $((SECONDS - start)) -lt 60 ] || fail "the replay did not reach $last ms"
    sleep 0.2
done
echo "replayed ${last} ms in $((SECONDS - start)) s"
grep -q " GAME " "$work/trace.txt" || fail "no game was played"
sleep 0.3
xwd -id "$wid" -silent >"$work/end.xwd" || fail "xwd could not grab the window"

# The playback is over: keys of the player change nothing, Escape leaves.
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool key Down
sleep 0.5
xwd -id "$wid" -silent >"$work/after.xwd"
cmp -s "$work/end.xwd" "$work/after.xwd" || fail "a key of the player moved the menu"
xdotool key Escape
code=0
for _ in $(seq 50); do kill -0 "$gpid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$gpid" 2>/dev/null && fail "Escape did not end the replay"
wait "$gpid" || code=$?
gpid=""
[ "$code" -eq 0 ] || fail "exit code $code: $(cat "$work/err.txt")"
for file in UserSettings.list HighScores.list replays; do
    [ ! -e "$work/game/$file" ] && [ ! -e "$work/home/zoduzor/$file" ] ||
        fail "watching wrote the player's $file"
done

# The same instant, headless: the same picture, the marks over it.
mkdir "$work/headless"
cp -r "$content/data" "$content/res" "$work/headless/"
{ cat "$recording"; printf '%s screenshot end.png\n' "$last"; } >"$work/headless/end.script"
"$bin" --dir "$work/headless" --headless --script "$work/headless/end.script" ||
    fail "headless run failed"
diff="$(python3 "$here/winshot.py" same "$work/end.xwd" "$work/headless/end.png" \
    680,0,120,40 0,600,800,100)" ||
    fail "the window's last frame differs from the headless screenshot: $diff"
echo "PASS"
