#!/bin/bash
# Reads the shell links that the Windows shortcut tests left in FOLDER with lnkinfo, a reader
# that shares no code with Windows or Wine, and compares each with what the test asked for:
# FOLDER/expected.txt holds one line per link, "name TAB target TAB arguments TAB working
# folder TAB description"; an empty field means the link must not hold that property.
set -uo pipefail

folder=${1:?usage: check-shortcuts.sh FOLDER}
expected=$folder/expected.txt
if [ ! -s "$expected" ]; then
    echo "check-shortcuts: no $expected (did the Windows shortcut tests run?)"
    exit 1
fi

# The value lnkinfo shows for one property, or nothing when the link does not hold it.
property() {
    sed -n "s/^\t$1\t*: //p" <<<"$2" | head -1
}

failures=0
links=0
while IFS= read -r line; do
    # One field per TAB, empty ones included (read would merge adjacent TABs).
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
        if [ "$got" != "$want" ]; then
            echo "check-shortcuts: $name: $label is '$got', expected '$want'"
            failures=$((failures + 1))
        fi
    done
done <"$expected"

echo "check-shortcuts: $links links read, $failures differences"
[ "$failures" -eq 0 ] && [ "$links" -gt 0 ]
