#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence line at the top of every source file that lacks it (after a #! line):
# "// SPDX-License-Identifier: GPL-3.0-or-later" in C++, "#" in CMake files and scripts.
# With --check it changes nothing and lists the files without it (status 1 if any).
set -euo pipefail
cd "$(dirname "$0")/.."
tag="SPDX-License-Identifier: GPL-3.0-or-later"
check=${1:-}
missing=0
while IFS= read -r file; do
  grep -q "$tag" "$file" && continue
  if [[ $check == --check ]]; then echo "$file"; missing=1; continue; fi
  case "$file" in
    *.cpp|*.h) mark="//" ;;
    *) mark="#" ;;
  esac
  if head -1 "$file" | grep -q '^#!'; then
    sed -i "1a $mark $tag" "$file"
  else
    sed -i "1i $mark $tag" "$file"
  fi
done < <(git ls-files '*.cpp' '*.h' '*.cmake' '*CMakeLists.txt' '*.sh')
exit $missing
