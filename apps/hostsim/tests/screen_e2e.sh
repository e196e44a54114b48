#!/usr/bin/env bash
# A person at the screen: `hostsim open` on the demo scene under a virtual X server, driven
# with xdotool and checked through screenshots of the whole screen.
#   screen_e2e.sh HOSTSIM [WORKDIR]
# Fails (never skips) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HOSTSIM=$1
WORK=${2:-$(mktemp -d)}
mkdir -p "$WORK"

for tool in xvfb-run Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

if [ "${QM_SCREEN_INSIDE:-}" != 1 ]; then
  export QM_SCREEN_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$HOSTSIM" "$WORK"
fi

fail() {
  echo "FAIL: $*"
  echo "screenshots and the host's output are in $WORK"
  exit 1
}

# Places on the 1280x800 screen: the host's window fills it (caption and border first),
# the editor's main window opens where its form puts it.
ICON="57 40"
RENDER="323 40"
EDITOR_FILE_MENU="240 152"
NEW_EMITTER="278 173"
SAVE_EMITTER="299 238"
PLAY="257 176"
VIEW_RIGHT_OF_EDITOR="628x700+640+60"  # the view's part no window of the editor covers
RENDER_IMAGE="600x400+630+300"         # inside the render window's picture

click() {
  xdotool mousemove $1 $2 click 1
  sleep 1
}

# Retries a check for up to 20 seconds (slow builds, a busy machine).
eventually() {
  for _ in $(seq 1 40); do
    "$@" && return 0
    sleep 0.5
  done
  return 1
}

shot() { import -window root "$WORK/$1.png"; }

# Pixels of exactly one colour in a part of a screenshot.
count_colour() {
  convert "$WORK/$1.png" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

"$HOSTSIM" open --size 1280x800 >"$WORK/open.out" 2>"$WORK/open.err" &
HOST=$!
trap 'kill $HOST 2>/dev/null || true' EXIT
for _ in $(seq 1 150); do
  xdotool search --name '^hostsim$' >/dev/null 2>&1 && break
  kill -0 $HOST 2>/dev/null || fail "hostsim open ended: $(cat "$WORK/open.err")"
  sleep 0.2
done
xdotool search --name '^hostsim$' >/dev/null 2>&1 || fail "no hostsim window"
# The screen stays black until the scene is built and the host's loop runs.
host_shown() {
  shot start
  [ "$(convert "$WORK/start.png" -format '%[pixel:p{20,30}]' info:)" = "srgb(192,192,192)" ]
}
eventually host_shown || fail "the host's window never showed"
sleep 1

click $ICON
click $EDITOR_FILE_MENU
click $NEW_EMITTER
shot before
click $PLAY
sleep 2
white_before=$(count_colour before "$VIEW_RIGHT_OF_EDITOR" white)
particles_shown() {
  shot playing
  white_playing=$(count_colour playing "$VIEW_RIGHT_OF_EDITOR" white)
  [ "$white_playing" -gt $((white_before + 500)) ]
}
eventually particles_shown || fail "the preview drew no particles into the host's view"
echo "white pixels in the view: $white_before before Play, $white_playing while playing"

xdotool key Escape
sleep 1
click $RENDER
render_shown() {
  shot rendered
  grey=$(count_colour rendered "$RENDER_IMAGE" 'rgb(168,168,168)')
  bright=$(convert "$WORK/rendered.png" -crop "$RENDER_IMAGE" +repage -colorspace gray -threshold 70% \
    -format '%[fx:round(mean*w*h)]' info:)
  [ "$grey" -lt 100 ] && [ "$bright" -gt 100 ]
}
eventually render_shown || fail "no rendered frame with particles in a window over the view ($grey grey, $bright bright)"
echo "render window: $grey pixels of the view's grey, $bright bright pixels"

click $EDITOR_FILE_MENU
click $SAVE_EMITTER
shot save_dialog
rm -f "$WORK/e2e.zke"
xdotool type --delay 40 "$WORK/e2e.zke"
xdotool key Return
eventually test -s "$WORK/e2e.zke" || fail "Save Emitter Settings wrote no $WORK/e2e.zke"
# An emitter file starts with its format number and the emitter's name.
shot saved
[ "$(head -c 12 "$WORK/e2e.zke" | od -An -tx1 | tr -d ' \n')" = "6500000007456d6974746572" ] ||
  fail "e2e.zke is no emitter settings file"

# The end: the host's close box ends the program with status 0 (the module unloaded on the
# way), also while Play runs, and so does a signal.
CLOSE_BOX="1265 13"
ended_with_zero() {
  for _ in $(seq 1 60); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.5
  done
  kill -0 "$1" 2>/dev/null && fail "hostsim open did not end when $2"
  code=0
  wait "$1" || code=$?
  [ "$code" = 0 ] || fail "hostsim open ended with status $code when $2: $(tail -n 20 "$WORK/open.err")"
  echo "hostsim open ended with status 0 when $2"
}
start_playing() {
  "$HOSTSIM" open --size 1280x800 >"$WORK/open.out" 2>"$WORK/open.err" &
  HOST=$!
  eventually host_shown || fail "the host's window never showed again"
  sleep 1
  click $ICON
  click $EDITOR_FILE_MENU
  click $NEW_EMITTER
  click $PLAY
  eventually particles_shown || fail "no particles before the close"
}
click $CLOSE_BOX
ended_with_zero $HOST "its close box was pressed after using the editor"
start_playing
click $CLOSE_BOX
ended_with_zero $HOST "its close box was pressed while Play ran"
start_playing
kill -TERM $HOST
ended_with_zero $HOST "it got SIGTERM while Play ran"
echo "PASS"
