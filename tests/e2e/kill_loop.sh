#!/usr/bin/env bash
# kill -9 at random moments, again and again, on the real program in network, mount and
# pid namespaces of its own, while a LAN link goes up and down in sessions of a second or
# three; each kill is followed by a restart, and a last clean run ends with SIGTERM.
# Every session the script causes is noted with the instants its default route came and
# went (or the program was killed), and the history must answer for each of them.
#
# Where the kills land, dealt at random to the runs, every dozen kills each its share:
#   start     0-0.9 s after the program is started: while it loads and takes over the
#             lock, or just after;
#   recovery  0-6 ms after the start's first write to the ledger, when the kill before
#             left something there: while what waited is stored and the settings saved;
#   note      0-3 ms after the running session's first note reaches the ledger;
#   mid       0.3-2.2 s after the line comes up;
#   end-save  0-2 ms after the session's end reaches the ledger: while the settings, the
#             history and the ledger are written (a few milliseconds in all);
#   end       0-1.5 s after the line goes down;
#   idle      0-0.5 s after the session is stored and the settings saved.
# A run sometimes sees a whole session before the one the kill is aimed at.
#
# What is accepted. A session's length is the time its route was up (the program has
# loaded before it comes up) until its deletion or the kill; its stored length is
# TiempoConexion, taken at the session clock's last tick.
#  1. No session is stored twice, and no row is stored that no session explains: every
#     row starts within 2 s of a session's route coming up (session starts are at least
#     3.2 s apart; a stored start is within about 1.5 s of its route) and no session has
#     two rows.
#  2. A session that ended under the program's eyes (the route went and the run went on
#     until its row and the settings were seen saved, or ended with SIGTERM) is stored
#     within 2 s of its length: the connection check and the session clock each tick
#     once a second.
#  3. A session cut by a kill (killed while its route was up, or after the route went
#     but before its end was seen saved) is stored whenever the ledger had been written
#     since its route came up (its running note or its end reached the disk); otherwise
#     it may be missing. Stored, it is never more than 2 s longer than its length. It
#     loses the time since its last note, all of it when it had none: a session is
#     first noted at its first cost tick, about 1-2 s after its route comes up when it is
#     the first session of its run and a minute after it begins otherwise, then every
#     minute. So a kill costs at most the 60 s between two notes plus a tick, and these
#     sessions of a few seconds at most their whole length.
#  4. Each row's accumulated cost is the row before's plus its own cost; the settings
#     file ends with the last row's accumulated cost, and with the period's counted time
#     equal to the sum of the stored lengths (within 2 s, for rounding): what a kill
#     loses is lost from the history and the counts alike, never from one alone.
#  5. After every kill the settings file is whole: its lines in order, its values kept.
#  6. The program starts after every kill, and the last run ends on SIGTERM with status 0
#     within 2 s.
# Prints the largest loss of any kill.
# Usage: kill_loop.sh path/to/linktally path/to/default/Linktally.ini [KILLS]
#        KILL_LOOP_SEED=N draws the same modes and delays again (the seed is printed).
#        (inside the namespaces: kill_loop.sh --inside WORK KILLS SEED)
# Exits 77 (skipped) where the namespaces, ip, Xvfb, xdotool or sqlite3 are not available.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Each run's kill is aimed by one of these, dealt from a shuffled deck: every dozen kills
# see each its share.
readonly MODES=(start start recovery recovery note mid mid end-save end-save end-save end idle)
DECK=()
# The next card in MODE; a recovery needs a kill before it that left something to store.
next_mode() {
  local i j t
  if ((${#DECK[@]} == 0)); then
    DECK=("${MODES[@]}")
    for ((i = ${#DECK[@]} - 1; i > 0; i--)); do
      j=$((RANDOM % (i + 1)))
      t=${DECK[i]} DECK[i]=${DECK[j]} DECK[j]=$t
    done
  fi
  for i in "${!DECK[@]}"; do
    if [ "${DECK[i]}" != recovery ] || ((PENDING)); then
      MODE=${DECK[i]}
      unset 'DECK[i]'
      DECK=("${DECK[@]}")
      return
    fi
  done
  MODE=start  # only recoveries left and nothing to recover: the card stands for a start
  DECK=("${DECK[@]:1}")
}
# Between the starts of two sessions: a stored start is within about 1.5 s of the line
# coming up, so each row belongs to the one session whose start is nearest.
readonly SEPARATION_MS=3200

# ---- Inside the namespaces ----

# draw MIN MAX: a number of milliseconds in MS, from the seeded sequence (no subshell,
# which would draw from a sequence of its own).
draw() { MS=$(($1 + (RANDOM * 32768 + RANDOM) % ($2 - $1 + 1))); }
sleep_ms() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }
clock_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }

# Marks: files that carry the ledger's modification time of a moment, so that a write
# since then shows without a process per look.
mark() {  # mark NAME
  if [ -e "$LEDGER" ]; then touch -r "$LEDGER" "$WORK/mark-$1"; else touch -d @0 "$WORK/mark-$1"; fi
}
written_since() { [[ $LEDGER -nt $WORK/mark-$1 ]]; }  # written_since NAME
# Waits for a write to the ledger after mark NAME, looking every half millisecond, then
# lets DELAY ms more pass (no process is started on the way: a save lasts a few ms);
# false after MS.
await_write() {  # await_write NAME MS DELAY
  local deadline=$(($(clock_ms) + $2)) delay
  delay=$(printf '0.%03d' "$3")
  until written_since "$1"; do
    (($(clock_ms) < deadline)) || return 1
    read -rt 0.0005 -u 9 _ || true
  done
  read -rt "$delay" -u 9 _ || true
}

main_window() { xdotool search --onlyvisible --name '^LinkTally$' >/dev/null 2>&1; }
journal() { echo "${*:2}" >>"$WORK/$1"; }  # journal FILE WORDS...
fail() { journal failures "$*"; }

LAST_UP=0 SESSION=0 RUN=0 FIRST_IN_RUN=1
# Whether the last kill may have left a session in the ledger for the next start.
PENDING=0
# The line comes up for a new session, at least SEPARATION_MS after the last one did.
up() {
  local wait=$((LAST_UP + SEPARATION_MS - $(clock_ms)))
  ((wait <= 0)) || sleep_ms "$wait"
  SESSION=$((SESSION + 1))
  UP_ROWS=$(history_count "$APP/LinkTally.db")
  mark up
  line_up
  LAST_UP=$(clock_ms)
}
# The session's record: id run first-of-run up end how ledger-written-since-up
# rows-before; `how` is "seen" (its end was seen stored), "down" (the kill came after
# the route went) or "cut" (killed while up).
record_session() {  # record_session END HOW
  local noted=0
  ! written_since up || noted=1
  journal sessions "$SESSION $RUN $FIRST_IN_RUN $LAST_UP $1 $2 $noted $UP_ROWS"
  FIRST_IN_RUN=0
}

# A whole session: up for a second or two, down, and stored with the settings saved.
whole_session() {
  local down acc
  up
  draw 1000 1800
  sleep_ms "$MS"
  line_down
  down=$(clock_ms)
  wait_for 8 has_sessions "$APP/LinkTally.db" $((UP_ROWS + 1)) ||
    fail "run $RUN: session $SESSION was not stored within 8 s of its end"
  acc=$(history_rows "$APP/LinkTally.db" | tail -n 1 | cut -d'|' -f6)
  wait_for 5 ini_holds "$APP/Linktally.ini" Costos CostoAcumuladoPorSesion "$acc" ||
    fail "run $RUN: the settings file did not take session $SESSION's accumulated cost"
  record_session "$down" seen
}

# kill -9, then what it left: the kill's record is
# id mode run time session ledger-written-since-down rows-after settings-cost-after.
KILLS_DONE=0
kill_now() {  # kill_now MODE [SESSION [down]]
  local at status=0 finish=- rows cost
  gone "$APP_PID" && fail "run $RUN: the program had ended before its kill"
  kill -KILL "$APP_PID" 2>/dev/null || true
  at=$(clock_ms)
  wait "$APP_PID" || status=$?
  [ "$status" = 137 ] || fail "run $RUN: the killed program ended with status $status"
  KILLS_DONE=$((KILLS_DONE + 1))
  [ -z "${3:-}" ] || { finish=0 && ! written_since down || finish=1; }
  rows=$(history_count "$APP/LinkTally.db")
  cost=$(ini_value "$APP/Linktally.ini" Costos CostoAcumuladoPorSesion)
  journal kills "$KILLS_DONE $1 $RUN $at ${2:--} $finish $rows ${cost:--}"
  KILL_AT=$at
  # A session noted in the ledger and not yet in the history waits for the next start.
  if [ -n "${2:-}" ] && written_since up && ((rows == UP_ROWS)); then PENDING=1; fi
  # Whatever the moment, the settings file is whole.
  ini_keeps "$WORK/Linktally.ini" "$APP/Linktally.ini" ||
    fail "kill $KILLS_DONE ($1): the settings file is not whole after it"
}

launch() {
  RUN=$((RUN + 1))
  FIRST_IN_RUN=1
  echo "---- run $RUN $(date +%T.%N)" >>"$WORK/app.log"
  mark start
  start_app "$APP" "$WORK/home" "$WORK/app.log"
}

one_run() {
  next_mode
  local mode=$MODE
  launch
  case $mode in
    start)
      draw 0 900
      sleep_ms "$MS"
      kill_now start
      return
      ;;
    recovery)
      # What waited is stored while the program loads; a load that writes nothing had
      # nothing to store.
      draw 0 6
      await_write start 1000 "$MS" || mode=start
      kill_now "$mode"
      return
      ;;
  esac
  wait_for 15 main_window || fail "run $RUN: the program did not show its window"
  PENDING=0  # the load stored what waited
  # The first note of a run comes at its first session's first cost tick.
  if [ "$mode" != note ] && ((RANDOM % 12 == 0)); then whole_session; fi
  case $mode in
    note)
      up
      draw 0 3
      await_write up 5000 "$MS" ||
        fail "run $RUN: session $SESSION was not noted within 5 s"
      kill_now note "$SESSION"
      record_session "$KILL_AT" cut
      line_down
      ;;
    mid)
      up
      draw 300 2200
      sleep_ms "$MS"
      kill_now mid "$SESSION"
      record_session "$KILL_AT" cut
      line_down
      ;;
    end-save | end)
      up
      draw 1000 1500
      sleep_ms "$MS"
      mark down
      line_down
      local down
      down=$(clock_ms)
      if [ "$mode" = end-save ]; then
        draw 0 2
        await_write down 4000 "$MS" ||
          fail "run $RUN: session $SESSION's end did not reach the ledger"
      else
        draw 0 1500
        sleep_ms "$MS"
      fi
      kill_now "$mode" "$SESSION" down
      record_session "$down" down
      ;;
    idle)
      whole_session
      draw 0 500
      sleep_ms "$MS"
      kill_now idle
      ;;
  esac
}

