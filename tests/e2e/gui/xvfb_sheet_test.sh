#!/usr/bin/env bash
# The desktop program on a real X server (run under xvfb-run) with key events
# synthesised by xdotool, so the keycode mapping of the key capture meets a
# real X server: "Konfigurieren" opens the keyboard-wedge sheet of a
# simulated reader, the prefix page records Shift+A, right Alt (Alt Gr) and
# Enter, and "Programmieren" writes them into the reader.
#   xvfb_sheet_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
cleanup() {
  [ -n "${program:-}" ] && kill "$program" 2>/dev/null || true
  [ -n "${sim:-}" ] && kill "$sim" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config"
export XDG_STATE_HOME="$work/state"
unset QT_QPA_PLATFORM
fail() {
  echo "FAIL: $*" >&2
  import -window root "$build/xvfb_sheet_test_failure.png" 2>/dev/null || true
  exit 1
}
# Waits up to 20 s for a command to succeed.
wait_for() {
  for _ in $(seq 1 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

"$build/orvex-readersim" --version-answer 1221 --state "$work/reader.ini" >"$work/sim.out" &
sim=$!
wait_for test -s "$work/sim.out" || fail "simulator did not start"
port=$(head -n1 "$work/sim.out")
"$build/orvexctl" use --port "$port" >/dev/null

"$build/src/gui/OrvexReaderSetup" &
program=$!
wait_for xdotool search --name "Alder-2 PS/2" || fail "main window did not identify the reader"
main=$(xdotool search --name "Alder-2 PS/2" | head -n1)
xdotool windowfocus --sync "$main"
xdotool key alt+k  # "&Konfigurieren"

wait_for xdotool search --name "^Programmierung eingeben" || fail "the sheet did not open"
sheet=$(xdotool search --name "^Programmierung eingeben" | head -n1)
sleep 1  # the sheet reads the reader once it is shown
xdotool windowfocus --sync "$sheet"
xdotool key ctrl+Tab  # "Prefix": its capture box takes the focus
sleep 0.3
xdotool key shift+a 108 Return  # 108: the right Alt key (evdev 100)
sleep 0.3

# "Programmieren": third of the four buttons spread over the bottom row.
eval "$(xdotool getwindowgeometry --shell "$sheet")"
margin=11
button=110
gap=$(((WIDTH - 2 * margin - 4 * button) / 3))
x=$((margin + 2 * (button + gap) + button / 2))
y=$((HEIGHT - 22))
xdotool mousemove --window "$sheet" "$x" "$y" click 1

expected="12 1C F0 12 F0 1C E0 11 E0 F0 11 5A F0 5A FF"  # xdotool releases Shift before A
wait_for grep -q "^Prefix=$expected\$" "$work/reader.ini" ||
  fail "prefix in the reader: $(grep '^Prefix=' "$work/reader.ini" || echo none), expected $expected"
echo "prefix programmed: $expected"
