#!/usr/bin/env bash
# Faults of the disk and of the program's files, on the real program: its folder (the
# program and its files) sits on a small tmpfs of its own inside a private mount
# namespace, where it can be filled, made read-only or have its files deleted or spoilt,
# while a LAN link in a private network namespace goes up and down. Each case starts from
# a fresh folder and checks that every finished session is stored exactly once with
# about its length, that the settings file keeps its values (never blanked or cut
# short), that the program said what happened on standard error, and that it kept
# running until SIGTERM, which ends it cleanly within 2 s.
# Usage: faults.sh path/to/linktally path/to/default/Linktally.ini [CASE...]
#        (inside the namespaces: faults.sh --inside WORK CASE...)
# Exits 77 (skipped) where the namespaces, tmpfs, ip, Xvfb, xdotool or sqlite3 are not
# available.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly ALL_CASES=(full-before-start full-during-session full-after-session
  read-only-folder history-deleted history-read-only history-damaged
  settings-directory settings-too-large settings-random settings-empty settings-nul)
# Room left on the folder's tmpfs beside the program: enough for the settings, the
# history, its journal and the ledger; the filler takes the rest.
readonly ROOM_KIB=2048
readonly HOLD=2  # seconds a session keeps its default route

# ---- Inside the namespaces ----

# Set per case: its scratch folder (outside the tmpfs, kept for the report), the
# program's folder (the tmpfs) and the program's log.
CASE="" DIR="" APP="" LOG=""
# Whether the case runs on the settings above, one money unit a second.
PRICED=1

fail() { echo "$CASE: $*" >>"$WORK/failures"; }
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  "$@" || fail "$what"
}

main_window() { xdotool search --onlyvisible --name '^LinkTally$' >/dev/null 2>&1; }
# A line "LinkTally: <text>" on the program's standard error.
said() { grep -Eq "^LinkTally: .*$1" "$LOG"; }
told() {  # told WHAT REGEX: the program says it within 5 s
  wait_for 5 said "$2" || fail "the program did not say $1 (no line matching '$2')"
}

launch() {
  echo "---- start $(date +%T.%N)" >>"$LOG"
  start_app "$APP" "$DIR/home" "$LOG"
  wait_for 15 main_window || fail "the program did not show its window"
}

# SIGTERM: the program must still be running, and end with status 0 within 2 s.
terminate() {
  local sent status=0
  if gone "$APP_PID"; then
    fail "the program had ended before SIGTERM"
    wait "$APP_PID" || true
    return
  fi
  sent=$(now_ms)
  kill -TERM "$APP_PID"
  if ! wait_for 2 gone "$APP_PID"; then
    fail "the program did not end within 2 s of SIGTERM"
    kill -KILL "$APP_PID" 2>/dev/null || true
  fi
  wait "$APP_PID" || status=$?
  check "the program ended with status $status on SIGTERM" test "$status" = 0
  echo "---- ended with $status $(($(now_ms) - sent)) ms after SIGTERM" >>"$LOG"
}

# One session of HOLD seconds (or as given); its length goes to the case's list.
session() {  # session [SECONDS]
  local up
  alive "$APP_PID" || fail "the program ended before a session"
  line_up
  up=$(now_ms)
  sleep "${1:-$HOLD}"
  line_down
  echo $(($(now_ms) - up)) >>"$DIR/held"
}
line_down_at_end() { if ip route show default | grep -q .; then line_down; fi; }

stored() { history_count "$APP/LinkTally.db"; }
wait_stored() {  # wait_stored COUNT: the history holds COUNT sessions within 5 s
  wait_for 5 has_sessions "$APP/LinkTally.db" "$1" ||
    fail "the history holds $(stored) sessions, not $1, after a session's end"
}
# The closing save follows the record: wait for the settings file to show the last cost.
wait_saved() {
  local acc
  acc=$(history_rows "$APP/LinkTally.db" | tail -n 1 | cut -d'|' -f6)
  wait_for 5 ini_holds "$APP/Linktally.ini" Costos CostoAcumuladoPorSesion "$acc" ||
    fail "the settings file did not take the accumulated cost $acc"
}

