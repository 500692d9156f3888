#!/usr/bin/env bash
# Starts the game in a window on a virtual X server, drives it with real key
# presses and compares an X grab of the window with a headless screenshot.
# Usage: window_test.sh <zoduzor binary> <game folder>
set -euo pipefail
bin="$1"
content="$2"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xsession.sh"
xsession_start xdotool xwininfo xwd python3
cp -r "$content/data" "$content/res" "$work/"
# The pointer stays off the window, so no button is hovered.
for _ in $(seq 100); do
    xdotool mousemove 1020 760 >/dev/null 2>&1 &&
        xdotool getmouselocation 2>/dev/null | grep -q 'x:1020 y:760' && break
    sleep 0.1
done

# The script only takes pictures and dumps; the keys come from the X server.
cat > "$work/shots.script" <<'SCRIPT'
1500 screenshot window.png
1500 dump start.json
12000 dump moved.json
SCRIPT
SDL_AUDIODRIVER=dummy "$bin" --dir "$work" --script "$work/shots.script" --trace "$work/trace.txt" 2>"$work/err.txt" &
gpid=$!

xsession_window
info="$(xwininfo -id "$wid")"
grep -q 'Width: 800' <<<"$info" || fail "client width is not 800: $info"
grep -q 'Height: 700' <<<"$info" || fail "client height is not 700: $info"
grep -q '"Zoduzor"' <<<"$info" || fail "title is not Zoduzor"

for _ in $(seq 50); do [ -s "$work/start.json" ] && break; sleep 0.1; done
sleep 0.2
[ -s "$work/window.png" ] || fail "no screenshot from the window"
# What the X server shows in the window's 800 x 700 client area.
xwd -id "$wid" -silent > "$work/window.xwd" || fail "xwd could not grab the window"
sel() { python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['menu']['currentSelection'])" "$1"; }
start="$(sel "$work/start.json")" || fail "no state dump"
[ "$start" -ge 2 ] && [ "$start" -le 7 ] || fail "menu pointer $start is not on an item"

# An idle menu waits without using the processor.
read -r -a st < <(cut -d' ' -f14,15 "/proc/$gpid/stat")
before=$((st[0] + st[1]))
sleep 5
read -r -a st < <(cut -d' ' -f14,15 "/proc/$gpid/stat")
after=$((st[0] + st[1]))
ticks=$(getconf CLK_TCK)
echo "idle CPU over 5 s: $((after - before)) ticks of 1/$ticks s"
[ $((after - before)) -le $((ticks / 20)) ] || fail "idle menu used $((after - before)) ticks in 5 s"

# Real keys: Down moves the pointer one item on (wrapping from Exit to Play);
# Up from there reaches Exit; Return on Exit leaves.
xdotool mousemove 1020 760 || true
xdotool windowfocus "$wid" 2>/dev/null || true
sleep 0.3
xdotool key Down
while [ ! -s "$work/moved.json" ]; do kill -0 "$gpid" || fail "program ended early"; sleep 0.2; done
sleep 0.2
moved="$(sel "$work/moved.json")"
[ "$moved" -eq $(( (start - 2 + 1) % 6 + 2 )) ] || fail "Down moved the pointer from $start to $moved"
ups=$(( (moved - 7 + 6) % 6 ))
for _ in $(seq "$ups"); do xdotool key Up; sleep 0.1; done
sleep 0.3
xdotool key Return
code=0
for _ in $(seq 100); do
    kill -0 "$gpid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$gpid" 2>/dev/null; then fail "Exit did not end the program: $(tail -n 8 "$work/trace.txt")"; fi
wait "$gpid" || code=$?
gpid=""
[ "$code" -eq 0 ] || fail "exit code $code: $(cat "$work/err.txt")"

# The window showed exactly what a headless run paints for the same state.
# Any pointer motion the window got before its screenshot is fed to the headless run too.
awk '$3 == "WM_MOUSEMOVE" && $1 < 1500 { printf "%d mousemove %d %d\n", $1, $5 % 65536, int($5 / 65536) }' \
    "$work/trace.txt" > "$work/headless.script"
printf '1500 screenshot headless.png\n1600 quit\n' >> "$work/headless.script"
"$bin" --dir "$work" --headless --script "$work/headless.script" || fail "headless run failed"
diff="$(python3 "$here/winshot.py" same "$work/window.xwd" "$work/headless.png")" ||
    fail "the window's pixels differ from the headless screenshot: $diff"
cmp -s "$work/window.png" "$work/headless.png" || fail "the program's own screenshot differs from the headless one"
echo "PASS"