inside() {
  WORK=$1 APP=$1/app LEDGER=$1/app/LinkTally.ledger
  local kills=$2
  RANDOM=$3
  mkfifo "$WORK/idle"
  exec 9<>"$WORK/idle"  # nothing ever comes: a read with a time-out is a short sleep
  setup_link
  start_xvfb "$WORK"
  export DISPLAY=":$DISPLAY_NUMBER"
  while ((KILLS_DONE < kills)); do one_run; done
  # A last run, left alone, then SIGTERM: it must end cleanly within 2 s.
  launch
  wait_for 15 main_window || fail "the last run did not show its window"
  whole_session
  local sent status=0
  sent=$(clock_ms)
  kill -TERM "$APP_PID"
  wait_for 2 gone "$APP_PID" || {
    fail "the last run did not end within 2 s of SIGTERM"
    kill -KILL "$APP_PID"
  }
  wait "$APP_PID" || status=$?
  echo "$status $(($(clock_ms) - sent))" >"$WORK/last-exit"
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
}

if [ "${1:-}" = --inside ]; then
  exec 2>>"$2/inside.log"
  inside "${@:2}"
  exit
fi

# ---- Outside: set-up, the namespaces, the checks ----
exe=${1:?path to linktally}
defaults=${2:?path to the default Linktally.ini}
kills=${3:-50}
seed=${KILL_LOOP_SEED:-$((RANDOM * 32768 + RANDOM))}
require_namespaces xdotool stat
started=$(date +%s)