fill_disk() {
  dd if=/dev/zero of="$APP/filler" bs=64k status=none 2>/dev/null || true
  local left
  left=$(df --output=avail -B1 "$APP" | tail -n 1)
  ((left < 4096)) || fail "the folder's tmpfs still has $left bytes after filling it"
}
free_disk() { rm -f "$APP/filler"; }

# Every session of the case stored once, in order, each about as long as its link was up.
check_sessions() {
  local -a held rows
  mapfile -t held < <(cat "$DIR/held" 2>/dev/null)
  mapfile -t rows < <(history_rows "$APP/LinkTally.db")
  check "the history holds ${#rows[@]} sessions, not ${#held[@]}" test "${#rows[@]}" = "${#held[@]}"
  local n d s fecha inicio fin tiempo costo acumulado
  for n in "${!rows[@]}"; do
    IFS='|' read -r fecha inicio fin tiempo costo acumulado <<<"${rows[n]}"
    d=$(seconds "$tiempo")
    s=$(((${held[n]:-0} + 500) / 1000))
    # The session clock sees a change within about a tick of the connection check.
    check "session $((n + 1)) lasted $tiempo, not about its ${s} s" \
      test -n "$d" -a "${d:-0}" -ge $((s - 2)) -a "${d:-0}" -le $((s + 2))
  done
  # Each accumulated cost is the one before plus the session's own; with one unit a
  # second, a session costs about its length.
  local prev=""
  while IFS='|' read -r fecha inicio fin tiempo costo acumulado; do
    [ -z "$prev" ] || check "accumulated cost $acumulado is $prev plus $costo" \
      awk -v a="$acumulado" -v p="$prev" -v c="$costo" 'BEGIN { d = a - p - c; exit !(d < 0.011 && -d < 0.011) }'
    [ "$PRICED" = 0 ] || check "session at $inicio cost $costo for $tiempo at one unit a second" \
      awk -v c="$costo" -v t="$(seconds "$tiempo")" 'BEGIN { d = c - t; exit !(d <= 2 && -d <= 2) }'
    prev=$acumulado
  done < <(history_rows "$APP/LinkTally.db")
  local starts
  starts=$(history_rows "$APP/LinkTally.db" | cut -d'|' -f1,2 | sort | uniq -d)
  check "no session is stored twice (${starts//$'\n'/, })" test -z "$starts"
  local integrity
  integrity=$(sqlite3 "file:$APP/LinkTally.db?mode=ro" 'PRAGMA integrity_check' 2>&1 || true)
  check "the history is sound ($integrity)" test "$integrity" = ok
}

# The settings file is whole: its sections, comments and keys in order, and every value
# but those a session's end writes; the accumulated cost is the last session's.
check_settings() {
  local ini=$APP/Linktally.ini
  check "the settings file keeps its lines and values" ini_keeps "$WORK/Linktally.ini" "$ini"
  local acc saved
  acc=$(history_rows "$APP/LinkTally.db" | tail -n 1 | cut -d'|' -f6)
  saved=$(ini_value "$ini" Costos CostoAcumuladoPorSesion)
  check "the saved accumulated cost '$saved' is the last session's '$acc'" test "$saved" = "$acc"
  check "no half-written settings file is left" test ! -e "$APP/.Linktally.ini.new"
}

# A fresh folder on a tmpfs of its own: the program, the animation and the settings.
prepare() {  # prepare CASE
  CASE=$1 DIR=$WORK/$1 APP=$WORK/$1/app LOG=$WORK/$1/app.log PRICED=1
  mkdir -p "$APP" "$DIR/home"
  : >"$LOG"
  local size=$(($(du -sk "$WORK/program" | cut -f1) + ROOM_KIB))
  mount -t tmpfs -o "size=${size}k,mode=755" tmpfs "$APP"
  cp -a "$WORK/program/." "$APP/"
  cp "$WORK/Linktally.ini" "$APP/Linktally.ini"
}

