#!/usr/bin/env bash
# Usage: check_package.sh path/to/CPackConfig.cmake
set -euo pipefail
config=$1
for tool in cpack dpkg-deb desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || { echo "SKIP: $tool is missing (make deps installs it)"; exit 77; }
done

work=$(mktemp -d)
app=""
trap '[ -n "$app" ] && kill -9 $app 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/linktally_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, got: ${debs[*]}"
deb=${debs[0]}

# The library scan must have found the Qt modules the program links.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6dbus6 libsqlite3-0 libfontconfig1; do
  [[ $depends == *"$lib "* || $depends == *"$lib,"* || $depends == *"$lib" ]] || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/linktally usr/share/applications/org.linktally.LinkTally.desktop \
  usr/share/metainfo/org.linktally.LinkTally.metainfo.xml usr/share/linktally/Linktally.ini \
  usr/share/icons/hicolor/scalable/apps/linktally.svg; do
  [ -e "$root/$f" ] || fail "missing $f"
done
for size in 16 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/linktally.png
  [ -e "$icon" ] || fail "missing the ${size}px icon"
done
desktop-file-validate "$root/usr/share/applications/org.linktally.LinkTally.desktop" || fail "desktop file"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.linktally.LinkTally.metainfo.xml" || fail "metainfo"

# The installed program, started as a new user: its files go to the XDG directories,
# never beside it.
home=$work/home
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_RUNTIME_DIR="$work/run" LANG=C.UTF-8 "$root/usr/bin/linktally" >"$work/app.log" 2>&1 &
app=$!
settings=$home/.config/LinkTally/Linktally.ini
for _ in $(seq 100); do [ -s "$settings" ] && break; sleep 0.1; done
[ -s "$settings" ] || { cat "$work/app.log"; fail "no settings file in $settings"; }
sleep 3
kill -0 $app 2>/dev/null || { cat "$work/app.log"; fail "the installed program stopped on its own"; }
kill -TERM $app
for _ in $(seq 100); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill -0 $app 2>/dev/null && fail "the program did not end on SIGTERM"
status=0
wait $app || status=$?
app=""
[ "$status" = 0 ] || { cat "$work/app.log"; fail "the program exited with status $status"; }
[ -e "$home/.local/share/LinkTally/LinkTally.db" ] || fail "no history in the XDG data directory"
stray=$(find "$root/usr" -newer "$deb" -type f)
[ -z "$stray" ] || fail "the program wrote into its installed tree: $stray"
grep -q '^\[Intervalos timers\]' "$settings" || fail "the settings file is incomplete"
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) kB; installed program started and ended cleanly"
