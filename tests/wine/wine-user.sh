# Sourced by wine-env.sh. The Windows programs run as an ordinary account, as the people who
# install Quintara run them: Wine started by Unix root writes read-only files and opens what an
# administrator on Windows cannot, which hid faults. Root keeps only what needs root (packages,
# the small disks of the full-disk tests); everything run under Wine goes through
# as-wine-user.sh. QNTX_WINE_USER= (empty) runs Wine as the caller, as before.
export QNTX_WINE_USER=${QNTX_WINE_USER-qntx-test}
QNTX_AS_WINE_USER="$(dirname "${BASH_SOURCE[0]}")/as-wine-user.sh"

wine_user_active() { # root, with the account present: Wine is started as that account
  [ "$(id -u)" -eq 0 ] && [ -n "$QNTX_WINE_USER" ] && id -u "$QNTX_WINE_USER" >/dev/null 2>&1
}

as_wine_user() { "$QNTX_AS_WINE_USER" "$@"; }

wine_user_owns() { # path...: hands files that Wine programs write to the account
  wine_user_active || return 0
  chown -R "$QNTX_WINE_USER:" "$@"
}

wine_user_reaches() { # folder...: lets the account traverse every folder above and in them
  wine_user_active || return 0
  local dir
  for dir in "$@"; do
    dir=$(realpath -m "$dir")
    while :; do
      if [ -d "$dir" ] && ! as_wine_user test -x "$dir"; then
        setfacl -m "u:$QNTX_WINE_USER:x" "$dir" || return 1
        echo "wine: $QNTX_WINE_USER may now pass through $dir" >&2
      fi
      [ "$dir" = / ] && break
      dir=$(dirname "$dir")
    done
  done
}

give_build_to_wine_user() { # the account reads the sources and owns the build tree
  wine_user_active || return 0
  mkdir -p "$QNTX_BUILD"
  wine_user_reaches "$QNTX_ROOT" "$QNTX_BUILD" || return 1
  chown -R "$QNTX_WINE_USER:" "$QNTX_BUILD"
}

wine_user_line() { # what the test run reports
  if wine_user_active; then
    echo "Windows tests run as $QNTX_WINE_USER (uid $(id -u "$QNTX_WINE_USER"))"
  else
    echo "Windows tests run as $(id -un) (uid $(id -u))"
  fi
}
