#!/usr/bin/env bash
# The program's own executable as a user starts it: no argument (so the splash
# shows and the update check runs), a scratch home, a virtual X server. It must
# draw its first screen (captured from the X server, not a blank picture), quit
# through its File menu, end with status 0 and no sanitizer report, and store
# the interface language.
#   program_smoke.sh PROGRAM WORK_DIR
set -euo pipefail
program=$1
work=$2

if [ -z "${VP_SMOKE_INNER:-}" ]; then
  rm -rf "$work"
  mkdir -p "$work"/{home,config,data,runtime,tmp,cache}
  chmod 700 "$work/runtime"
  export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
  export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work/tmp
  export QT_QPA_PLATFORM=xcb VP_SMOKE_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bash "$0" "$program" "$work"
fi

fail() {
  echo "FAIL: $*"
  [ -f "$work/program.err" ] && { echo "--- the program's errors:"; tail -50 "$work/program.err"; }
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  exit 1
}

"$program" >"$work/program.out" 2>"$work/program.err" &
pid=$!

# A capture of the X server is not blank once it holds more than a handful of colours.
capture() {
  local file=$1 colours=0
  for _ in $(seq 1 100); do
    import -window root "$file" 2>/dev/null || true
    colours=$(identify -format '%k' "$file" 2>/dev/null || echo 0)
    [ "$colours" -gt 50 ] && break
    sleep 0.3
  done
  echo "screenshot $file ($colours colours)"
  [ "$colours" -gt 50 ] || fail "the screen is blank ($colours colours): $file"
}

# The splash comes first, then the main window (by its title and its size).
window=
splash_seen=
for _ in $(seq 1 600); do
  kill -0 "$pid" 2>/dev/null || fail "the program ended before it showed its window"
  for candidate in $(xdotool search --onlyvisible --name '.' 2>/dev/null || true); do
    eval "$(xdotool getwindowgeometry --shell "$candidate" 2>/dev/null || echo WIDTH=0)"
    name=$(xdotool getwindowname "$candidate" 2>/dev/null || true)
    # Qt adds the application's display name to the title ("... — pelto 5").
    if [[ "$name" == "Vandrelith pelto"* ]] && [ "${WIDTH:-0}" -ge 1000 ]; then
      window=$candidate
    elif [ -z "$splash_seen" ] && [ "${WIDTH:-0}" -ge 100 ]; then
      splash_seen=1
      capture "$work/splash.png"
    fi
  done
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || fail "no main window \"Vandrelith pelto\" showed"
sleep 1
capture "$work/first-screen.png"

# File, then Quit: the menu bar lies along the top of the window's content.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 25)) $((Y + 10)) click 1
sleep 1
import -window root "$work/file-menu.png" 2>/dev/null || true
echo "screenshot $work/file-menu.png"
xdotool key Down Down Return

for _ in $(seq 1 300); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the program did not quit through its File menu"
fi
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
if grep -Eq "ERROR: (Address|Leak|Undefined)Sanitizer|runtime error:" "$work/program.err"; then
  fail "a sanitizer reported"
fi

settings=$XDG_CONFIG_HOME/Vandrelith/pelto5.conf
[ -f "$settings" ] || fail "no settings file $settings"
grep -qx "language=en" "$settings" || fail "the settings hold no language=en: $(cat "$settings")"
echo "the program drew its first screen and quit with status 0"
