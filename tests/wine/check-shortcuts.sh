#!/bin/bash
# Reads the links the Windows shortcut tests left in FOLDER with lnkinfo, which shares no code
# with Windows or Wine, against FOLDER/expected.txt: "name TAB target TAB arguments TAB working
# folder TAB description" a line; an empty field: the link must not hold that property.
set -uo pipefail

folder=${1:?usage: check-shortcuts.sh FOLDER}
expected=$folder/expected.txt
if [ ! -s "$expected" ]; then
    echo "check-shortcuts: no $expected (did the Windows shortcut tests run?)"
    exit 1
fi

property() {
    sed -n "s/^\t$1\t*: //p" <<<"$2" | head -1
}

failures=0
links=0
while IFS= read -r line; do
    # One field per TAB, empty ones included.
    mapfile -t fields < <(tr '\t' '\n' <<<"$line")
    name=${fields[0]}
    links=$((links + 1))
    if ! info=$(lnkinfo "$folder/$name" 2>&1); then
        echo "check-shortcuts: lnkinfo cannot read $name: ${info##*$'\n'}"
        failures=$((failures + 1))
        continue
    fi
    labels=("Local path" "Command line arguments" "Working directory" "Description")
    for i in 0 1 2 3; do
        label=${labels[$i]}
        want=${fields[$((i + 1))]:-}
        got=$(property "$label" "$info")
        # Wine keeps the link's narrow copy of the path in the writer's code page (UTF-8 for the
        # engine), which lnkinfo reads as windows-1252: a path with other characters is compared
        # up to the first of them; the other properties are wide text and compared whole.
        if [ "$label" = "Local path" ] && LC_ALL=C grep -q '[^ -~]' <<<"$want"; then
            ascii=$(LC_ALL=C sed 's/[^ -~].*//' <<<"$want")
            want=$ascii
            got=${got:0:${#ascii}}
        fi
        if [ "$got" != "$want" ]; then
            echo "check-shortcuts: $name: $label is '$got', expected '$want'"
            failures=$((failures + 1))
        fi
    done
done <"$expected"

echo "check-shortcuts: $links links read, $failures differences"
[ "$failures" -eq 0 ] && [ "$links" -gt 0 ]
