#!/usr/bin/env bash
# Every folder of the executable includes only folders below it, so the program's state and
# texts and the data file's format never depend on what uses them.
# Usage: check-layers.sh SOURCE_ROOT
root=${1:?source root}
# Higher numbers stand higher; install and uninstall are peers and use neither each other.
declare -A level=([app]=5 [install]=4 [uninstall]=4 [ui]=3 [support]=2 [state]=1 [resources]=1 [format]=0)
status=0
for folder in "${!level[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS=: read -r file line text; do
    used=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
    [ "$used" = "$folder" ] && continue
    if [ -z "${level[$used]+set}" ] || [ "${level[$used]}" -ge "${level[$folder]}" ]; then
      echo "${file#$root/}:$line: $folder/ includes $used/, which does not stand below it" >&2
      status=1
    fi
  done < <(grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' \
             "$root/$folder"/*.h "$root/$folder"/*.cpp "$root/$folder"/*.rc 2>/dev/null)
done
[ $status -eq 0 ] && echo "layers: every include points below its folder"
exit $status
