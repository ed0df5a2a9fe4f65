#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the repository differs from what
# .clang-format makes of it. Fix with: clang-format -i FILE...
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
unformatted=()
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted as .clang-format asks:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
