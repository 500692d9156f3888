#!/bin/sh
# Screenshots of every screen in its usual state, and a contact sheet.
#   tools/menu_screens.sh [BUILD_DIR]     (default: build)
# Writes docs/screens/<screen>.png and docs/screens/contact-sheet.png, and
# docs/screens/colour-vision.png: each theme's play screen as seen normally
# and with protanopia, deuteranopia, tritanopia and in grey.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$root/docs/screens
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$root/game/data" "$root/game/res" "$work/"
# A full table worth showing: twenty names, the longest ten characters.
: > "$work/HighScores.list"
score=98000
for name in ACE NOVA ORBIT PILOT STARFINDER ZED COMET LUNA QUASAR VEGA \
            NEBULA ASTRA RIGEL PULSAR SOLARFLARE IONA KEPLER DRIFT ECHO ZENITH; do
    printf '%s\r\n%10d\r\n' "$name" "$score" >> "$work/HighScores.list"
    score=$((score * 9 / 10))
done

cat > "$work/screens.script" <<'SCRIPT'
100 mousemove 10 10
200 screenshot main_menu.png
300 press VK_DOWN
310 press VK_DOWN
320 press VK_RETURN
400 press VK_DOWN
410 press VK_RIGHT
500 screenshot options.png
600 press VK_DOWN
610 press VK_DOWN
620 press VK_RETURN
700 press VK_RIGHT
800 screenshot key_settings.png
900 close
910 close
1000 press VK_DOWN
1010 press VK_DOWN
1020 press VK_DOWN
1030 press VK_RETURN
1100 screenshot high_scores.png
1200 press VK_ESCAPE
1300 press VK_DOWN
1310 press VK_RETURN
1400 keydown VK_SHIFT
1410 type 3
1500 screenshot level_choice.png
1600 press VK_ESCAPE
1700 press VK_DOWN
1710 press VK_DOWN
1720 press VK_DOWN
1730 press VK_DOWN
1740 press VK_RETURN
8000 screenshot credits.png
8100 quit
SCRIPT

# The play screen: the announcement, a wave under fire, the pause, the name entry.
cat > "$work/play.script" <<'SCRIPT'
100 press VK_RETURN
800 screenshot game_announcement.png
2000 keydown VK_SPACE
5000 keydown VK_LEFT
5600 keyup VK_LEFT
9000 keyup VK_SPACE
9600 press VK_NUMPAD2
12000 screenshot game_play.png
12100 press VK_ESCAPE
12300 screenshot game_pause.png
12400 press VK_ESCAPE
12500 type ACE
12600 screenshot game_over_name_entry.png
12700 quit
SCRIPT

# A meadow level (the fifth) chosen on the level choice screen, under fire.
cat > "$work/meadow.script" <<'SCRIPT'
100 press VK_DOWN
110 press VK_RETURN
190 keydown VK_SHIFT
200 type 5
300 press VK_RETURN
500 press VK_RETURN
2500 keydown VK_SPACE
8000 screenshot meadow_play.png
8100 quit
SCRIPT

# The panel, full and empty: a data folder of its own, whose only class is a
# boss firing shots that each empty the shield they hit. The ship changes its
# shield between the hits, then takes an empty one (no shield at all).
panel=$work/panel
mkdir -p "$panel/data"
cp -r "$root/game/res" "$panel/"
cp "$root/game/data/HEROBULLET.blt" "$panel/data/"
printf 'SENTINEL\r\nTRUE\r\nFALSE\r\nFALSE\r\nFALSE\r\n700\r\nDRAIN\r\n2\r\n66\r\n48\r\n' \
    > "$panel/data/SENTINEL.bss"
printf 'DRAIN\r\n0\r\n0\r\n0\r\n0\r\n100\r\n24.000\r\n0.000\r\n' > "$panel/data/DRAIN.blt"
printf 'NORM\r\n0\r\nSENTINEL\r\n\r\n' > "$panel/data/001.LVL"
cat > "$panel/panel.script" <<'SCRIPT'
100 press VK_RETURN
2000 screenshot panel_full.png
3000 press VK_NUMPAD3
7000 press VK_NUMPAD2
9000 press VK_NUMPAD5
11000 press VK_NUMPAD1
11300 screenshot panel_empty.png
11400 quit
SCRIPT

"$build/zoduzor" --dir "$work" --headless --script "$work/screens.script"
rm -f "$work/HighScores.list"
"$build/zoduzor" --dir "$work" --headless --script "$work/play.script"
"$build/zoduzor" --dir "$work" --headless --script "$work/meadow.script"
"$build/zoduzor" --dir "$panel" --headless --script "$panel/panel.script"
cp "$panel/panel_full.png" "$panel/panel_empty.png" "$work/"

# Each theme in a level of its own, chosen on the level choice screen, under
# fire behind a shield of its own; then as each colour deficiency sees it.
views="protanopia deuteranopia tritanopia greyscale"
sheet=""
for spec in "2 VK_NUMPAD1 norm" "3 VK_NUMPAD3 bike" "5 VK_NUMPAD5 eegg" "6 VK_NUMPAD2 rudi"; do
    set -- $spec
    cat > "$work/theme.script" <<SCRIPT
100 press VK_DOWN
110 press VK_RETURN
190 keydown VK_SHIFT
200 type $1
210 keyup VK_SHIFT
300 press VK_RETURN
500 press VK_RETURN
2500 keydown VK_SPACE
3000 press $2
4000 keydown VK_LEFT
4400 keyup VK_LEFT
9000 screenshot theme_$3.png
9100 quit
SCRIPT
    "$build/zoduzor" --dir "$work" --headless --script "$work/theme.script"
    python3 "$root/tools/content/simulate.py" "$work/theme_$3.png" "$work/theme_$3" $views
    sheet="$sheet $work/theme_$3.png"
    for v in $views; do sheet="$sheet $work/theme_$3-$v.png"; done
done
mkdir -p "$out"
for s in main_menu options key_settings high_scores level_choice credits \
         game_announcement game_play game_pause game_over_name_entry meadow_play \
         panel_full panel_empty theme_norm theme_bike theme_eegg theme_rudi; do
    cp "$work/$s.png" "$out/$s.png"
done
cmake --build "$build" --target contact_sheet >/dev/null
"$build/contact_sheet" "$out/contact-sheet.png" 4 \
    "$out/main_menu.png" "$out/options.png" "$out/key_settings.png" \
    "$out/high_scores.png" "$out/level_choice.png" "$out/credits.png" \
    "$out/game_announcement.png" "$out/game_play.png" "$out/game_pause.png" \
    "$out/game_over_name_entry.png" "$out/meadow_play.png" "$out/panel_full.png" \
    "$out/panel_empty.png"
"$build/contact_sheet" "$out/colour-vision.png" 5 $sheet
echo "screens written to $out"