# Whatever a failed case left, for the report; then the folder goes.
finish_case() {
  line_down_at_end
  if [ -n "${APP_PID:-}" ] && alive "$APP_PID"; then
    kill -KILL "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
  fi
  if grep -q "^$CASE: " "$WORK/failures" 2>/dev/null; then
    {
      ls -la "$APP"
      echo "-- Historial"
      sqlite3 -header "file:$APP/LinkTally.db?mode=ro" 'SELECT rowid, * FROM Historial' 2>&1
      echo "-- settings changed (- before, + after)"
      diff "$WORK/Linktally.ini" "$APP/Linktally.ini" 2>&1
    } >"$DIR/state" 2>&1 || true
  fi
  umount -l "$APP" 2>/dev/null || true
  APP_PID=""
}

# 1. A full disk before the start: the program starts and says so, once for each kind of
#    trouble however often it meets it; the sessions that end while the disk is full
#    are stored, in order, with the next one once there is room.
case_full-before-start() {
  fill_disk
  launch
  told "that it could not note the running session" "running session could not be noted"
  session
  told "that the session could not be stored" "session could not be saved in the history"
  session
  sleep 1
  check "nothing is stored while the disk is full" test "$(stored)" = 0
  local what
  for what in "running session could not be noted" "session could not be saved in the history" \
    "settings file could not be written"; do
    check "'$what' was said once, not $(grep -c "$what" "$LOG")" test "$(grep -c "$what" "$LOG")" = 1
  done
  free_disk
  session
  wait_stored 3
  wait_saved
  terminate
  launch
  terminate
  check_sessions
  check_settings
}

# 2. The disk fills during a session, which ends while it is full: stored once at the
#    next start, once there is room.
case_full-during-session() {
  launch
  line_up
  local up
  up=$(now_ms)
  sleep 1
  fill_disk
  sleep 1
  line_down
  echo $(($(now_ms) - up)) >>"$DIR/held"
  told "that the session could not be stored" "session could not be saved in the history"
  told "that the settings could not be written" "settings file could not be written"
  check "nothing is stored while the disk is full" test "$(stored)" = 0
  free_disk
  terminate
  launch
  wait_stored 1
  terminate
  check_sessions
  check_settings
}

# 3. The disk fills after a session: SIGTERM cannot save the settings, and the file
#    stays as the session's end left it.
case_full-after-session() {
  launch
  session
  wait_stored 1
  wait_saved
  cp "$APP/Linktally.ini" "$DIR/ini-before"
  fill_disk
  terminate
  told "that the settings could not be written" "settings file could not be written"
  check "the settings file is unchanged" cmp -s "$DIR/ini-before" "$APP/Linktally.ini"
  free_disk
  # What a kill during a save leaves, by this version and by earlier ones: gone at the
  # next start.
  echo "half" >"$APP/.Linktally.ini.new"
  echo "half" >"$APP/Linktally.ini.a1B2c3"
  launch
  check "a half-written settings file is removed at start" test ! -e "$APP/.Linktally.ini.new"
  check "an earlier version's half-written copy is removed at start" \
    test ! -e "$APP/Linktally.ini.a1B2c3"
  terminate
  check_sessions
  check_settings
}

# 4. The folder turns read-only. While the program holds its files open for writing the
#    kernel refuses to remount it read-only (EBUSY), so during the run a read-only bind
#    of the folder is put over it: everything opened anew fails. Then the program starts
#    on the folder remounted read-only, a session ends, and the folder comes back
#    writable while it runs.
case_read-only-folder() {
  launch
  line_up
  local up
  up=$(now_ms)
  sleep 1
  mount --bind "$APP" "$APP"
  mount -o remount,bind,ro "$APP"
  sleep 1
  line_down
  echo $(($(now_ms) - up)) >>"$DIR/held"
  told "that the settings could not be written" "settings file could not be written.*Read-only"
  wait_stored 1
  umount -l "$APP"
  session
  wait_stored 2
  wait_saved
  terminate

  mount -o remount,ro "$APP"
  launch
  told "that it could not make its lock" "could not make its lock file"
  told "that it could not note the running session" "running session could not be noted"
  session
  told "that the session could not be stored" "session could not be saved in the history"
  mount -o remount,rw "$APP"
  session
  wait_stored 4
  wait_saved
  terminate
  launch
  terminate
  check_sessions
  check_settings
}

