#!/bin/bash
# Builds everything, packs the demo product (examples/demo) with instpack and installs it under
# Wine with the console wizard, unattended, into a throw-away prefix. Then shows what landed:
# the installed tree, the action log, the backup file and the exit code.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

# The uninstaller is one of the product's files: the engine packed with the uninstall wizard's
# pictures and icon only.
stage=build/demo
rm -rf "$stage"
mkdir -p "$stage"
cp -r examples/demo/product "$stage/product"
cmake -DSOURCE="$stage/product/install.xml" -DOUTPUT="$stage/uninstaller.xml" \
    -P cmake/UninstallerDescription.cmake || exit 1
build/native/instpack build --description "$stage/uninstaller.xml" \
    --engine build/win64/bin/kestrel.exe --resources examples/demo/resources \
    --out "$stage/product/uninst/uninstall.exe" || exit 1
echo "== Packing the demo: instpack build"
build/native/instpack build --description "$stage/product/install.xml" \
    --engine build/win64/bin/kestrel.exe --resources examples/demo/resources \
    --out "$stage/kestrel-demo-setup.exe" || exit 1
build/native/instpack list "$stage/kestrel-demo-setup.exe"

. tests/wine/wine-env.sh
wine_start

target="$WINEPREFIX/drive_c/Program Files/Kestrel Demo"
# A settings file from an earlier copy: the installation backs it up before replacing it.
mkdir -p "$target/bin"
printf 'InstallDir=somewhere else\r\n' >"$target/bin/settings.cfg"
# A host program's INI file, whose plug-in list the demo joins.
host="$WINEPREFIX/drive_c/Kestrel Host"
mkdir -p "$host"
printf '; Host settings\r\n[Plugins]\r\nFirst=C:\\Plugins\\first\r\nLast=C:\\Plugins\\last\r\n' >"$host/host.ini"

echo
echo "== Installing unattended: kestrel-demo-setup.exe -gui=0 -quiet=1"
wine_run "$stage/kestrel-demo-setup.exe" -gui=0 -quiet=1
code=$?
echo "== exit code: $code"
echo
echo "== Installed tree (C:\\Program Files\\Kestrel Demo):"
(cd "$target" && find . -type f | sort | while read -r file; do
    printf '%8d  %s\n' "$(stat -c %s "$file")" "$file"
done)
echo
echo "== bin\\settings.cfg (its variables filled in):"
tr -d '\r' <"$target/bin/settings.cfg"
echo
echo "== Action log uninst\\install.log:"
if [ -f "$target/uninst/install.log" ]; then tr -d '\r' <"$target/uninst/install.log"; fi
echo
echo "== Backup file uninst\\backup.bin (the earlier settings.cfg):"
if [ -f "$target/uninst/backup.bin" ]; then od -A d -c "$target/uninst/backup.bin" | head -12; fi
echo
echo "== PATH (reg query of the machine's environment):"
wine_run reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v PATH 2>/dev/null |
    tr -d '\r' | grep PATH
echo
echo "== C:\\Kestrel Host\\host.ini:"
tr -d '\r' <"$host/host.ini"
echo
echo "== Shortcuts (lnkinfo):"
programs="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrel Demo"
for link in "$programs"/*.lnk; do
    [ -f "$link" ] || continue
    echo "-- $(basename "$link")"
    lnkinfo "$link" | grep -E 'Local path|Command line arguments|Working directory|Description' |
        sed 's/^[[:space:]]*/   /'
done
for url in "$programs"/*.url; do
    [ -f "$url" ] || continue
    echo "-- $(basename "$url")"
    tr -d '\r' <"$url" | sed 's/^/   /'
done
echo
echo "== Uninstall registration (reg query):"
wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrel Demo' 2>/dev/null |
    tr -d '\r' | grep -v '^$'
exit "$code"
