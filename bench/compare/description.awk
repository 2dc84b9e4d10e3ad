# Turns the product's file list (paths below app/, one a line) into the installation
# description: the uninstaller's four files, then every product file into its folder below
# APP. ENVIRON["BENCH_APP"] is the installation folder, ENVIRON["BENCH_PRODUCT"] the name.
BEGIN {
    app = ENVIRON["BENCH_APP"]
    print "<VarnexGroupInstallation>"
    print "<ProductDesc><Fullname>" ENVIRON["BENCH_PRODUCT"] "</Fullname><MajorVersion>1" \
          "</MajorVersion><MinorVersion>0</MinorVersion><MinestVersion>0</MinestVersion>" \
          "</ProductDesc>"
    print "<Dialogs><CopyProgress></CopyProgress></Dialogs>"
    print "<UninstallDialogs><CopyProgress></CopyProgress></UninstallDialogs>"
    print "<Installation>"
    print "<Uninstall><InstallLogFile>[APP]\\uninst\\install.log</InstallLogFile>" \
          "<InstallBackupFile>[APP]\\uninst\\backup.bin</InstallBackupFile>" \
          "<UninstallXmlFile>[APP]\\uninst\\install.xml</UninstallXmlFile>" \
          "<UninstallCmd>[APP]\\uninst\\uninstall.exe</UninstallCmd></Uninstall>"
    print "<DefValues><Value Name=\"APP\" DataType=\"value\">" app "</Value></DefValues>"
    print "<FileSet Name=\"Uninstaller\">"
    print "<FN Dest=\"[APP]\\uninst\">install.xml</FN>"
    print "<FN Dest=\"[APP]\\uninst\">uninst\\uninstall.exe</FN>"
    print "<FN Dest=\"[APP]\\uninst\">uninst\\install.log</FN>"
    print "<FN Dest=\"[APP]\\uninst\">uninst\\backup.bin</FN>"
    print "</FileSet>"
    print "<FileSet Name=\"Product\">"
}
{
    path = $0
    gsub(/\//, "\\", path)
    folder = path
    if (!sub(/\\[^\\]*$/, "", folder))
        folder = ""
    print "<FN Dest=\"[APP]" (folder == "" ? "" : "\\" folder) "\">app\\" path "</FN>"
}
END {
    print "</FileSet>"
    print "</Installation>"
    print "</VarnexGroupInstallation>"
}