# 5. The history is deleted while the program runs: the next session goes to a new one.
case_history-deleted() {
  launch
  session
  wait_stored 1
  rm "$APP/LinkTally.db"
  : >"$DIR/held"  # the history that held the first session is gone
  session
  told "that it made the history again" "removed or replaced while LinkTally ran"
  wait_stored 1
  terminate
  launch
  terminate
  check_sessions
  check_settings
}

# 6. The history file is read-only when the program starts, and writable again while it
#    runs (a read-only bind over the file, taken away: the root of a namespace ignores
#    file permissions).
case_history-read-only() {
  launch
  session
  wait_stored 1
  terminate
  mount --bind "$APP/LinkTally.db" "$APP/LinkTally.db"
  mount -o remount,bind,ro "$APP/LinkTally.db"
  launch
  session
  told "that the session could not be stored" "session could not be saved in the history"
  check "the read-only history still holds one session" test "$(stored)" = 1
  umount -l "$APP/LinkTally.db"
  session
  wait_stored 3
  wait_saved
  terminate
  launch
  terminate
  check_sessions
  check_settings
}

# 7. The history file is not a database: it is set aside, kept as it was, and a new
#    history takes the sessions.
case_history-damaged() {
  head -c 20000 /dev/urandom >"$APP/LinkTally.db"
  cp "$APP/LinkTally.db" "$DIR/damaged"
  # A lock file left by a copy on another PC holds nobody back.
  printf '4242\nanother-host\n' >"$APP/.linktally.lock"
  launch
  told "that the history was damaged and set aside" "history file was damaged.*LinkTally\.db\.damaged-"
  local -a aside
  mapfile -t aside < <(find "$APP" -maxdepth 1 -name 'LinkTally.db.damaged-*')
  check "one file was set aside (${aside[*]:-none})" test "${#aside[@]}" = 1
  check "the file set aside is the damaged history, unchanged" cmp -s "$DIR/damaged" "${aside[0]:-/}"
  check "it is named LinkTally.db.damaged-yyyyMMdd-HHmmss" \
    test -n "$(basename "${aside[0]:-}" | grep -E '^LinkTally\.db\.damaged-[0-9]{8}-[0-9]{6}$')"
  session
  wait_stored 1
  terminate
  launch
  terminate
  check "the damaged file is set aside only once" \
    test "$(find "$APP" -maxdepth 1 -name 'LinkTally.db.damaged-*' | wc -l)" = 1
  check_sessions
  check_settings
}

# 8. A settings file that cannot be read: the defaults stand in, sessions are stored, and
#    the file is never written over.
unreadable_settings() {
  local ini=$APP/Linktally.ini
  find "$ini" -printf '%y %s %m\n' >"$DIR/ini-before"
  [ -d "$ini" ] || cp "$ini" "$DIR/ini-bytes"
  PRICED=0  # the shipped defaults' tariff
  launch
  told "that the settings could not be read" \
    "The settings file could not be read: .*The program starts with default values\."
  session
  wait_stored 1
  terminate
  check_sessions
  check "the settings file is as it was" \
    test "$(find "$ini" -printf '%y %s %m\n')" = "$(cat "$DIR/ini-before")"
  [ -d "$ini" ] || check "the settings file keeps its bytes" cmp -s "$DIR/ini-bytes" "$ini"
  check "no half-written settings file is left" test ! -e "$APP/.Linktally.ini.new"
}
case_settings-directory() {
  rm "$APP/Linktally.ini"
  mkdir "$APP/Linktally.ini"
  echo "a file of the user's" >"$APP/Linktally.ini/note"
  unreadable_settings
  check "the user's file in that folder is kept" \
    test "$(cat "$APP/Linktally.ini/note" 2>/dev/null)" = "a file of the user's"
}
case_settings-too-large() {
  # Our own settings, then comments past 1 MiB.
  {
    cat "$WORK/Linktally.ini"
    for _ in $(seq 1100); do printf '; %01020d\n' 0; done
  } >"$APP/Linktally.ini.big"
  mv "$APP/Linktally.ini.big" "$APP/Linktally.ini"
  unreadable_settings
}
case_settings-random() {
  head -c 4096 /dev/urandom >"$APP/Linktally.ini"
  head -c 100 /dev/urandom >"$APP/.linktally.lock"  # nor a spoilt one
  unreadable_settings
}
case_settings-empty() {
  : >"$APP/Linktally.ini"
  : >"$APP/.linktally.lock"  # nor does an empty lock file
  unreadable_settings
}
case_settings-nul() {
  head -c 4096 /dev/zero >"$APP/Linktally.ini"
  unreadable_settings
}

