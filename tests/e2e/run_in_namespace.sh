#!/usr/bin/env bash
# Runs the real program under Xvfb in network, mount and pid namespaces of its own,
# brings a LAN link up and down and checks what reached the history and the settings
# file. Nothing here sends a packet or touches the host's network.
# Usage: run_in_namespace.sh path/to/linktally path/to/default/Linktally.ini [SCENARIO]
#        (inside the namespaces: run_in_namespace.sh --inside WORK SCENARIO)
#   sessions         two short sessions in the main window, then SIGTERM (the default)
#   start-small      the compact window opens at start; one 20 s session, then SIGTERM
#   message-at-exit  a message raised while loading is still open when the line drops
#                    and when SIGTERM comes; the program ends at once and keeps the
#                    settings file whole
# Exits 77 (skipped) where the namespaces, ip, Xvfb, sqlite3 or xdotool are not available.
set -euo pipefail

scenario=${3:-sessions}  # the third argument either way
case $scenario in
  sessions) HOLD=4 SESSIONS=2 EXIT_WITHIN=10 ;;
  start-small) HOLD=20 SESSIONS=1 EXIT_WITHIN=10 ;;
  # Ending must never wait for the user to close a box.
  message-at-exit) HOLD=3 SESSIONS=1 EXIT_WITHIN=2 ;;
  *) echo "unknown scenario $scenario" >&2 && exit 2 ;;
esac
# HOLD: seconds each session keeps its default route; the session clock ticks every
# second.
readonly scenario HOLD SESSIONS EXIT_WITHIN

wait_for() {  # wait_for SECONDS COMMAND...: polls every 0.1 s
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    tries=$((tries - 1))
    ((tries > 0)) || return 1
    sleep 0.1
  done
}

sessions_in() { sqlite3 "$1" 'SELECT count(*) FROM Historial' 2>/dev/null || echo -1; }
has_sessions() { (($(sessions_in "$1") >= $2)); }
gone() { ! kill -0 "$1" 2>/dev/null; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

ini_value() {  # ini_value FILE SECTION KEY
  awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_s = ($0 == s) }
    in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }' "$1"
}
ini_has() { [ "$(ini_value "$1" "$2" "$3")" = "$4" ]; }
# Every key of an INI file as "section/key=value", in file order.
ini_keys() {
  awk '/^\[/ { s = substr($0, 2, length($0) - 2); next }
       index($0, "=") > 1 && !/^;/ { print s "/" $0 }' "$1"
}

# Visible top-level windows whose title matches a regex.
windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
# The main window and a message box both carry the program's bare name.
message_box_open() { (($(windows '^LinkTally$' | wc -l) >= 2)); }
compact_open() { [ -n "$(windows '^ ?LinkTally V[0-9]')" ]; }
main_hidden() { [ -z "$(windows '^LinkTally$')" ]; }

