#!/bin/bash
# A vendor's signing steps with a throw-away certificate: the signed engine is packed as its own
# uninstaller and the installer signed in turn; it must still list, verify, install, uninstall
# through its registered command, and the installed uninstaller keep the engine's signature.
set -uo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
fail() {
    echo "signed-installer: $*"
    rm -rf "$work"
    exit 1
}

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Kestrel Test Signing" 2>/dev/null || fail "no certificate"
sign() { osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -in "$1" -out "$2" >/dev/null; }
verified() { osslsigncode verify -CAfile "$work/cert.pem" "$1" 2>&1 | grep -q '^Succeeded'; }

mkdir -p "$work/product"
sign build/win64/bin/kestrel.exe "$work/engine.exe" || fail "the engine could not be signed"
cp "$work/engine.exe" "$work/product/uninstall.exe"
echo "signed product" >"$work/product/readme.txt"
cat >"$work/product/install.xml" <<'XML'
<VarnexGroupInstallation><ProductDesc><Fullname>Signed Demo</Fullname>
<MajorVersion>1</MajorVersion><MinorVersion>0</MinorVersion><MinestVersion>0</MinestVersion>
<Website>https://example.test</Website></ProductDesc><Dialogs><CopyProgress></CopyProgress></Dialogs>
<UninstallDialogs><CopyProgress></CopyProgress></UninstallDialogs><Installation><Uninstall>
<InstallLogFile>[APP]\install.log</InstallLogFile><InstallBackupFile>[APP]\backup.bin</InstallBackupFile>
<UninstallXmlFile>[APP]\install.xml</UninstallXmlFile><UninstallCmd>[APP]\uninstall.exe</UninstallCmd>
</Uninstall><DefValues><Value Name="APP" DataType="value">C:\Signed Demo</Value></DefValues>
<FileSet Name="All"><FN Dest="[APP]">readme.txt</FN><FN Dest="[APP]">uninstall.exe</FN>
<FN Dest="[APP]">install.xml</FN></FileSet>
</Installation></VarnexGroupInstallation>
XML
build/native/instpack build --description "$work/product/install.xml" --engine "$work/engine.exe" \
    --out "$work/setup.exe" >/dev/null || fail "instpack could not pack the signed engine"
sign "$work/setup.exe" "$work/signed-setup.exe" || fail "the installer could not be signed"
verified "$work/signed-setup.exe" || fail "the signed installer's signature does not verify"
build/native/instpack verify "$work/signed-setup.exe" >/dev/null || fail "instpack verify refuses it"
build/native/instpack list "$work/signed-setup.exe" | grep -q ' readme.txt$' ||
    fail "instpack list does not show its files"

. tests/wine/wine-env.sh
wine_start
wine_run "$work/signed-setup.exe" -gui=0 -quiet=1 >"$work/install.txt" 2>&1 ||
    fail "the signed installer did not install: $(tail -3 "$work/install.txt")"
folder="$WINEPREFIX/drive_c/Signed Demo"
verified "$folder/uninstall.exe" || fail "the installed uninstaller is not the signed engine"
# The registered command as a command interpreter runs it.
command=$(wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Signed Demo' \
    /v QuietUninstallString | sed -n 's/.*REG_SZ *//p' | tr -d '\r')
printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$command" >"$WINEPREFIX/drive_c/uninstall-signed.cmd"
wine_run cmd /c 'C:\uninstall-signed.cmd' >"$work/uninstall.txt" 2>&1 ||
    fail "the registered uninstall failed: $(tail -3 "$work/uninstall.txt")"
for i in $(seq 100); do
    [ -e "$folder" ] || break
    sleep 0.1
done
[ ! -e "$folder" ] || fail "the product folder is still there: $(ls "$folder")"
wine_stop
rm -rf "$work"
echo "signed-installer: the signed installer installs and uninstalls; its uninstaller verifies"
