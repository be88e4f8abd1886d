#!/usr/bin/env bash
# Starts the program from its program folder (argument 1). When style.ini names no reader yet, or
# was given to the simulator by an earlier start, the reader simulator is started behind
# ports/COM1 with a sample card and the port is set to 1.
set -euo pipefail
appdir=$(cd "$1" && pwd)
build=$(cd "$(dirname "$0")/../build/release" && pwd)
ini="$appdir/style.ini"
[ -e "$ini" ] || : >"$ini"

# style.ini is read as the program reads it: section and key names in any case with blanks around
# them ignored, the first section of a name is the one, and the UTF-8 signature at the start belongs to
# the file, not to the first section's name. awk runs on bytes (LC_ALL=C), so a GB18030 file passes
# through unchanged. Each line keeps its own line end; lines added get CR LF, as the program writes.
# shellcheck disable=SC2016 # an awk program, not shell
ini_awk='
function trim(s) { sub(/^[[:cntrl:] ]+/, "", s); sub(/[[:cntrl:] ]+$/, "", s); return s }
# Splits the current record into head (the signature on the first line), text and eol.
function split_line(   cr) {
  text = $0; head = ""
  if (NR == 1 && substr(text, 1, 3) == "\357\273\277") { head = substr(text, 1, 3); text = substr(text, 4) }
  cr = sub(/\r$/, "", text)
  eol = cr ? "\r\n" : "\n"
  if (NR == lines && !lastnl) eol = cr ? "\r" : ""
}
# True for a section header; its name goes to hname.
function is_header(t,   rb) {
  t = trim(t)
  if (substr(t, 1, 1) != "[") return 0
  rb = index(t, "]")
  hname = trim(rb ? substr(t, 2, rb - 2) : substr(t, 2))
  return 1
}
# True for a key line; its name and value go to kname and kval.
function is_key(t,   eq) {
  sub(/^[[:cntrl:] ]+/, "", t)
  if (t == "" || substr(t, 1, 1) == ";" || substr(t, 1, 1) == "[") return 0
  eq = index(t, "=")
  if (!eq) return 0
  kname = substr(t, 1, eq - 1); sub(/[[:cntrl:] ]+$/, "", kname)
  kval = trim(substr(t, eq + 1))
  return 1
}
'

# ini_awk_run PROGRAM ARGS...: runs an awk program over style.ini with the helpers above.
ini_awk_run() {
  local program=$1 lines=0 lastnl=1
  shift
  if [ -s "$ini" ]; then
    lines=$(wc -l <"$ini")
    [ -z "$(tail -c 1 "$ini")" ] || { lastnl=0; lines=$((lines + 1)); }
  fi
  LC_ALL=C awk -v lines="$lines" -v lastnl="$lastnl" "$@" "$ini_awk$program" "$ini"
}

# read_key SECTION KEY: the value in style.ini (empty when there is none).
read_key() {
  ini_awk_run '
       { split_line() }
       is_header(text) { if (insec) exit; insec = !seen && tolower(hname) == tolower(sec); seen = seen || insec; next }
       insec && is_key(text) && tolower(kname) == tolower(key) { print kval; exit }' -v sec="$1" -v key="$2"
}

# write_key SECTION KEY VALUE: sets the key in place, or adds it after the last key of its section
# (and the section at the end when there is none). Every other byte of the file stays as it was, and
# so do its mode and owner. A file whose mode has no write bit is read-only, for root too, as it is
# for the program: it is left alone.
write_key() {
  local tmp="$ini.tmp.$$"
  if (( (8#$(stat -c %a "$ini") & 8#222) == 0 )); then
    echo "start: style.ini is read-only; [$1] $2 is left as it is" >&2
    return 0
  fi
  ini_awk_run '
       function add() { printf "%s=%s\r\n", key, val; done = 1 }
       { split_line(); out = head text eol }
       is_header(text) {
         if (insec && !done) add()
         printf "%s", pending; pending = ""
         insec = !done && !seen && tolower(hname) == tolower(sec); seen = seen || insec
         printf "%s", out; next
       }
       insec && !done && is_key(text) {
         printf "%s", pending; pending = ""
         if (tolower(kname) == tolower(key)) {
           if (kval != val) out = head kname "=" val eol
           done = 1
         }
         printf "%s", out; next
       }
       insec && !done { pending = pending out; next }
       { printf "%s", out }
       END {
         open_end = NR > 0 && eol == "" # the last line has no line end
         if (insec && !done) { if (pending == "" && open_end) printf "\r\n"; add() }
         printf "%s", pending
         if (!done) { if (open_end) printf "\r\n"; printf "[%s]\r\n", sec; add() }
       }' -v sec="$1" -v key="$2" -v val="$3" >"$tmp"
  chmod --reference="$ini" "$tmp"
  chown --reference="$ini" "$tmp" 2>/dev/null || true
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