# ---- Inside the namespaces: the program's life and the link changes ----
inside() {
  local work=$1 app=$1/app display app_pid xvfb_pid n
  mount -t sysfs sysfs /sys  # so that /sys/class/net shows this namespace's links

  ip link add lt0 type veth peer name lt1
  ip addr add 192.0.2.2/24 dev lt0
  ip link set lt1 up
  ip link set lt0 up

  # Abstract socket only: it belongs to this network namespace and leaves no files.
  display=$((100 + RANDOM % 900))
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -nolisten unix -nolock \
    -displayfd 3 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for 10 test -s "$work/display" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$display"

  local app_env=(PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 LC_ALL=C.UTF-8
    XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
    XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
    DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-bus")
  [ -z "${TZ+set}" ] || app_env+=(TZ="$TZ")
  mkdir -m 700 "$work/run"
  env -i "${app_env[@]}" "$app/linktally" >"$work/app.log" 2>&1 &
  app_pid=$!
  # The history is opened while the window loads.
  wait_for 15 test -e "$app/LinkTally.db" ||
    { echo "the program did not open its history" >&2; return 1; }

  case $scenario in
    start-small)
      if wait_for 10 compact_open; then echo yes >"$work/compact-at-start"; fi
      if wait_for 3 main_hidden; then echo yes >"$work/main-hidden-at-start"; fi
      ;;
    message-at-exit)
      if wait_for 10 message_box_open; then echo yes >"$work/message-box-at-start"; fi
      ;;
  esac

  # Each session after the first comes up as soon as the one before is stored: a quick
  # reconnection is still a session of its own.
  for n in $(seq "$SESSIONS"); do
    gone "$app_pid" && { echo "the program ended early" >&2; return 1; }
    ip route add default via 192.0.2.1 dev lt0
    echo "up $(date '+%s %d/%m/%Y %H:%M:%S')" >>"$work/timeline"
    sleep "$HOLD"
    ip route del default
    echo "down $(date '+%s %d/%m/%Y %H:%M:%S')" >>"$work/timeline"
    wait_for 10 has_sessions "$app/LinkTally.db" "$n" ||
      { echo "session $n was not recorded" >&2; break; }
  done

  # The closing save follows the record; note the file once it is done, so that the
  # save on SIGTERM shows as a change.
  local acc
  acc=$(sqlite3 "$app/LinkTally.db" \
    'SELECT CostoAcumulado FROM Historial ORDER BY rowid DESC LIMIT 1' 2>/dev/null || true)
  wait_for 5 ini_has "$app/Linktally.ini" Costos CostoAcumuladoPorSesion "$acc" ||
    echo "the settings file was not saved when the last session closed" >&2
  stat -c '%i %y' "$app/Linktally.ini" >"$work/ini-before-exit"
  case $scenario in
    start-small) if compact_open; then echo yes >"$work/compact-at-exit"; fi ;;
    message-at-exit) if message_box_open; then echo yes >"$work/message-box-at-exit"; fi ;;
  esac

  local sent
  sent=$(now_ms)
  kill -TERM "$app_pid"
  wait_for 10 gone "$app_pid" ||
    { echo "the program did not end on SIGTERM" >&2; kill -KILL "$app_pid"; }
  echo $(($(now_ms) - sent)) >"$work/exit-ms"
  local status=0
  wait "$app_pid" || status=$?
  echo "$status" >"$work/app-status"
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" || true
}

if [ "${1:-}" = --inside ]; then
  exec 2>>"$2/inside.log"
  inside "$2"
  exit
fi

# ---- Outside: set-up, the namespaces, the checks ----
exe=${1:?path to linktally}
defaults=${2:?path to the default Linktally.ini}

skip() {
  echo "SKIPPED: $*"
  exit 77
}
tools=(unshare ip Xvfb sqlite3 awk)
[ "$scenario" = sessions ] || tools+=(xdotool)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
readonly NS=(unshare --net --mount --pid --map-root-user --kill-child)
probe=$("${NS[@]}" sh -c 'mount -t sysfs sysfs /sys && ip link add p0 type veth peer name p1' 2>&1) ||
  skip "no private network namespace with sysfs and veth here: $probe"