inside() {
  WORK=$1
  shift
  setup_link
  start_xvfb "$WORK"
  export DISPLAY=":$DISPLAY_NUMBER"
  local name started
  for name in "$@"; do
    started=$(now_ms)
    prepare "$name"
    "case_$name" || fail "the case stopped early"
    finish_case
    echo "$name $(($(now_ms) - started))" >>"$WORK/times"
  done
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
}

if [ "${1:-}" = --inside ]; then
  exec 2>>"$2/inside.log"
  set -x
  inside "${@:2}"
  exit
fi

# ---- Outside: set-up, the namespaces, the report ----
exe=${1:?path to linktally}
defaults=${2:?path to the default Linktally.ini}
cases=("${@:3}")
((${#cases[@]})) || cases=("${ALL_CASES[@]}")
for name in "${cases[@]}"; do
  declare -F "case_$name" >/dev/null || { echo "unknown case $name" >&2 && exit 2; }
done
require_namespaces xdotool df du cmp find

work=$(mktemp -d "${TMPDIR:-/tmp}/linktally-faults.XXXXXX")
ns_pid=""
cleanup() {
  # The namespace's first process takes all the others, and its mounts, with it.
  [ -z "$ns_pid" ] || kill -KILL "$ns_pid" 2>/dev/null || true
  # KEEP_E2E=1 keeps the logs for a look.
  if [ -n "${KEEP_E2E:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -p "$work/program"
cp "$exe" "$work/program/linktally"
[ ! -f "$(dirname "$exe")/linktally.gif" ] || cp "$(dirname "$exe")/linktally.gif" "$work/program/"
write_settings "$defaults" "$work/Linktally.ini"
: >"$work/failures"

start=$(date +%s)
ns_status=0
"${NS[@]}" bash "$0" --inside "$work" "${cases[@]}" &
ns_pid=$!
wait "$ns_pid" || ns_status=$?
ns_pid=""

while read -r name ms; do
  printf '%-22s %5.1f s\n' "$name" "$(awk -v ms="$ms" 'BEGIN { print ms / 1000 }')"
done <"$work/times" 2>/dev/null || true
echo "${#cases[@]} case(s) ran in $(($(date +%s) - start)) s"
ran=$(wc -l <"$work/times" 2>/dev/null || echo 0)
if [ -s "$work/failures" ] || [ "$ran" != "${#cases[@]}" ] || [ "$ns_status" != 0 ]; then
  [ "$ns_status" = 0 ] || echo "FAILED: the namespace part ended with status $ns_status"
  [ "$ran" = "${#cases[@]}" ] || echo "FAILED: only $ran of ${#cases[@]} cases ran"
  sed 's/^/FAILED: /' "$work/failures"
  for name in "${cases[@]}"; do
    grep -q "^$name: " "$work/failures" || continue
    for f in held app.log state; do
      echo "---- $name/$f"
      cat "$work/$name/$f" 2>/dev/null || true
    done
  done
  echo "---- inside.log (last lines)"
  tail -n 60 "$work/inside.log" 2>/dev/null || true
  exit 1
fi
echo "every case stored each session once, kept the settings file and said what happened"
