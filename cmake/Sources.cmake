# The source lists of the three builds. The platform-neutral code is shared by all of them;
# the builds differ only in which implementation of the platform classes they link.
set(KESTREL_NEUTRAL_SOURCES
    package/BoundedText.cpp
    package/FileStream.cpp
    package/WinFile.cpp
    package/Paths.cpp
    package/PayloadFormat.cpp
    package/PayloadIndex.cpp
    package/InstallerPayload.cpp
    startup/CommandLineOptions.cpp
    startup/ErrorList.cpp
    startup/Installer.cpp
    startup/Log.cpp
    startup/ProcessState.cpp
    startup/RelaunchCommand.cpp
    config/DescriptionLoader.cpp
    config/XmlDocument.cpp
    config/VariableStore.cpp
    config/ConditionEvaluator.cpp
    config/InstallerVariables.cpp
    config/EntryNameIndex.cpp
    config/InstallerDescription.cpp
    config/InstallerDialogs.cpp
    config/InstallerDefaults.cpp
    ui/ConsoleUI.cpp
    engine/ActionLog.cpp
    engine/BackupFile.cpp
    engine/CheckSum.cpp
)

set(KESTREL_HOST_SOURCES
    package/host/WinFile.cpp
    package/host/Platform.cpp
    system/host/RegistryReader.cpp
)

set(KESTREL_WINDOWS_SOURCES
    package/win/WinFile.cpp
    package/win/Platform.cpp
    package/PayloadMarker.cpp
    startup/AdminCheck.cpp
    startup/EntryPoint.cpp
    startup/WindowsInstaller.cpp
    system/NamedEvent.cpp
    system/win/RegistryReader.cpp
    ui/WindowUI.cpp
)
