# Sourced by the real-window shell tests: a scratch folder removed on exit,
# a virtual X server of their own, and waiting for the game's window.
#   xsession_start TOOL...   skips the test (exit 77) when a tool is missing,
#                            makes $work and starts Xvfb; exports DISPLAY
#   xsession_window          waits for the window titled Zoduzor of $gpid; sets $wid
#   fail MESSAGE             ends the test as failed

work=""
xpid=""
gpid=""

xsession_cleanup() {
    [ -n "$gpid" ] && kill "$gpid" 2>/dev/null || true
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
    [ -n "$work" ] && rm -rf "$work"
}

fail() { echo "FAIL: $*" >&2; exit 1; }

xsession_start() {
    local tool
    # Exit code 77 tells ctest the test was skipped.
    for tool in Xvfb "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    work="$(mktemp -d)"
    trap xsession_cleanup EXIT
    # The server picks a free display number and writes it to descriptor 3; it
    # keeps its state (pointer position) between the short xdotool connections.
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
        >/dev/null 2>&1 &
    xpid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$work/display")"
}

xsession_window() {
    wid=""
    for _ in $(seq 300); do
        wid="$(xdotool search --name '^Zoduzor$' 2>/dev/null | head -n1 || true)"
        [ -n "$wid" ] && break
        kill -0 "$gpid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$wid" ] || fail "no window titled Zoduzor: $(cat "$work/err.txt" 2>/dev/null)"
}
