#!/bin/bash
# Keeps the source folders layered: every #include "folder/..." of a non-test source must point
# to its own folder or to a folder below it. startup/ composes everything; ui/ drives the wizard
# over engine/; engine/ runs over config/; config/ reads through system/; package/ is the base.
# The one header every layer may report through is the handler interface, ui/InstallerUI.h.
# Prints each offending include with file and line; exits 1 when there is any.
cd "$(dirname "$0")/.." || exit 2

rank() {
    case $1 in
    startup) echo 6 ;;
    ui) echo 5 ;;
    engine) echo 4 ;;
    config) echo 3 ;;
    system) echo 2 ;;
    package) echo 1 ;;
    *) echo 0 ;;
    esac
}

bad=0
while IFS=: read -r file line include; do
    from=$(rank "${file%%/*}")
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$include")
    to=$(rank "${target%%/*}")
    [ "$from" -eq 0 ] || [ "$to" -eq 0 ] && continue
    [ "$target" = "ui/InstallerUI.h" ] && continue
    if [ "$to" -gt "$from" ]; then
        echo "$file:$line: includes $target, which is above ${file%%/*}/"
        bad=$((bad + 1))
    fi
done < <(grep -n -E '^\s*#\s*include\s+"' -r startup ui engine config system package \
    --include='*.h' --include='*.cpp')

if [ "$bad" -gt 0 ]; then
    echo "check-layers: $bad include(s) point up"
    exit 1
fi
echo "check-layers: every include points down"
