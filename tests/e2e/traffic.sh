#!/usr/bin/env bash
# Real traffic through the real program: the far end of its link sits in a network
# namespace of its own with a small TCP server; a known number of bytes goes each way
# during a session, and the stored row must hold them (within 5 % plus the protocols'
# overhead). Then a daily data allowance of a few MB is reached in the middle of a
# download: nothing in these namespaces can end the link, so the program must say so.
# Usage: traffic.sh path/to/linktally path/to/default/Linktally.ini
#        (inside the namespaces: traffic.sh --inside WORK)
# Exits 77 (skipped) where the namespaces, python3, ip, Xvfb, xdotool or sqlite3 are not
# available.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly DOWN=8000000 UP=3000000 CAP_MB=20 CAP_DOWN=16000000

fail() { echo "$*" >>"$WORK/failures"; }
main_window() { xdotool search --onlyvisible --name '^LinkTally$' >/dev/null 2>&1; }

# The far end: its own network namespace, a sink on port 5001 and a source on 5002 that
# sends as many bytes as the first line asks for.
far_end() {
  unshare --net sleep 600 &
  PEER=$!
  sleep 0.2
  ip link set lt1 netns "$PEER"
  nsenter -t "$PEER" -n sh -c 'ip link set lo up && ip addr add 192.0.2.1/24 dev lt1 &&
    ip link set lt1 up'
  nsenter -t "$PEER" -n python3 -c '
import socket, threading
def serve(port, handle):
    s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("192.0.2.1", port)); s.listen()
    while True:
        c, _ = s.accept(); threading.Thread(target=handle, args=(c,), daemon=True).start()
def sink(c):
    while c.recv(65536): pass
    c.close()
def source(c):
    n = int(c.makefile().readline()); block = bytes(65536)
    while n > 0:
        c.sendall(block[:min(n, 65536)]); n -= 65536
    c.close()
threading.Thread(target=serve, args=(5001, sink), daemon=True).start()
serve(5002, source)' &
  SERVER=$!
}

# Sends or fetches bytes through the link, from this namespace.
upload() {
  python3 -c '
import socket, sys
c = socket.create_connection(("192.0.2.1", 5001), 10); n = int(sys.argv[1]); block = bytes(65536)
while n > 0:
    c.sendall(block[:min(n, 65536)]); n -= 65536
c.shutdown(socket.SHUT_WR); c.recv(1); c.close()' "$1"
}
download() {
  python3 -c '
import socket, sys
c = socket.create_connection(("192.0.2.1", 5002), 10); c.sendall((sys.argv[1] + "\n").encode())
got = 0
while True:
    b = c.recv(65536)
    if not b: break
    got += len(b)
print(got)' "$1"
}

within() {  # within VALUE EXPECTED: EXPECTED <= VALUE <= 5 % more, plus 300 kB of overhead
  awk -v v="$1" -v e="$2" 'BEGIN { exit !(v >= e && v <= e * 1.05 + 300000) }'
}

inside() {
  WORK=$1
  # This pid namespace's own process table, so that the far end's namespace can be named.
  mount -t proc proc /proc
  mount -t sysfs sysfs /sys
  ip link set lo up
  ip link add lt0 type veth peer name lt1
  ip addr add 192.0.2.2/24 dev lt0
  ip link set lt0 up
  far_end
  start_xvfb "$WORK"
  export DISPLAY=":$DISPLAY_NUMBER"
  local app=$WORK/program home=$WORK/home
  mkdir -p "$home"
  start_app "$app" "$home" "$WORK/app.log"
  wait_for 15 main_window || fail "the program did not show its window"

  # A session with a known transfer each way.
  line_up
  sleep 2
  local got
  got=$(download "$DOWN")
  [ "$got" = "$DOWN" ] || fail "the download brought $got bytes, not $DOWN"
  upload "$UP"
  sleep 2
  line_down
  wait_for 5 has_sessions "$app/LinkTally.db" 1 || fail "the session was not stored"
  local received sent
  read -r received sent < <(sqlite3 -separator ' ' "file:$app/LinkTally.db?mode=ro" \
    'SELECT BytesRecibidos, BytesEnviados FROM Historial ORDER BY rowid LIMIT 1')
  echo "session 1: received $received, sent $sent" >>"$WORK/report"
  within "${received:-0}" "$DOWN" || fail "received $received bytes stored for $DOWN downloaded"
  within "${sent:-0}" "$UP" || fail "sent $sent bytes stored for $UP uploaded"

  # A daily allowance of a few MB, accepted in the settings file for the next run.
  kill -TERM "$APP_PID"
  wait "$APP_PID" || true
  grep -q '^\[Volumen\]' "$app/Linktally.ini" || fail "the settings file has no [Volumen] section"
  sed -i "/^\[Volumen\]/,/^\[/{s/^Periodo=.*/Periodo=1/;s/^Cantidad=.*/Cantidad=$CAP_MB/;
    s/^Unidad=.*/Unidad=MB/;s/^SoloAviso=.*/SoloAviso=0/}" "$app/Linktally.ini"
  start_app "$app" "$home" "$WORK/app.log"
  wait_for 15 main_window || fail "the program did not show its window again"
  line_up
  sleep 2
  download "$CAP_DOWN" >/dev/null
  wait_for 5 grep -q 'The data allowance is used up' "$WORK/app.log" ||
    fail "reaching the data allowance during a download was not said"
  line_down
  wait_for 5 has_sessions "$app/LinkTally.db" 2 || fail "the second session was not stored"
  kill -TERM "$APP_PID"
  wait "$APP_PID" || true
  kill "$SERVER" "$PEER" "$XVFB_PID" 2>/dev/null || true
}

if [ "${1:-}" = --inside ]; then
  exec 2>>"$2/inside.log"
  set -x
  inside "$2"
  exit
fi

exe=${1:?path to linktally}
defaults=${2:?path to the default Linktally.ini}
command -v python3 >/dev/null || skip "python3 is not installed"
command -v nsenter >/dev/null || skip "nsenter is not installed"
require_namespaces xdotool
work=$(mktemp -d "${TMPDIR:-/tmp}/linktally-traffic.XXXXXX")
ns_pid=""
cleanup() {
  [ -z "$ns_pid" ] || kill -KILL "$ns_pid" 2>/dev/null || true
  if [ -n "${KEEP_E2E:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
mkdir -p "$work/program"
cp "$exe" "$work/program/linktally"
write_settings "$defaults" "$work/program/Linktally.ini"
: >"$work/failures"
status=0
"${NS[@]}" bash "$0" --inside "$work" &
ns_pid=$!
wait "$ns_pid" || status=$?
ns_pid=""
cat "$work/report" 2>/dev/null || true
if [ -s "$work/failures" ] || [ "$status" != 0 ]; then
  [ "$status" = 0 ] || echo "FAILED: the namespace part ended with status $status"
  sed 's/^/FAILED: /' "$work/failures"
  echo "---- app.log"
  cat "$work/app.log" 2>/dev/null || true
  echo "---- inside.log (last lines)"
  tail -n 40 "$work/inside.log" 2>/dev/null || true
  exit 1
fi
echo "the bytes of a real transfer were stored, and the allowance was reached during one"
