#!/usr/bin/env bash
# Takes the README's pictures under Wine on a private 1024x768 Xvfb, in a throw-away copy of
# the prefix: the background, the four wizard pages and the progress window, at 100 % (96 DPI)
# as docs/pictures/*.png and at 150 % (144 DPI, Wine's LogPixels in that copy only) as
# docs/pictures/150/*.png.
#
#   scripts/take-pictures.sh          the wizard test host (the wizard, then the progress window)
#   scripts/take-pictures.sh setup    QNTXSetup.exe itself; its setup data file must lie beside it
#                                     (the demo installs too fast for its progress window: the
#                                     "Setup complete." box instead)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
source "$root/tests/wine/session.sh"
give_build_to_wine_user
"$root/tests/wine/boot-prefix.sh"

tests="$QNTX_BUILD/win/tests/ui"
case "${1:-host}" in
  host)
    export QNTX_PICTURES_PROGRAM="$tests/wizard_host.exe"
    export QNTX_PICTURES_ARGS='setup "C:\Program Files\Corel\Graphics9\Photopnt\Scripts\Scripts" "Quintara User"'
    ;;
  setup)
    export QNTX_PICTURES_PROGRAM="$QNTX_BUILD/win/bin/QNTXSetup.exe"
    export QNTX_PICTURES_ARGS=''
    export QNTX_PICTURES_FOLDER='C:\Program Files\Corel\Graphics9\Photopnt\Scripts'
    ;;
  *)
    echo "usage: $0 [host|setup]" >&2
    exit 1
    ;;
esac

shots=$(mktemp -d "${TMPDIR:-/tmp}/qntx-pictures.XXXXXX")
trap 'rm -rf "$shots"' EXIT
wine=$root/tests/wine
for scale in 100 150; do
  mkdir -p "$shots/$scale"
  wine_user_owns "$shots"
  export QNTX_ROBOT_PICTURES="$shots/$scale"
  dpi=()
  [ $scale = 150 ] && dpi=("$wine/at-dpi.sh" 144)
  "$wine/fresh-prefix.sh" "${dpi[@]}" "$wine/wine-exec.sh" "$tests/take_pictures.exe" --gtest_color=no

  out="$root/docs/pictures"
  [ $scale = 100 ] || out="$out/$scale"
  mkdir -p "$out"
  for bmp in "$shots/$scale"/*.bmp; do
    name=$(basename "$bmp" .bmp)
    case "$name" in failure-*) continue ;; esac
    # No time stamps in the files: the same screen gives the same bytes.
    convert "$bmp" -strip -define png:exclude-chunks=date,time "$out/$name.png"
    echo "picture: ${out#"$root/"}/$name.png"
  done
done
