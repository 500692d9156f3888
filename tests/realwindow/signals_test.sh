#!/usr/bin/env bash
# The game in a window ends within a second, exit code 0, on SIGTERM during
# play and on SIGHUP in the menu; Exit in the menu ends it within a second
# though a library's teardown at exit takes 3 s, and what it wrote is whole;
# and when its X server dies under it, it ends within a second with a message
# instead of spinning.
# Usage: signals_test.sh <zoduzor binary> <game folder> <slow teardown library> <sanitized: 0/1>
set -euo pipefail
bin="$1"
content="$2"
slow="$3"
sanitized="$4"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/xsession.sh"
xsession_start xdotool
cp -r "$content/data" "$content/res" "$work/"
# Return on the menu starts a game.
printf '500 keydown 13\n500 char 13\n500 keyup 13\n1500 dump play.json\n' >"$work/play.script"
recording="$work/play.script"
# The pointer stays off the window, so it chooses no menu item.
for _ in $(seq 100); do
    xdotool mousemove 1020 760 >/dev/null 2>&1 &&
        xdotool getmouselocation 2>/dev/null | grep -q 'x:1020 y:760' && break
    sleep 0.1
done

# Waits up to $1 tenths of a second for the game to end; sets $code.
ends_within() {
    local what="$2"
    local tenths="$1"
    for _ in $(seq "$tenths"); do
        [ "$(cut -d' ' -f3 "/proc/$gpid/stat" 2>/dev/null)" = Z ] && break
        kill -0 "$gpid" 2>/dev/null || break
        sleep 0.1
    done
    if [ "$(cut -d' ' -f3 "/proc/$gpid/stat" 2>/dev/null || echo Z)" != Z ]; then
        top="$(ps -o %cpu= -p "$gpid" || true)"
        fail "$what: still running $((tenths / 10)) s later (CPU $top %): $(cat "$work/err.txt")"
    fi
    code=0
    wait "$gpid" || code=$?
    gpid=""
}

# SIGTERM during play: the recording starts a game.
SDL_AUDIODRIVER=dummy "$bin" --dir "$work" --script "$recording" 2>"$work/err.txt" &
gpid=$!
xsession_window
for _ in $(seq 50); do [ -s "$work/play.json" ] && break; sleep 0.1; done
grep -q '"operationMode": "GAME"' "$work/play.json" || fail "no game began: $(grep operationMode "$work/play.json")"
kill -TERM "$gpid"
ends_within 10 "SIGTERM during play"
[ "$code" -eq 0 ] || fail "SIGTERM: exit code $code: $(cat "$work/err.txt")"

# SIGHUP in the menu.
SDL_AUDIODRIVER=dummy "$bin" --dir "$work" 2>"$work/err.txt" &
gpid=$!
xsession_window
sleep 0.5
kill -HUP "$gpid"
ends_within 10 "SIGHUP in the menu"
[ "$code" -eq 0 ] || fail "SIGHUP: exit code $code: $(cat "$work/err.txt")"

# Exit in the menu, recorded and traced, with a library whose teardown is slow.
# The sanitizers' leak check needs the whole teardown: they keep it.
if [ "$sanitized" = 1 ]; then
    echo "Exit with a slow teardown: not checked under the sanitizers"
else
    [ -f "$slow" ] || fail "no library $slow"
    LD_PRELOAD="$slow" SDL_AUDIODRIVER=dummy "$bin" --dir "$work" --record "$work/exit.script" \
        --trace "$work/exit.trace" 2>"$work/err.txt" &
    gpid=$!
    xsession_window
    for _ in $(seq 50); do grep -q " MENU WM_PAINT " "$work/exit.trace" && break; sleep 0.1; done
    xdotool windowfocus "$wid" 2>/dev/null || true
    # The pointer starts on Play; Up wraps to Exit.
    xdotool key Up
    sleep 0.3
    xdotool key Return
    ends_within 10 "Exit with a slow library teardown"
    [ "$code" -eq 0 ] || fail "Exit: exit code $code: $(cat "$work/err.txt")"
    grep -q " MENU WM_CLOSE " "$work/exit.trace" || fail "Exit was not chosen: $(tail -n 5 "$work/exit.trace")"
    [ -z "$(tail -c 1 "$work/exit.trace")" ] || fail "the trace ends in the middle of a line"
    verdict="$("$bin" --dir "$work" --headless --replay "$work/exit.script" 2>&1)" ||
        fail "the recording does not replay: $verdict"
    [ "$verdict" = ok ] || fail "the recording does not replay: $verdict"
fi

# The X server dies under a running game.
SDL_AUDIODRIVER=dummy "$bin" --dir "$work" --script "$recording" 2>"$work/err.txt" &
gpid=$!
xsession_window
sleep 1
kill -KILL "$xpid"
wait "$xpid" 2>/dev/null || true
xpid=""
ends_within 10 "the X server killed"
grep -q "went away" "$work/err.txt" || fail "no message of the lost display: $(cat "$work/err.txt")"
echo "PASS"
