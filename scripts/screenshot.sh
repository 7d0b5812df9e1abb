#!/usr/bin/env bash
# Remakes the window's screenshots in docs/ under Xvfb, as a user sees them: the import
# dialog, the window after the demo's task is "downloaded" again (every page is on disk, so
# nothing is fetched), then enlarged and at its smallest; the login dialog at a fixture
# login page and the window logged in; and, where xchm is installed, its search of the
# demo's CHM.
# Needs: xvfb, xdotool, x11-utils, imagemagick, python3; xchm for the search.
# Usage: scripts/screenshot.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/pellomar-cli" --quiet --dir "$work" demo >/dev/null

# Sina's login page, played by a proxy that serves a fixture form for login.sina.com.cn (over
# https with the test identity, which Chromium is told not to check) and sets a login cookie
# when it is sent; it hangs up on every other address, as if there were no network.
cat >"$work/loginproxy.py" <<'PY'
import socket, ssl, sys, threading
page = """<!DOCTYPE html><html lang="zh-CN"><head><meta charset="utf-8"><title>新浪通行证</title>
<style>body{font-family:sans-serif;background:#f4f4f4}form{width:320px;margin:80px auto;padding:24px;
background:#fff;border-top:3px solid #e6162d}h1{font-size:20px}input{display:block;width:100%;
margin:6px 0 14px;padding:6px;box-sizing:border-box}button{width:100%;padding:8px;background:#e6162d;
color:#fff;border:0}</style></head><body><form method="post" action="/sso/login.php">
<h1>登录新浪博客（测试页）</h1>登录名<input name="user" autofocus>密码<input name="pass" type="password">
<button>登录</button></form></body></html>""".encode()
tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
tls.load_cert_chain(sys.argv[2] + "/server.pem", sys.argv[2] + "/server.key")

def serve(conn, head):
    while b"\r\n\r\n" not in head:
        chunk = conn.recv(65536)
        if not chunk:
            return
        head += chunk
    line = head.split(b"\r\n")[0].split()
    if line[0] == b"CONNECT":
        conn.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
        conn = tls.wrap_socket(conn, server_side=True)
        return serve(conn, b"")
    extra, body = b"", page
    if b"login.sina.com.cn" not in line[1] and b"login.sina.com.cn" not in head.lower():
        return conn.close()
    if line[0] == b"POST":
        extra = b"Set-Cookie: SUB=screenshot; domain=.sina.com.cn; path=/\r\n"
        body = "<p>已登录</p>".encode()
    conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n" + extra +
                 b"Content-Length: " + str(len(body)).encode() +
                 b"\r\nConnection: close\r\n\r\n" + body)
    conn.close()

server = socket.create_server(("127.0.0.1", int(sys.argv[1])))
while True:
    client, _ = server.accept()
    threading.Thread(target=serve, args=(client, b""), daemon=True).start()
PY
port=$((20000 + RANDOM % 20000))
python3 "$work/loginproxy.py" "$port" "$here/tests/data/tls" &
proxy=$!
trap 'kill $proxy; rm -rf "$work" "$work.data"' EXIT

cat >"$work/shot.sh" <<INNER
#!/usr/bin/env bash
set -e
docs="$here/docs"
# A Chinese desktop: the picker shows its dates in Chinese. The login profile stays in here;
# the update check goes its usual way past the proxy.
export XDG_DATA_HOME="$work.data" http_proxy=http://127.0.0.1:$port https_proxy=http://127.0.0.1:$port
export no_proxy=pellomar.example.org
export QTWEBENGINE_CHROMIUM_FLAGS=--ignore-certificate-errors
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
button 563 169                         # 导入
sleep 2
shoot import-dialog.png
xdotool key Escape
sleep 1
button 134 169                         # 下载
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
xdotool windowsize "\$window" 1016 640
button 643 139                         # 登录
sleep 6
dialog=
for w in \$(xdotool search --name .); do
  case "\$(xdotool getwindowname "\$w")" in 登录*) dialog=\$w ;; esac
done
eval "\$(xdotool getwindowgeometry --shell "\$dialog")"
import -window root -crop "\${WIDTH}x\${HEIGHT}+\${X}+\${Y}" "\$docs/login-dialog.png"
xdotool key Tab type reader
xdotool key Tab type secret
xdotool key Return
sleep 3
xdotool mousemove \$((X + WIDTH - 50)) \$((Y + HEIGHT - 24)) click 1   # 关闭
sleep 1
xdotool mousemove 600 20
shoot logged-in-window.png
kill \$pid
INNER
chmod +x "$work/shot.sh"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1400x1000x24" "$work/shot.sh"
echo docs/import-dialog.png docs/main-window.png docs/main-window-large.png docs/main-window-small.png \
  docs/login-dialog.png docs/logged-in-window.png

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
