#!/usr/bin/env bash
# Starts the program from its program folder (argument 1). When style.ini names no reader yet, or
# was given to the simulator by an earlier start, the reader simulator is started behind
# ports/COM1 with a sample card and the port is set to 1.
set -euo pipefail
appdir=$(cd "$1" && pwd)
build=$(cd "$(dirname "$0")/../build/release" && pwd)
ini="$appdir/style.ini"
[ -e "$ini" ] || : >"$ini"

# read_key SECTION KEY: the value in style.ini, section and key in any case, CR LF or LF line ends.
read_key() {
  awk -v sec="$1" -v key="$2" 'BEGIN { IGNORECASE = 1 }
       { sub(/\r$/, "") }
       /^\[/ { insec = (tolower($0) == "[" tolower(sec) "]"); next }
       insec && tolower($0) ~ "^[ \t]*" tolower(key) "[ \t]*=" { sub(/^[^=]*=[ \t]*/, ""); print; exit }' "$ini"
}

# write_key SECTION KEY VALUE: sets the key in place, or adds it (and its section) when missing.
write_key() {
  local tmp="$ini.tmp.$$"
  awk -v sec="$1" -v key="$2" -v val="$3" 'BEGIN { done = 0 }
       { line = $0; sub(/\r$/, "", line) }
       /^\[/ { if (insec && !done) { printf "%s=%s\r\n", key, val; done = 1 }
               insec = (tolower(line) == "[" tolower(sec) "]") }
       insec && !done && tolower(line) ~ "^[ \t]*" tolower(key) "[ \t]*=" { printf "%s=%s\r\n", key, val; done = 1; next }
       { printf "%s\r\n", line }
       END { if (!done) { if (!insec) printf "[%s]\r\n", sec; printf "%s=%s\r\n", key, val } }' "$ini" >"$tmp"
  mv "$tmp" "$ini"
}

port=$(read_key ICReader CommPort)
link="$appdir/ports/COM1"
# Set when this script put the simulator behind COM1, so later starts bring it back (its link goes
# with it when it ends) while a real reader configured on COM1 is left alone.
marker="$appdir/ports/.simulator"

sim_pid=""
trap '[ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true' EXIT
if [ -z "$port" ] || [ "$port" = 0 ] || { [ "$port" = 1 ] && [ -e "$marker" ]; }; then
  rm -f "$link"
  "$build/tools/reader_sim" "$appdir" &
  sim_pid=$!
  for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
  : >"$marker"
  write_key ICReader CommPort 1
  # A first start reads the sample card at once.
  [ -n "$(read_key SetupKey AutoReadCard)" ] || write_key SetupKey AutoReadCard 1
  echo "start: reader simulator on $(readlink "$link") behind ports/COM1"
fi

# No real photo decoder exists for this machine: for the demo, a stand-in draws a placeholder photo.
if ! ls "$appdir" | grep -qi '^libwltrs\.so$'; then
  cp "$build/tools/wltrs/libwltrs.so" "$appdir/" && echo "start: using the stand-in photo decoder"
fi

"$appdir/ziravedur"
