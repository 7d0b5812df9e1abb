#!/usr/bin/env bash
# Remakes the window's screenshots in docs/ under Xvfb, as a user sees them: the import
# dialog, the window after the demo's task is "downloaded" again (every page is on disk, so
# nothing is fetched), then enlarged and at its smallest; and, where xchm is installed, its
# search of the demo's CHM.
# Needs: xvfb, xdotool, x11-utils, imagemagick; xchm for the search. Usage: scripts/screenshot.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/pellomar-cli" --quiet --dir "$work" demo >/dev/null

cat >"$work/shot.sh" <<INNER
#!/usr/bin/env bash
set -e
docs="$here/docs"
# A Chinese desktop: the picker shows its dates in Chinese.
LANG=zh_CN.UTF-8 "$build/src/pellomar" --dir "$work" "$work/示例博客.ini" 2>/dev/null &
pid=\$!
sleep 6
# The main window, by its title (xdotool's own name search misses the Chinese title).
window=
while [ -z "\$window" ]; do
  for w in \$(xdotool search --name .); do
    case "\$(xdotool getwindowname "\$w")" in 博客备份*) window=\$w ;; esac
  done
  sleep 1
done
# The window's own size, for cropping the screen to it.
shoot() {
  eval "\$(xdotool getwindowgeometry --shell "\$window")"
  import -window root -crop "\${WIDTH}x\${HEIGHT}+0+0" "\$docs/\$1"
}
button() { # the centre of a button, found by its caption's place in the bar
  xdotool mousemove "\$1" "\$2" click 1
}
button 563 161                         # 导入
sleep 2
shoot import-dialog.png
xdotool key Escape
sleep 1
button 134 161                         # 下载
sleep 6
xdotool mousemove 600 20
shoot main-window.png
xdotool windowsize "\$window" 1360 900
sleep 1
shoot main-window-large.png
# Without a window manager nothing holds the window to its minimum size: read it.
minimum=\$(xprop -id "\$window" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
xdotool windowsize "\$window" \$minimum
sleep 1
shoot main-window-small.png
kill \$pid
INNER
chmod +x "$work/shot.sh"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1400x1000x24" "$work/shot.sh"
echo docs/import-dialog.png docs/main-window.png docs/main-window-large.png docs/main-window-small.png

# xchm reads the CHM's full-text index; it compares words as Latin-1, so the query is a
# digit that some titles hold. Its window opens at 600x450 at 50,50.
command -v xchm >/dev/null || exit 0
cat >"$work/search.sh" <<INNER
#!/usr/bin/env bash
xchm "$work/示例博客.chm" >/dev/null 2>&1 &
pid=\$!
sleep 6
xdotool mousemove 206 156 click 1; sleep 1     # the tab after Contents: Index
xdotool mousemove 206 156 click 1; sleep 1     # and after it: Search
xdotool mousemove 135 190 click 1 type 5; sleep 1
xdotool mousemove 103 285 click 1; sleep 2     # Search
import -window root -crop 600x450+50+50 "$here/docs/chm-search.png"
kill \$pid
INNER
chmod +x "$work/search.sh"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x900x24" "$work/search.sh"
echo docs/chm-search.png
