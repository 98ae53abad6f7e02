; Velta II installer: puts velta2.scr where Windows lists screen savers, optionally makes it the
; current screen saver, and registers an uninstaller in the list of installed programs. It holds
; both savers and installs the 64-bit one on 64-bit Windows Vista and later, the 32-bit one on
; every other Windows. Itself a 32-bit ANSI program, it starts on every Windows from 95 on.
; Built by `make dist` with:
;   makensis -DVERSION=x.y.z -DSCR=64-bit saver -DSCR32=32-bit saver -DOUTFILE=path installer.nsi
; Silent use: setup.exe /S (also makes it the current saver); uninstall.exe /S [/REMOVESETTINGS].

Unicode false
Target x86-ansi
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinVer.nsh"
!include "x64.nsh"

!define PRODUCT "Velta II"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velta II"
!define SETTINGS_KEY "Software\Quillon\Velta II"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Quillon"

!define MUI_ICON "..\windows\resources\velta2.ico"
!define MUI_UNICON "..\windows\resources\velta2.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; On 64-bit Windows the system folder and the uninstall key are the 64-bit ones, where Windows
; looks for screen savers and installed programs, not the 32-bit views this program would get.
!macro NativeView
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        SetRegView 64
    ${EndIf}
!macroend

Function .onInit
    !insertmacro NativeView
FunctionEnd

Function un.onInit
    !insertmacro NativeView
FunctionEnd

Section "Velta II screen saver" SecSaver
    SectionIn RO
    ; Windows lists the screen savers it finds in the system folder. The 64-bit saver needs
    ; Windows Vista; 64-bit Windows XP and Server 2003 run the 32-bit one from there as well.
    SetOutPath "$SYSDIR"
    ${If} ${RunningX64}
    ${AndIf} ${AtLeastWinVista}
        File "/oname=velta2.scr" "${SCR}"
    ${Else}
        File "/oname=velta2.scr" "${SCR32}"
    ${EndIf}
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillon"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\velta2.scr"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$SYSDIR" "/M=velta2.scr /S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Make it the current screen saver" SecCurrent
    ${If} ${IsNT}
        WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\velta2.scr"
        WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    ${Else}
        ; Windows 9x reads the current saver from SYSTEM.INI, by its short path, and keeps the
        ; switch in WIN.INI, which SystemParametersInfo writes (SPI_SETSCREENSAVEACTIVE).
        GetFullPathName /SHORT $0 "$SYSDIR\velta2.scr"
        WriteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE" $0
        System::Call "user32::SystemParametersInfoA(i 17, i 1, i 0, i 3)"
    ${EndIf}
SectionEnd

Section "Uninstall"
    Delete "$SYSDIR\velta2.scr"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Windows would keep starting a saver that no longer exists.
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 == "$SYSDIR\velta2.scr"
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
    ${IfNot} ${IsNT}
        ReadINIStr $0 "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
        GetFullPathName /SHORT $1 "$SYSDIR"
        ${If} $0 == "$1\velta2.scr" ; compared without regard to case
            DeleteINIStr "$WINDIR\system.ini" "boot" "SCRNSAVE.EXE"
        ${EndIf}
    ${EndIf}
    ${un.GetParameters} $1
    ClearErrors
    ${un.GetOptions} $1 "/REMOVESETTINGS" $2
    ${IfNot} ${Errors}
        DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${ElseIf} ${Silent}
        ; A silent uninstall keeps the settings unless told otherwise.
    ${Else}
        MessageBox MB_YESNO|MB_ICONQUESTION "Also remove your ${PRODUCT} settings?" IDNO keep
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        keep:
    ${EndIf}
SectionEnd
