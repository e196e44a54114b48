#!/usr/bin/env bash
# A person at the screen: `hostsim open` on the demo scene under a virtual X server, driven
# with xdotool and checked through screenshots of the whole screen.
#   screen_e2e.sh HOSTSIM [WORKDIR]
# Fails (never skips) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail

HOSTSIM=$1
WORK=${2:-$(mktemp -d)}
mkdir -p "$WORK"

for tool in xvfb-run Xvfb xdotool import convert compare; do
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
# The emitter tree's rows, the properties fold's button and, once it is open on the maps
# page, the particle colour tab, the colour mode combo, its second item and its text.
EMITTER_NODE="296 225"
SYSTEM_NODE="318 225"
PROPERTIES_FOLD="244 318"
PARTICLE_COLOR_TAB="472 399"
COLOR_MODE_COMBO="560 451"
RANDOM_COLOR_ITEM="545 482"
COLOR_MODE_TEXT="84x14+512+444"

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

# The screen stays black until the scene is built and the host's loop runs.
host_shown() {
  shot start
  [ "$(convert "$WORK/start.png" -format '%[pixel:p{20,30}]' info:)" = "srgb(192,192,192)" ]
}
# Starts the host and waits for its window and its first picture; when either does not
# come, says whether the host still runs and what it printed.
open_host() {
  "$HOSTSIM" open --size 1280x800 >"$WORK/open.out" 2>"$WORK/open.err" &
  HOST=$!
  for _ in $(seq 1 150); do
    xdotool search --name '^hostsim$' >/dev/null 2>&1 && break
    kill -0 $HOST 2>/dev/null || fail "hostsim open ended: $(tail -n 20 "$WORK/open.err")"
    sleep 0.2
  done
  xdotool search --name '^hostsim$' >/dev/null 2>&1 || fail "no hostsim window: $(tail -n 20 "$WORK/open.err")"
  eventually host_shown && return 0
  state=$(kill -0 $HOST 2>/dev/null && echo "still runs" || echo "has ended")
  fail "the host's window never showed; hostsim $state: $(tail -n 20 "$WORK/open.err")"
}
trap 'kill $HOST 2>/dev/null || true' EXIT
open_host
sleep 1

click $ICON
# The editor opens 408 x 228 at (220, 120), its properties fold collapsed. Its bottom-right
# corner dragged out grows it (its caption then runs on past its old right edge); dragged
# back, it is as it was for the steps below.
CAPTION_PAST_EDITOR="54x1+630+131"
caption_past_editor() {
  echo $(($(count_colour "$1" "$CAPTION_PAST_EDITOR" 'rgb(0,0,128)') +
    $(count_colour "$1" "$CAPTION_PAST_EDITOR" 'rgb(128,128,128)')))
}
drag() {
  xdotool mousemove $1 $2 mousedown 1 sleep 0.3 mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)) sleep 0.3 \
    mousemove $3 $4 sleep 0.3 mouseup 1
  sleep 1
}
shot editor_opened
caption_before=$(caption_past_editor editor_opened)
drag 626 346 706 446
editor_grown() {
  shot editor_grown
  caption_grown=$(caption_past_editor editor_grown)
  [ "$caption_grown" -gt $((caption_before + 40)) ]
}
eventually editor_grown || fail "dragging the editor's corner did not grow it ($caption_before, then $caption_grown)"
drag 706 446 626 346
editor_back() {
  shot editor_back
  [ "$(caption_past_editor editor_back)" -le $((caption_before + 2)) ]
}
eventually editor_back || fail "dragging the editor's corner back did not make it as it was"
echo "caption pixels past the editor's first right edge: $caption_before, $caption_grown grown"

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
# Stopped, the view shows the scene again without the preview's last frame.
scene_back() {
  shot stopped
  white_stopped=$(count_colour stopped "$VIEW_RIGHT_OF_EDITOR" white)
  [ "$white_stopped" -lt $((white_before + 500)) ]
}
eventually scene_back || fail "the view kept the preview's particles after Stop ($white_stopped white pixels)"
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

# The particle colour editor on the maps page: its mode combo switched with the mouse.
click $SYSTEM_NODE
click $PROPERTIES_FOLD
click $PARTICLE_COLOR_TAB
shot gradient_before
click $COLOR_MODE_COMBO
click $RANDOM_COLOR_ITEM
click $PARTICLE_COLOR_TAB  # the combo's focus highlight goes: only its text differs
shot gradient_after
changed=$(compare -metric AE "$WORK/gradient_before.png[$COLOR_MODE_TEXT]" "$WORK/gradient_after.png[$COLOR_MODE_TEXT]" \
  null: 2>&1 || true)
[ "$changed" -gt 50 ] || fail "the colour mode combo did not change ($changed pixels)"
echo "colour mode combo: $changed pixels changed"
click $EMITTER_NODE

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
  open_host
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
