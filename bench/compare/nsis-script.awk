# Turns the product's file list (paths below app/, one a line) into an NSIS script for the
# amd64-unicode stubs, zlib, not solid: one File per file, the uninstaller deleting each file and
# folder, as scripts generated from a file list do, and an uninstall registration like ours.
# ENVIRON: NSIS_NAME (product and registration), NSIS_OUT (installer), NSIS_DIR (default folder).
BEGIN {
    name = ENVIRON["NSIS_NAME"]
    print "Unicode true"
    print "Target amd64-unicode"
    print "SetCompressor zlib"
    print "RequestExecutionLevel admin"
    print "Name \"" name "\""
    print "OutFile \"" ENVIRON["NSIS_OUT"] "\""
    print "InstallDir \"" ENVIRON["NSIS_DIR"] "\""
    print "Section"
}
{
    path = $0
    folder = path; sub(/\/?[^\/]*$/, "", folder)
    windows = path; gsub(/\//, "\\", windows)
    wfolder = folder; gsub(/\//, "\\", wfolder)
    if (NR == 1 || folder != last) {
        print "SetOutPath \"$INSTDIR" (wfolder == "" ? "" : "\\" wfolder) "\""
        last = folder
        if (wfolder != "") folders[++nfolders] = wfolder
    }
    print "File \"app/" path "\""
    files[NR] = windows
}
END {
    print "WriteUninstaller \"$INSTDIR\\uninstall.exe\""
    key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" name
    print "WriteRegStr HKLM \"" key "\" \"DisplayName\" \"" name "\""
    print "WriteRegStr HKLM \"" key "\" \"UninstallString\" '\"$INSTDIR\\uninstall.exe\"'"
    print "WriteRegStr HKLM \"" key "\" \"QuietUninstallString\" '\"$INSTDIR\\uninstall.exe\" /S'"
    print "SectionEnd"
    print "Section \"Uninstall\""
    for (i = 1; i <= NR; ++i) print "Delete \"$INSTDIR\\" files[i] "\""
    for (i = nfolders; i >= 1; --i) print "RMDir \"$INSTDIR\\" folders[i] "\""
    print "Delete \"$INSTDIR\\uninstall.exe\""
    print "RMDir \"$INSTDIR\""
    print "DeleteRegKey HKLM \"" key "\""
    print "SectionEnd"
}
