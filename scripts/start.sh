#!/usr/bin/env bash
# Starts the program from its program folder (argument 1). When style.ini names no reader yet, or
# names the simulator left behind by an earlier run, the reader simulator is started behind
# ports/COM1 with a sample card and the port is set to 1.
set -euo pipefail
appdir=$(cd "$1" && pwd)
build=$(cd "$(dirname "$0")/../build/release" && pwd)
ini="$appdir/style.ini"
[ -e "$ini" ] || : >"$ini"

comm_port() {
  # [ICReader] CommPort, section and key in any case, CR LF or LF line ends.
  awk 'BEGIN { IGNORECASE = 1 }
       { sub(/\r$/, "") }
       /^\[/ { insec = ($0 ~ /^\[ICReader\]/) ; next }
       insec && /^[ \t]*CommPort[ \t]*=/ { sub(/^[^=]*=[ \t]*/, ""); print; exit }' "$ini"
}

set_comm_port() {
  local tmp="$ini.tmp.$$"
  awk -v val="$1" 'BEGIN { IGNORECASE = 1; done = 0 }
       { line = $0; sub(/\r$/, "", line) }
       /^\[/ { if (insec && !done) { printf "CommPort=%s\r\n", val; done = 1 }
               insec = (line ~ /^\[ICReader\]/) }
       insec && line ~ /^[ \t]*CommPort[ \t]*=/ { if (!done) printf "CommPort=%s\r\n", val; done = 1; next }
       { printf "%s\r\n", line }
       END { if (!done) { if (!insec) printf "[ICReader]\r\n"; printf "CommPort=%s\r\n", val } }' "$ini" >"$tmp"
  mv "$tmp" "$ini"
}

port=$(comm_port)
link="$appdir/ports/COM1"
sim_link=0
if [ -L "$link" ] && [[ "$(readlink "$link")" == /dev/pts/* ]]; then sim_link=1; fi

sim_pid=""
if [ -z "$port" ] || [ "$port" = 0 ] || { [ "$port" = 1 ] && [ "$sim_link" = 1 ]; }; then
  rm -f "$link"
  "$build/tools/reader_sim" "$appdir" &
  sim_pid=$!
  for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
  set_comm_port 1
  echo "start: reader simulator on $(readlink "$link") behind ports/COM1"
fi

# No real photo decoder exists for this machine: for the demo, a stand-in draws a placeholder photo.
if ! ls "$appdir" | grep -qi '^libwltrs\.so$'; then
  cp "$build/tools/wltrs/libwltrs.so" "$appdir/" && echo "start: using the stand-in photo decoder"
fi

status=0
"$appdir/ziravedur" || status=$?
[ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
exit "$status"
