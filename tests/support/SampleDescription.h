// Test helper: a description that uses every element the loader reads, written as a vendor
// would (mismatched end tags, no Desc level, lenient nesting).
#pragma once

#include <string>
#include <vector>

namespace sampledescription {
inline const char* text() {
    return R"(<VarnexGroupInstallation>
  <ProductDesc>
    <Fullname>Sample Product</Fullname>
    <MajorVersion>1</MajorVersion>
    <MinorVersion>50</MinorVersion>
    <MinestVersion>SP2</MinestVersion>
  </ProductDesc>
  <Dialogs>
    <Welcome><Image Name="WelcomeLImg" x="0" y="0"></Image><Text x="10" y="10">Welcome</Text></Welcome>
    <Destination Condition="[MODE]!=2">
      <Field Type="Directory" Label="Install to" x="10" y="60">INSTALLDIR</Field>
      <Field Type="CheckBox" Label="Documentation" x="10" y="90" Condition="[MODE]==1">DOCS</Field>
      <Field Type="RadioButtons" Label="Mode" Content="Typical;Custom">MODE</Field>
    </Destination>
    <CopyProgress Special="1"><Progress x="0" y="0"></Progress></CopyProgress>
    <Finish><List x="0" y="0">done</Text></Finish>
  </Dialogs>
  <UninstallDialogs>
    <Welcome></Welcome>
    <CopyProgress Special="1"></CopyProgress>
    <Finish></Finish>
  </UninstallDialogs>
  <Installation>
    <Uninstall>
      <InstallLogFile>[INSTALLDIR]\uninst\install.log</InstallLogFile>
      <InstallBackupFile>[INSTALLDIR]\uninst\backup.bin</InstallBackupFile>
      <UninstallCmd>[INSTALLDIR]\uninst\uninstall.exe</UninstallCmd>
      <UninstallXmlFile>[INSTALLDIR]\uninst\install.xml</UninstallXmlFile>
    </Uninstall>
    <DefValues>
      <Value Name="PROGRAMFILES" DataType="registry" RegPlace="HKEY_LOCAL_MACHINE" RegKey="SOFTWARE/Microsoft/Windows/CurrentVersion">ProgramFilesDir</Value>
      <Value Name="PROGRAMFILES" DataType="value">$PROGRAMFILES</Value>
      <Value Name="INSTALLDIR" DataType="value">$PROGRAMFILES\Sample</Value>
      <Value Name="MODE" DataType="Value">1</Value>
      <Value Name="DOCS" DataType="value">1</Value>
    </DefValues>
    <FileSet Name="Program" Desc="Program files">
      <FN Dest="[INSTALLDIR]" Executable="1">..\bin\sample.exe</FN>
      <FN Dest="[INSTALLDIR]" Alias="AppIcon">..\gui\icon.png</FN>
      <FN Dest="[INSTALLDIR]\uninst" Alias="install.xml">install.xml</FN>
    </FileSet>
    <FileSet Name="Docs" Desc="Documentation" Condition="[DOCS]==1">
      <FN Dest="[INSTALLDIR]\doc" ExpandVarsInFile="0" Condition="[MODE]!=2">../doc/readme.txt</FN>
    </FileSet>
    <FileSet Desc="Nameless set is skipped"><FN>ignored.txt</FN></FileSet>
  </Installation>
</VarnexGroupInstallation>
)";
}
} // namespace sampledescription
