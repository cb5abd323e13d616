#!/usr/bin/env bash
# Lays sample apt configurations in a temporary folder and checks the bookworm-backports line
# scripts/backports-source.sh derives from each. Hosts are under .invalid: no server is asked.
set -u
derive=$(cd "$(dirname "$0")/../.." && pwd)/scripts/backports-source.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/qntx-sources.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail=0

expect() { # name, expected line ("" when none is expected); the sample is in $work/$name
  local got rc
  got=$("$derive" "$work/$1" 2>/dev/null); rc=$?
  if [ -z "$2" ] && [ $rc -ne 0 ] && [ -z "$got" ]; then echo "ok: $1 (none)"; return; fi
  if [ $rc -eq 0 ] && [ "$got" = "$2" ]; then echo "ok: $1"; return; fi
  echo "FAIL: $1: expected '$2', got '$got' (exit $rc)" >&2
  fail=1
}
sample() { # name, file under it; the text comes on standard input
  mkdir -p "$(dirname "$work/$1/$2")"
  cat > "$work/$1/$2"
}

# One-line format, no options: comments, source entries and blank lines are skipped.
sample plain sources.list <<'T'
# the local mirror
deb-src file:/srv/mirror/debian bookworm main

deb file:/srv/mirror/debian bookworm main contrib # comment after the entry
deb file:/srv/mirror/debian bookworm-updates main
T
expect plain "deb file:/srv/mirror/debian bookworm-backports main contrib"

# One-line format with options (also written with blanks inside the brackets); the security
# archive and another vendor's archive for bookworm come first and do not count.
sample options sources.list <<'T'
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://security.invalid/debian-security bookworm-security main
deb [arch=amd64 signed-by=/usr/share/keyrings/vendor.gpg] http://vendor.invalid/apt bookworm stable
deb [ arch=amd64,i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg ] http://mirror.invalid/debian bookworm main non-free-firmware extra
T
expect options "deb [arch=amd64,i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://mirror.invalid/debian bookworm-backports main non-free-firmware"

# deb822 in sources.list.d, sources.list absent: security first, a source-only and a disabled
# stanza, a key written inline, then the archive through a proxy with two URIs and two suites.
sample deb822 sources.list.d/debian.sources <<'T'
Types: deb
URIs: http://mirror.invalid/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://mirror.invalid/debian
Suites: bookworm
Components: main

Types: deb
Enabled: no
URIs: http://disabled.invalid/debian
Suites: bookworm
Components: main

Types: deb
URIs: http://inline-key.invalid/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBF
 -----END PGP PUBLIC KEY BLOCK-----

# through the proxy
types: deb deb-src
URIs: http://proxy.invalid:3142/debian
 http://second.invalid/debian
Suites: bookworm-updates bookworm
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
Architectures: amd64 i386
T
expect deb822 "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg arch=amd64,i386] http://proxy.invalid:3142/debian bookworm-backports main contrib"

# A .list in sources.list.d is read before the .sources files; an empty sources.list is fine.
sample both sources.list </dev/null
sample both sources.list.d/local.list <<<'deb file:/srv/mirror/debian bookworm main'
sample both sources.list.d/other.sources <<'T'
Types: deb
URIs: http://other.invalid/debian
Suites: bookworm
Components: main
T
expect both "deb file:/srv/mirror/debian bookworm-backports main"

# Nothing but other vendors' archives, or a Debian source without main: no line.
sample none sources.list <<'T'
deb http://vendor.invalid/apt cloud-sdk-bookworm main
deb http://mirror.invalid/debian bookworm contrib
T
sample none sources.list.d/node.sources <<'T'
Types: deb
URIs: http://node.invalid/node_20.x
Suites: nodistro
Components: main
T
expect none ""
exit $fail