work=$(mktemp -d "${TMPDIR:-/tmp}/linktally-e2e.XXXXXX")
ns_pid=""
cleanup() {
  # The namespace's first process takes all the others with it.
  [ -z "$ns_pid" ] || kill -KILL "$ns_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A portable install: the settings file beside the program keeps everything there.
mkdir -p "$work/app" "$work/home"
cp "$exe" "$work/app/linktally"
[ ! -f "$(dirname "$exe")/linktally.gif" ] || cp "$(dirname "$exe")/linktally.gif" "$work/app/"
# One money unit a second all day long, without tax or reduction, so that a session's
# cost is its length; no time server, no scheduled cut, English texts. The period start
# and its legend are set as the program's own first start writes them.
# One "section|key=value" a line.
today=$(date +%d/%m/%Y)
overrides="\
tiempos y costos semanales|DesdeSemanaHH=00
tiempos y costos semanales|DesdeSemanaMM=00
tiempos y costos semanales|DesdeSemanaSS=00
tiempos y costos semanales|HastaSemanaHH=23
tiempos y costos semanales|HastaSemanaMM=59
tiempos y costos semanales|HastaSemanaSS=59
tiempos y costos semanales|CostoDesdeHasta=3600
tiempos y costos semanales|CostoResto=3600
Reduccion costos|CkReduccion=0
Intervalos timers|TimerConexion=1
Intervalos timers|TimerCosto=1
Intervalos timers|AbandonaAplicacion=0
Idiomas|CodigoIdioma=0
Costos|AjusteCosto=S
Costos|CostoIVA=0
Costos|CostoAcumuladoPorSesion=000.00
Interrupciones|CosAcumConex=Cost add from $today:
Interrupciones|FeInt=$today
Interrupciones|HorasAcum=00:00:00
Flags|FormatoInicio=0
Flags|DespuesDe=0
Flags|QueDia=N
Flags|WindowsInicio=0
Flags|ServerTime=0"
case $scenario in
  start-small) overrides+=$'\nFlags|FormatoInicio=1' ;;
  message-at-exit)
    # A value the load refuses (and reports), and values unlike the defaults wherever a
    # key could be blanked or reset behind the user's back.
    overrides+="
Intervalos timers|TimerCosto=0
tiempos y costos diarios-lunes|DesdeLunesHH=07
tiempos y costos diarios-lunes|CostoDesdeHastaLunes=2.35
tiempos y costos diarios-lunes|CostoRestoLunes=0.45
tiempos y costos diarios-sabado|HastaSabadoMM=30
Reduccion costos|ReduccionCada=45
Reduccion costos|PorcentajeCostoReducido=12
Interrupciones|Clave=0003097098099
Interrupciones|Momento=28/02/2024
Interrupciones|CosAcumConex=Cost add from 01/03/2024:
Interrupciones|FeInt=01/03/2024
Interrupciones|DiasAcum=03
Interrupciones|HorasAcum=05:06:07
Flags|ImpDesde=02:30:00
Flags|ImpDurante=00:45:00
UbicacionInicio|Izquierda=2880
UbicacionInicio|Top=720"
    ;;
