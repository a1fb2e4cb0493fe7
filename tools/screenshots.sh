#!/usr/bin/env bash
# Screenshots of the main window for a look by eye: after start-up, with the
# side panel out, and with the pointer over a button. Needs xdotool. Run
# inside tools/with-xvfb.
set -u
cd "$(dirname "$0")/.."
out=build/screenshots
mkdir -p "$out"
tools/wine-run build/win64/bin/veskaro.exe &
pid=$!
for _ in $(seq 120); do
  wid=$(xdotool search --name '^Veskaro v 1.3$' 2>/dev/null | head -1)
  [ -n "$wid" ] && break
  sleep 0.5
done
sleep 2
eval "$(xdotool getwindowgeometry --shell "$wid")"
shot() { xwd -root -silent | /usr/bin/convert xwd:- -crop 320x470+$((X - 13))+$((Y - 16)) png:"$out/$1.png"; echo "$out/$1.png"; }
shot start
# Press "Выбрать / изменить папку" (10,88 231x41): the panel slides out.
xdotool mousemove $((X + 100)) $((Y + 108)) click 1
sleep 1
shot panel-out
# Leave the panel; the next tick slides it back.
xdotool mousemove $((X - 50)) $((Y + 50))
sleep 2
# Hover over "О программе".
xdotool mousemove $((X + 60)) $((Y + 180))
sleep 0.5
shot hover
# Move onto the side panel's bar (right edge, 10 px): it slides out without
# a new choice; pin it, leave, and it stays out.
xdotool mousemove $((X + 289)) $((Y + 200))
sleep 0.3
xdotool mousemove $((X + 290)) $((Y + 210))
sleep 0.5
xdotool mousemove $((X + 277)) $((Y + 40)) click 1
sleep 0.3
xdotool mousemove $((X - 50)) $((Y + 50))
sleep 2.5
shot pinned
# Unpin and leave: back in within a second.
xdotool mousemove $((X + 277)) $((Y + 40)) click 1
xdotool mousemove $((X - 50)) $((Y + 50))
sleep 2
# The window menu under the application icon.
xdotool mousemove $((X + 12)) $((Y + 14)) click 1
sleep 3
shot menu
xdotool key Escape
# Empty path: open the panel, clear PathTo, confirm.
xdotool mousemove $((X + 100)) $((Y + 108)) click 1
sleep 0.5
xdotool mousemove $((X + 150)) $((Y + 359)) click 1 key ctrl+a BackSpace
xdotool mousemove $((X + 150)) $((Y + 394)) click 1
sleep 3
xwd -root -silent | /usr/bin/convert xwd:- png:"$out/empty-path.png"; echo "$out/empty-path.png"
xdotool key Return
kill "$pid" 2>/dev/null
WINEPREFIX="$PWD/build/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null
wait 2>/dev/null
