# Sourced: starts a private Xvfb on a free display and exports DISPLAY; stop_private_xvfb
# ends it. The screen is 1024x768 so pictures and window positions are repeatable. Xvfb picks
# the display itself (-displayfd), so servers started side by side never take the same one.
start_private_xvfb() {
  local fifo number=""
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/qntx-xvfb.XXXXXX")
  mkfifo -m 600 "$fifo" || return 1
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  QNTX_XVFB_PID=$!
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "xvfb: could not start a private X server" >&2
    kill "$QNTX_XVFB_PID" 2>/dev/null
    QNTX_XVFB_PID=
    return 1
  fi
  export DISPLAY=":$number"
}

stop_private_xvfb() {
  [ -n "${QNTX_XVFB_PID:-}" ] && kill "$QNTX_XVFB_PID" 2>/dev/null
  QNTX_XVFB_PID=
}