work=$(mktemp -d "${TMPDIR:-/tmp}/linktally-kills.XXXXXX")
ns_pid=""
cleanup() {
  [ -z "$ns_pid" ] || kill -KILL "$ns_pid" 2>/dev/null || true
  # KEEP_E2E=1 keeps the logs for a look.
  if [ -n "${KEEP_E2E:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# On the scratch folder's own disk: its syncs take the time a real disk takes, which
# widens the saves that the kills aim at.
mkdir -p "$work/app" "$work/home"
cp "$exe" "$work/app/linktally"
[ ! -f "$(dirname "$exe")/linktally.gif" ] || cp "$(dirname "$exe")/linktally.gif" "$work/app/"
write_settings "$defaults" "$work/Linktally.ini"
cp "$work/Linktally.ini" "$work/app/Linktally.ini"
touch "$work/sessions" "$work/kills" "$work/failures"

ns_status=0
"${NS[@]}" bash "$0" --inside "$work" "$kills" "$seed" &
ns_pid=$!
wait "$ns_pid" || ns_status=$?
ns_pid=""

# ---- Checks ----
db=$work/app/LinkTally.db
ini=$work/app/Linktally.ini
failures=()
mapfile -t failures <"$work/failures"
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  "$@" || failures+=("$what")
}
check "the namespace part succeeded (status $ns_status)" test "$ns_status" = 0
read -r last_status last_ms <"$work/last-exit" 2>/dev/null || { last_status=none last_ms=99999; }
check "the last run ended with status $last_status on SIGTERM" test "$last_status" = 0
check "the last run ended ${last_ms} ms after SIGTERM, within 2 s" test "$last_ms" -le 2000
kills_done=$(wc -l <"$work/kills")
check "$kills_done kills, not $kills" test "$kills_done" -ge "$kills"

# The rows: start as epoch seconds, duration, cost, accumulated cost.
declare -a row_start=() row_dur=() row_cost=() row_acc=() row_text=()
while IFS='|' read -r fecha inicio fin tiempo costo acumulado; do
  row_text+=("$fecha $inicio $tiempo $costo $acumulado")
  if [[ $fecha =~ ^([0-9]{2})/([0-9]{2})/([0-9]{4})$ ]] &&
    s=$(date -d "${BASH_REMATCH[3]}-${BASH_REMATCH[2]}-${BASH_REMATCH[1]} $inicio" +%s 2>/dev/null); then
    row_start+=("$s")
  else
    row_start+=(0)
    failures+=("row '$fecha $inicio' has no readable start")
  fi
  d=$(seconds "$tiempo")
  [ -n "$d" ] || failures+=("row '$fecha $inicio' has the duration '$tiempo'")
  row_dur+=("${d:-0}")
  row_cost+=("$costo")
  row_acc+=("$acumulado")
done < <(history_rows "$db")
rows=${#row_start[@]}

# Each row to the session whose route came up nearest its start.
declare -A session_row=()
declare -a s_id=() s_run=() s_first=() s_up=() s_end=() s_how=() s_noted=()
while read -r id run first up end how noted _; do
  s_id+=("$id") s_run+=("$run") s_first+=("$first") s_up+=("$up") s_end+=("$end")
  s_how+=("$how") s_noted+=("$noted")
done <"$work/sessions"
for r in "${!row_start[@]}"; do
  best="" best_d=99999
  for i in "${!s_up[@]}"; do
    d=$((row_start[r] * 1000 - s_up[i]))
    d=${d#-}
    ((d >= best_d)) || { best=$i && best_d=$d; }
  done
  if [ -z "$best" ] || ((best_d > 2000)); then
    failures+=("row ${row_text[r]} belongs to no session (nearest start ${best_d} ms away)")
  elif [ -n "${session_row[$best]+set}" ]; then
    failures+=("session ${s_id[best]} is stored twice: ${row_text[session_row[$best]]} and ${row_text[r]}")
  else
    session_row[$best]=$r
  fi
done

# Each session: what it lost, and whether that is allowed.
declare -A loss_of_session=()
online=0 stored_total=0 cut=0
for i in "${!s_id[@]}"; do
  length_ms=$((s_end[i] - s_up[i]))
  online=$((online + length_ms))
  r=${session_row[$i]-}
  stored=$([ -z "$r" ] && echo 0 || echo "${row_dur[r]}")
  stored_total=$((stored_total + stored))
  loss_ms=$((length_ms - stored * 1000))
  loss_of_session[${s_id[i]}]=$loss_ms
  what="session ${s_id[i]} (run ${s_run[i]}, ${s_how[i]}, $((length_ms / 1000)).$((length_ms % 1000 / 100)) s on line)"
  if [ "${s_how[i]}" = seen ]; then
    if [ -z "$r" ]; then
      failures+=("$what ended under the program's eyes and is not stored")
    else
      check "$what is stored as ${stored} s" test "${loss_ms#-}" -le 2000
    fi
  else
    cut=$((cut + 1))
    [ -n "$r" ] || [ "${s_noted[i]}" = 0 ] ||
      failures+=("$what had reached the ledger and is not stored")
    check "$what is stored as ${stored} s, longer than it was" test "$loss_ms" -ge -2000
  fi
done

# The accumulated cost follows the rows, and the settings file ends on the last.
prev=""
for r in "${!row_acc[@]}"; do
  [ -z "$prev" ] || check "row ${row_text[r]}: accumulated ${row_acc[r]} is $prev plus ${row_cost[r]}" \
    awk -v a="${row_acc[r]}" -v p="$prev" -v c="${row_cost[r]}" \
    'BEGIN { d = a - p - c; exit !(d < 0.011 && -d < 0.011) }'
  prev=${row_acc[r]}
done
saved_acc=$(ini_value "$ini" Costos CostoAcumuladoPorSesion)
check "the settings file's accumulated cost $saved_acc is the last row's ${prev:-none}" \
  test "$saved_acc" = "${prev:-000.00}"
saved_time=$(seconds "$(ini_value "$ini" Interrupciones HorasAcum)")
check "the period's counted time ${saved_time:-?} s is the stored $stored_total s" \
  test -n "$saved_time" -a "$((${saved_time:-0} - stored_total))" -le 2 \
  -a "$((stored_total - ${saved_time:-0}))" -le 2
check "the settings file keeps its lines and values" ini_keeps "$work/Linktally.ini" "$ini"

# Where the kills landed, and what each cost.
declare -A landed=()
largest=0 largest_kill=""
while read -r k mode run at session finish rows_after cost_after; do
  loss=0
  [ "$session" = - ] || loss=${loss_of_session[$session]:-0}
  ((loss <= largest)) || { largest=$loss && largest_kill="kill $k ($mode, session $session)"; }
  phase=$mode
  if [ "$finish" != - ]; then
    # The kills after the line went down: how far the session's end had gone.
    i=""
    for j in "${!s_id[@]}"; do [ "${s_id[j]}" != "$session" ] || i=$j; done
    r=${session_row[$i]-}
    if [ "$finish" = 0 ]; then
      phase="$mode: before its end reached the ledger"
    elif [ -z "$r" ] || ((rows_after <= r)); then
      phase="$mode: ledger, not yet the history"
    elif [ "$cost_after" != "${row_acc[r]}" ]; then
      phase="$mode: history, not yet the settings"
    else
      phase="$mode: after every save"
    fi
  fi
  landed[$phase]=$((${landed[$phase]:-0} + 1))
done <"$work/kills"

echo "seed $seed: $kills_done kills over $(wc -l <"$work/sessions") sessions ($cut cut by a kill), $rows stored, in $(($(date +%s) - started)) s"
echo "on line $((online / 1000)).$((online % 1000 / 100)) s, stored $stored_total s"
for phase in "${!landed[@]}"; do printf '  %3d  %s\n' "${landed[$phase]}" "$phase"; done | sort -k2
echo "largest loss of a kill: $((largest / 1000)).$(printf '%03d' $((largest % 1000))) s of on-line time not stored${largest_kill:+ ($largest_kill)}"

if ((${#failures[@]})); then
  printf 'FAILED: %s\n' "${failures[@]}"
  echo "---- sessions (id run first up end how noted rows-before)"
  cat "$work/sessions"
  echo "---- kills (id mode run at session end-in-ledger rows-after cost-after)"
  cat "$work/kills"
  echo "---- Historial"
  sqlite3 -header "$db" 'SELECT rowid, * FROM Historial' 2>&1 || true
  echo "---- inside.log"
  tail -n 40 "$work/inside.log" 2>/dev/null || true
  echo "---- app.log (last lines)"
  tail -n 40 "$work/app.log" 2>/dev/null || true
  exit 1
fi
echo "every session stored once; none noted is missing; the settings file whole after every kill"