esac
awk -v overrides="$overrides" '
  BEGIN {
    n = split(overrides, lines, "\n")
    for (i = 1; i <= n; i++) {  # a later line wins
      eq = index(lines[i], "=")
      v[substr(lines[i], 1, eq - 1)] = substr(lines[i], eq + 1)
    }
  }
  /^\[/ { section = substr($0, 2, length($0) - 2) }
  {
    eq = index($0, "=")
    k = section "|" substr($0, 1, eq - 1)
    if (eq > 1 && k in v) {
      print substr($0, 1, eq) v[k]
      delete v[k]
      next
    }
    print
  }
  END { for (k in v) { print "no key " k " in " FILENAME > "/dev/stderr"; exit 1 } }
' "$defaults" >"$work/app/Linktally.ini"
cp "$work/app/Linktally.ini" "$work/ini-original"

start=$(date +%s)
"${NS[@]}" bash "$0" --inside "$work" "$scenario" &
ns_pid=$!
ns_status=0
wait "$ns_pid" || ns_status=$?
ns_pid=""

# ---- Checks ----
db=$work/app/LinkTally.db
ini=$work/app/Linktally.ini
failures=()
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  "$@" || failures+=("$what")
}
# Seconds since midnight of "hh:mm:ss"; nothing for any other text.
seconds() {
  [[ $1 =~ ^([0-2][0-9]):([0-5][0-9]):([0-5][0-9])$ ]] || return 0
  echo $((10#${BASH_REMATCH[1]} * 3600 + 10#${BASH_REMATCH[2]} * 60 + 10#${BASH_REMATCH[3]}))
}
near() {  # near A B TOLERANCE: times of day, across midnight too
  [ -n "$1" ] && [ -n "$2" ] || return 1
  local d=$(((($1 - $2) % 86400 + 86400) % 86400))
  ((d <= $3 || 86400 - d <= $3))
}
close_to() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
money() { [[ $1 =~ ^[0-9]{3,}\.[0-9]{2}$ ]]; }
count_text() { [[ $1 =~ ^[0-9]{2,}$ ]]; }
flag() { [ -s "$work/$1" ]; }

app_status=$(cat "$work/app-status" 2>/dev/null || echo none)
exit_ms=$(cat "$work/exit-ms" 2>/dev/null || echo 99999)
check "the namespace part succeeded (status $ns_status)" test "$ns_status" = 0
check "the program exited cleanly on SIGTERM (status $app_status)" test "$app_status" = 0
check "the program ended ${exit_ms} ms after SIGTERM, within $EXIT_WITHIN s" \
  test "$exit_ms" -le $((EXIT_WITHIN * 1000))
count=$(sessions_in "$db")
check "the history holds $SESSIONS sessions, not $count" test "$count" = "$SESSIONS"

case $scenario in
  start-small)
    check "the compact window opened at start" flag compact-at-start
    check "the main window stayed hidden at start" flag main-hidden-at-start
    check "the compact window was still open at SIGTERM" flag compact-at-exit
    ;;
  message-at-exit)
    check "a message box opened once the program had loaded" flag message-box-at-start
    check "the message box was still open at SIGTERM" flag message-box-at-exit
    ;;
esac

mapfile -t ups < <(grep '^up ' "$work/timeline" 2>/dev/null)
mapfile -t downs < <(grep '^down ' "$work/timeline" 2>/dev/null)
prev_acc=0 prev_end="" total=0 n=0 last_date=""
while IFS='|' read -r fecha inicio fin tiempo costo acumulado; do
  n=$((n + 1))
  read -r _ _ up_date up_time <<<"${ups[n - 1]:-}"
  read -r _ _ _ down_time <<<"${downs[n - 1]:-}"
  s_ini=$(seconds "$inicio") s_fin=$(seconds "$fin") s_dur=$(seconds "$tiempo")
  check "session $n: date '$fecha' is the day the link came up ($up_date)" \
    test "$fecha" = "$up_date"
  last_date=$fecha
  if [ -z "$s_ini" ] || [ -z "$s_fin" ] || [ -z "$s_dur" ]; then
    failures+=("session $n: times '$inicio' '$fin' '$tiempo' are not all hh:mm:ss")
    continue
  fi
  # The session clock sees a change within about a tick of the connection check.
  check "session $n: start $inicio is near the link's up time $up_time" \
    near "$s_ini" "$(seconds "$up_time")" 3
  check "session $n: end $fin is near the link's down time $down_time" \
    near "$s_fin" "$(seconds "$down_time")" 3
  check "session $n: duration $tiempo is its end minus its start" \
    near "$((s_fin - s_ini))" "$s_dur" 1
  check "session $n: duration $tiempo is about the $HOLD s the link was up" \
    test "$s_dur" -ge $((HOLD - 2)) -a "$s_dur" -le $((HOLD + 3))
  [ -z "$prev_end" ] || check "session $n: start $inicio is after the last session's end" \
    test $(((s_ini - prev_end + 86400) % 86400)) -lt 3600
  check "session $n: cost '$costo' reads as money" money "$costo"
  check "session $n: accumulated cost '$acumulado' reads as money" money "$acumulado"
  check "session $n: cost $costo is about its $s_dur s at one unit a second" \
    close_to "$costo" "$s_dur" 2
  check "session $n: accumulated cost $acumulado is $prev_acc plus $costo" \
    close_to "$acumulado" "$(awk -v a="$prev_acc" -v b="$costo" 'BEGIN { print a + b }')" 0.011
  prev_acc=$acumulado prev_end=$s_fin total=$((total + s_dur))
