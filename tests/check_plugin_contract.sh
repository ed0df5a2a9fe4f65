#!/usr/bin/env bash
# A host whose libraries hold only the operations of the contract must load
# the plug-in: it may need no library of the workbench, and every symbol it
# takes from the host's libraries must be one the contract lists.
#   check_plugin_contract.sh PLUGIN CONTRACT_FILE HOST_LIBRARY...
set -euo pipefail
plugin="$1"
contract="$2"
shift 2

status=0
declare -A host=()
for library in "$@"; do
    host["$(basename "$library")"]=1
done

# Libraries the plug-in needs: the host's, Qt's and the system's, nothing else.
while read -r needed; do
    case "$needed" in
        libQt5*|libstdc++*|libgcc_s*|libc.so*|libm.so*|libasan*|libubsan*) ;;
        *)
            if [ -z "${host[$needed]:-}" ]; then
                echo "the plug-in needs $needed, which is not a host library"
                status=1
            fi
            ;;
    esac
done < <(readelf -d "$plugin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

used=$(mktemp)
defined=$(mktemp)
trap 'rm -f "$used" "$defined"' EXIT
nm -D --undefined-only "$plugin" | awk '{ print $NF }' | sort -u > "$used"
for library in "$@"; do
    nm -D --defined-only "$library" | awk '{ print $NF }'
done | sort -u > "$defined"

if ! diff -u <(grep -v '^#' "$contract" | grep -v '^$' | sort) \
             <(comm -12 "$used" "$defined" | c++filt | sort) \
             --label contract --label plug-in; then
    echo "the host symbols the plug-in uses differ from the contract (- listed only, + used only)"
    status=1
fi
exit $status
