# Sourced by the scripts that run Windows programs: the private prefix's settings, then
#   start_wine_session [--on-display]   a private Xvfb (or the $DISPLAY given), one wineserver
#                                       kept alive for the whole run, Wine's services started
#   end_wine_session                    ends the wineserver of $WINEPREFIX and the Xvfb
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

start_wineserver() {
  as_wine_user wineserver -p
  # Start Wine's services now, detached from the caller's output pipes, which they would
  # otherwise hold open until the end of the run.
  as_wine_user wine cmd /c exit >/dev/null 2>&1 </dev/null
}

start_wine_session() {
  if [ "${1:-}" != --on-display ]; then
    start_private_xvfb || return 1
  fi
  start_wineserver
}

end_wine_session() {
  as_wine_user wineserver -k >/dev/null 2>&1 || true
  stop_private_xvfb || true
}
