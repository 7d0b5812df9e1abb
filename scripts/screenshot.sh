#!/usr/bin/env bash
# Remakes docs/main-window.png: the window after the demo's task, loaded and "downloaded"
# again (every page is on disk, so nothing is fetched), under Xvfb.
# Needs: xvfb, xdotool, imagemagick. Usage: scripts/screenshot.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/pellomar-cli" --quiet --dir "$work" demo >/dev/null

cat >"$work/shot.sh" <<INNER
#!/usr/bin/env bash
"$build/src/pellomar" --dir "$work" "$work/示例博客.ini" 2>/dev/null &
pid=\$!
sleep 3
xdotool mousemove 137 616 click 1   # 下载
sleep 3
xdotool mousemove 500 300
import -window root -crop 1018x640+0+0 "$here/docs/main-window.png"
kill \$pid
INNER
chmod +x "$work/shot.sh"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x900x24" "$work/shot.sh"
echo "docs/main-window.png"
