#!/usr/bin/env bash
# Prints the apt source line for bookworm-backports that matches this machine's own Debian
# source: the same archive URI (its mirror or proxy) and options (signed-by, arch, ...), suite
# bookworm-backports, its Debian components. Reads APT_DIR/sources.list,
# APT_DIR/sources.list.d/*.list and APT_DIR/sources.list.d/*.sources (APT_DIR: /etc/apt).
#
#   scripts/backports-source.sh [APT_DIR]
#
# The first "deb" entry for suite bookworm or bookworm-updates with component main wins; source
# entries, the security archive and other vendors' archives do not count. Exits 1 when there is
# none.
set -euo pipefail
dir=${1:-/etc/apt}

# Keeps the Debian components of the words given, in order; fails without main.
debian_components() {
  local c kept=() main=0
  for c in "$@"; do
    case "$c" in
      main) main=1; kept+=("$c") ;;
      contrib|non-free|non-free-firmware) kept+=("$c") ;;
    esac
  done
  [ "$main" = 1 ] && echo "${kept[*]}"
}

base_suite() { [ "$1" = bookworm ] || [ "$1" = bookworm-updates ]; }

# One-line format: deb [opt=value ...] URI SUITE COMPONENT...
from_list() { # file
  local line words words_of_options options uri suite components
  while IFS= read -r line || [ -n "$line" ]; do
    line=${line%%#*}
    read -r -a words <<<"$line" || true
    [ ${#words[@]} -ge 4 ] && [ "${words[0]}" = deb ] || continue
    words=("${words[@]:1}")
    options=""
    if [[ ${words[0]} == \[* ]]; then
      while [ ${#words[@]} -gt 0 ]; do
        options+="${options:+ }${words[0]}"
        words=("${words[@]:1}")
        [[ $options == *\] ]] && break
      done
      options=${options#\[}; options=${options%\]}
      read -r -a words_of_options <<<"$options" || true  # "[ arch=amd64 ]" has blanks inside
      options="${words_of_options[*]}"
    fi
    [ ${#words[@]} -ge 3 ] || continue
    uri=${words[0]} suite=${words[1]}
    base_suite "$suite" || continue
    components=$(debian_components "${words[@]:2}") || continue
    echo "deb ${options:+[$options] }$uri bookworm-backports $components"
    return 0
  done <"$1"
  return 1
}

# deb822 format: stanzas of "Field: value" lines, continued by indented lines, apart by blank
# lines. Field names are case-insensitive; options become the one-line format's.
from_sources() { # file
  awk '
    function reset() { split("", f); nkeys = 0 }
    function flush(   n, i, k, t, uris, opts, ok, name, v, main, kept) {
      if (!("types" in f)) { reset(); return }
      n = split(f["types"], t, " "); ok = 0
      for (i = 1; i <= n; i++) if (t[i] == "deb") ok = 1
      if (!ok || tolower(f["enabled"]) == "no" || index(f["signed-by"], "\n")) { reset(); return }
      ok = 0; n = split(f["suites"], t, " ")
      for (i = 1; i <= n; i++) if (t[i] == "bookworm" || t[i] == "bookworm-updates") ok = 1
      main = 0; kept = ""; n = split(f["components"], t, " ")
      for (i = 1; i <= n; i++)
        if (t[i] ~ /^(main|contrib|non-free|non-free-firmware)$/) {
          kept = kept (kept == "" ? "" : " ") t[i]; if (t[i] == "main") main = 1
        }
      split(f["uris"], uris, " ")
      if (!ok || !main || uris[1] == "") { reset(); return }
      opts = ""
      for (i = 1; i <= nkeys; i++) {
        k = order[i]
        if (k ~ /^(types|uris|suites|components|enabled)$/) continue
        name = k
        if (k == "architectures") name = "arch"
        else if (k == "languages") name = "lang"
        else if (k == "targets") name = "target"
        v = f[k]; gsub(/[ \n]+/, ",", v)
        opts = opts (opts == "" ? "" : " ") name "=" v
      }
      print "deb " (opts == "" ? "" : "[" opts "] ") uris[1] " bookworm-backports " kept
      found = 1; exit
    }
    /^#/ { next }
    /^[ \t]*$/ { flush(); key = ""; next }
    /^[ \t]/ {  # continuation of the field before
      if (key != "") { line = $0; sub(/^[ \t]+/, "", line); f[key] = f[key] "\n" line }
      next
    }
    {
      i = index($0, ":"); if (i == 0) next
      key = tolower(substr($0, 1, i - 1)); v = substr($0, i + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", v); gsub(/[ \t]+/, " ", v)
      if (!(key in f)) order[++nkeys] = key
      f[key] = v
    }
    END { if (!found) flush(); exit !found }
  ' "$1"
}

for file in "$dir/sources.list" "$dir"/sources.list.d/*.list "$dir"/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  case "$file" in
    *.sources) from_sources "$file" && exit 0 ;;
    *) from_list "$file" && exit 0 ;;
  esac
done
echo "backports-source: no Debian bookworm source with component main in $dir" >&2
exit 1
