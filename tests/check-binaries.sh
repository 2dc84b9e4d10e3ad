#!/bin/bash
# Checks the two engine images: their kind, that they import only Windows system DLLs (the
# runtime and zlib are linked in), and that the payload offset marker stands exactly once.
set -uo pipefail
cd "$(dirname "$0")/.."

system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMCTL32|COMDLG32|PSAPI|SHLWAPI|VERSION|msvcrt)\.dll$'
status=0

check() {
    local image=$1 kind=$2
    local description
    description=$(file -b "$image")
    if [[ $description != "$kind"* ]]; then
        echo "FAIL $image: '$description' is not '$kind'"
        status=1
    fi
    local dll
    while read -r dll; do
        if ! [[ ${dll^^} =~ ${system_dlls^^} ]]; then
            echo "FAIL $image imports $dll, which is not a Windows system DLL"
            status=1
        fi
    done < <(x86_64-w64-mingw32-objdump -p "$image" | sed -n 's/^\s*DLL Name: //p')
    local markers
    markers=$(LC_ALL=C grep -obUaP '_BINARYIMAGEOFFSET_\x00' "$image" | wc -l)
    if [ "$markers" -ne 1 ]; then
        echo "FAIL $image holds the payload offset marker $markers times, not once"
        status=1
    fi
}

check build/win32/bin/kestrel.exe "PE32 executable (console) Intel 80386"
check build/win64/bin/kestrel.exe "PE32+ executable (console) x86-64"
[ $status -eq 0 ] && echo "engine images: kind, imports and marker as expected"
exit $status