done < <(sqlite3 -separator '|' "$db" 'SELECT fecha, HoraInicio, HoraFinalizacion, TiempoConexion, costo, CostoAcumulado FROM Historial ORDER BY rowid' 2>/dev/null)

check "no session is left pending or half-open" test ! -e "$db.pending" -a ! -e "$db.running"
check "the settings file was saved on SIGTERM" \
  test "$(stat -c '%i %y' "$ini")" != "$(cat "$work/ini-before-exit" 2>/dev/null)"
saved_acc=$(ini_value "$ini" Costos CostoAcumuladoPorSesion)
check "the saved accumulated cost '$saved_acc' is the last session's $prev_acc" \
  test "$saved_acc" = "$prev_acc"
saved_time=$(ini_value "$ini" Interrupciones HorasAcum)
base_time=$(seconds "$(ini_value "$work/ini-original" Interrupciones HorasAcum)")
check "the saved accumulated time '$saved_time' is the sessions' $total s more than before" \
  near "$(seconds "$saved_time")" "$((base_time + total))" 1
saved_hours=$(ini_value "$ini" Interrupciones DiasAcum)
check "the saved hour count '$saved_hours' reads as a number" count_text "$saved_hours"
saved_day=$(ini_value "$ini" Interrupciones Momento)
check "the saved last session day '$saved_day' is the last session's $last_date" \
  test "$saved_day" = "$last_date"

# The file keeps its lines in order (sections the program adds come after them), and
# every value but those a session's end writes; a value the load refused comes back
# corrected.
shape() { sed 's/=.*/=/' "$1"; }
check "the settings file keeps its sections, comments and keys in order" \
  test "$(shape "$work/ini-original")" = "$(shape "$ini" | head -n "$(shape "$work/ini-original" | wc -l)")"
changing=(Costos/CostoAcumuladoPorSesion Interrupciones/Momento Interrupciones/HorasAcum
  Interrupciones/DiasAcum)
declare -A corrected=()
[ "$scenario" != message-at-exit ] || corrected["Intervalos timers/TimerCosto"]=5
declare -A saved=()
kept() { [ "${saved[$1]+set}" = set ] && [ "${saved[$1]}" = "$2" ]; }
while IFS= read -r line; do saved[${line%%=*}]=${line#*=}; done < <(ini_keys "$ini")
while IFS= read -r line; do
  key=${line%%=*} was=${line#*=}
  if [[ " ${changing[*]} " == *" $key "* ]]; then
    continue
  elif [ -n "${corrected[$key]+set}" ]; then
    check "$key is '${saved[$key]-(missing)}', corrected to '${corrected[$key]}'" \
      test "${saved[$key]-}" = "${corrected[$key]}"
  else
    check "$key is kept as '$was', not '${saved[$key]-(missing)}'" kept "$key" "$was"
  fi
done < <(ini_keys "$work/ini-original")

echo "scenario $scenario ran in $(($(date +%s) - start)) s; ended ${exit_ms} ms after SIGTERM"
if ((${#failures[@]})); then
  printf 'FAILED: %s\n' "${failures[@]}"
  for f in inside.log timeline app.log xvfb.log; do
    echo "---- $f"
    cat "$work/$f" 2>/dev/null || true
  done
  echo "---- Historial"
  sqlite3 -header -column "$db" 'SELECT rowid, * FROM Historial' 2>&1 || true
  echo "---- program directory"
  ls -la "$work/app"
  echo "---- settings changed (- before, + after)"
  diff "$work/ini-original" "$ini" || true
  exit 1
fi
sqlite3 -header -column "$db" 'SELECT * FROM Historial'
echo "$SESSIONS session(s) recorded and checked; the settings file kept"
