# Sourced: starts a private Xvfb on a free display and exports DISPLAY; stop_private_xvfb
# ends it. The screen is 1024x768 so pictures and window positions are repeatable.
start_private_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    QNTX_XVFB_PID=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$QNTX_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
  done
  echo "xvfb: could not start a private X server" >&2
  return 1
}

stop_private_xvfb() {
  [ -n "${QNTX_XVFB_PID:-}" ] && kill "$QNTX_XVFB_PID" 2>/dev/null
  QNTX_XVFB_PID=
}
