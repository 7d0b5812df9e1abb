#!/usr/bin/env bash
# Fails when a source file includes a layer above its own, or when code outside the service
# homes decides by a service's number. Run by CTest.
# Usage: scripts/check-layers.sh [source-dir]
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/.." && pwd)/src}

# What each folder may include besides itself.
declare -A allowed=(
  [platform]=""
  [core]="platform"
  [services]="platform core"
  [discovery]="platform core services"
  [download]="platform core services discovery"
  [packaging]="platform core services discovery download"
  [browser]="platform"
  [demo]="platform core services discovery download packaging"
  [ui]="platform core services discovery download packaging"
  [cli]="platform core services discovery download packaging demo browser"
  [app]="platform core services discovery download packaging browser ui"
)

status=0
while IFS= read -r -d '' file; do
  layer=${file#"$src"/}
  layer=${layer%%/*}
  [ -n "${allowed[$layer]+set}" ] || { echo "$file: folder '$layer' has no layer"; status=1; continue; }
  while IFS= read -r target; do
    [ "$target" = "$layer" ] && continue
    case " ${allowed[$layer]} " in
      *" $target "*) ;;
      *) echo "$file: $layer may not include $target/"; status=1 ;;
    esac
  done < <(sed -n 's/^#include "\([a-z]*\)\/.*"/\1/p' "$file")
done < <(find "$src" \( -name '*.h' -o -name '*.cpp' \) -print0)

# Per-service decisions belong in the service's own home.
if grep -rnE 'switch \((state\.)?(service)?[kK]ind\)|[=!]= k(Sina|Baidu|Hexun|NetEase|Sohu)\b' \
     "$src" --include='*.cpp' --include='*.h' | grep -v "^$src/services/"; then
  echo "decisions by service number outside services/"
  status=1
fi
[ $status -eq 0 ] && echo "layers: every include goes down"
exit $status
