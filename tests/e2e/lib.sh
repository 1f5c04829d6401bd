# Shared by the end-to-end scripts that run the real program in namespaces of its own:
# sourced, never run. The caller sets `set -euo pipefail`.

wait_for() {  # wait_for SECONDS COMMAND...: polls every 0.1 s
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    tries=$((tries - 1))
    ((tries > 0)) || return 1
    sleep 0.1
  done
}

gone() { ! kill -0 "$1" 2>/dev/null; }
alive() { kill -0 "$1" 2>/dev/null; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

skip() {
  echo "SKIPPED: $*"
  exit 77
}

# Skips unless the tools are there and an unprivileged user can have network, mount and
# pid namespaces of its own with sysfs, a veth pair and a small tmpfs.
require_namespaces() {  # require_namespaces TOOL...
  local tool probe
  for tool in unshare ip Xvfb sqlite3 awk mount umount dd "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  probe=$("${NS[@]}" sh -c 'mount -t sysfs sysfs /sys && ip link add p0 type veth peer name p1 &&
    d=$(mktemp -d) && mount -t tmpfs -o size=64k tmpfs "$d" && umount "$d" && rmdir "$d"' 2>&1) ||
    skip "no private namespaces with sysfs, veth and tmpfs here: $probe"
}
readonly NS=(unshare --net --mount --pid --map-root-user --kill-child)

# The settings the end-to-end runs use: one money unit a second all day long, no tax, no
# reduction, no time server, no scheduled cut, English texts, the period starting today.
write_settings() {  # write_settings DEFAULTS OUT
  local today
  today=$(date +%d/%m/%Y)
  awk -v overrides="\
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
Flags|ServerTime=0" '
    BEGIN {
      n = split(overrides, lines, "\n")
      for (i = 1; i <= n; i++) {
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
  ' "$1" >"$2"
}

ini_value() {  # ini_value FILE SECTION KEY
  awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_s = ($0 == s) }
    in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }' "$1"
}
ini_holds() { [ "$(ini_value "$1" "$2" "$3")" = "$4" ]; }  # ini_holds FILE SECTION KEY VALUE
# Every key of an INI file as "section/key=value", in file order, less the keys a session's
# end rewrites.
ini_kept_keys() {
  awk '/^\[/ { s = substr($0, 2, length($0) - 2); next }
       index($0, "=") > 1 && !/^;/ { print s "/" $0 }' "$1" |
    grep -Ev '^(Costos/CostoAcumuladoPorSesion|Interrupciones/(Momento|HorasAcum|DiasAcum))='
}
# The lines of an INI file with their values blanked: sections, comments and keys in order.
ini_shape() { sed 's/=.*/=/' "$1"; }
# Whether a saved settings file keeps the original's lines in their order (sections,
# comments and keys; keys the program adds may come between) and every value but those a
# session's end writes: never blanked, never cut short.
ini_keeps() {  # ini_keeps ORIGINAL SAVED
  awk 'NR == FNR { want[++n] = $0; next } i < n && $0 == want[i + 1] { i++ } END { exit i < n }' \
    <(ini_shape "$1") <(ini_shape "$2") &&
    ! ini_kept_keys "$1" | grep -vxF -f <(ini_kept_keys "$2") >/dev/null
}

# Seconds of "hh:mm:ss" (any number of hour digits); nothing for any other text.
seconds() {
  [[ $1 =~ ^([0-9]{2,}):([0-5][0-9]):([0-5][0-9])$ ]] || return 0
  echo $((10#${BASH_REMATCH[1]} * 3600 + 10#${BASH_REMATCH[2]} * 60 + 10#${BASH_REMATCH[3]}))
}

# ---- Inside the namespaces ----

# A LAN link without a default route: `line_up` and `line_down` add and delete it.
setup_link() {
  mount -t sysfs sysfs /sys  # so that /sys/class/net shows this namespace's links
  ip link add lt0 type veth peer name lt1
  ip addr add 192.0.2.2/24 dev lt0
  ip link set lt1 up
  ip link set lt0 up
}
line_up() { ip route add default via 192.0.2.1 dev lt0; }
line_down() { ip route del default; }

# Xvfb on an abstract socket only: it belongs to this network namespace and leaves no
# files. Sets DISPLAY_NUMBER and XVFB_PID.
start_xvfb() {  # start_xvfb SCRATCH
  DISPLAY_NUMBER=$((100 + RANDOM % 900))
  Xvfb ":$DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp -nolisten unix -nolock \
    -displayfd 3 3>"$1/display" >"$1/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_for 10 test -s "$1/display" || { echo "Xvfb did not start" >&2; return 1; }
}

# Starts the program in the background with a clean environment; sets APP_PID. Its
# standard output and error go to LOG (appended).
start_app() {  # start_app APP_DIR HOME_DIR LOG
  local env=(PATH="$PATH" HOME="$2" LANG=C.UTF-8 LC_ALL=C.UTF-8
    XDG_RUNTIME_DIR="$2/run" TMPDIR="$2/tmp" XDG_CONFIG_HOME="$2/.config"
    XDG_DATA_HOME="$2/.local/share" XDG_CACHE_HOME="$2/.cache"
    DISPLAY=":$DISPLAY_NUMBER" QT_QPA_PLATFORM=xcb
    DBUS_SESSION_BUS_ADDRESS="unix:path=$2/no-bus"
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$2/no-bus")
  [ -z "${TZ+set}" ] || env+=(TZ="$TZ")
  mkdir -p -m 700 "$2/run" "$2/tmp"
  env -i "${env[@]}" "$1/linktally" >>"$3" 2>&1 &
  APP_PID=$!
}

# Every stored session as "fecha|HoraInicio|HoraFinalizacion|TiempoConexion|costo|
# CostoAcumulado", in stored order; nothing when the file is no history.
history_rows() {
  sqlite3 -separator '|' "file:$1?mode=ro" 'SELECT fecha, HoraInicio, HoraFinalizacion,
    TiempoConexion, costo, CostoAcumulado FROM Historial ORDER BY rowid' 2>/dev/null || true
}
history_count() { history_rows "$1" | grep -c . || true; }
has_sessions() { (($(history_count "$1") >= $2)); }
