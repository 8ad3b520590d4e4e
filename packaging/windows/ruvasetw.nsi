; The Windows installer of RuvasetW: ruvasetw.exe, ruvacfg.exe (with its manual) and the help page into
; Program Files, two Start-menu shortcuts (the second starts the program on simulated boards), and an
; uninstaller that Windows lists under its installed programs.
; packaging/windows/CMakeLists.txt runs it:
;   makensis -DVERSION=<x.y> -DVERSION4=<x.y.0.0> -DSTAGE=<folder of the files> -DICON=<.ico>
;            -DOUTFILE=<setup.exe> ruvasetw.nsi
; /S installs or uninstalls without a window; /D=<folder>, last on the command line, sets the folder.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RuvasetW"
; The event source of the programs' audit records in the Application event log (the SYSTEM hive is the
; same for 32- and 64-bit programs).
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\RuvasetW"
!define SHORTCUT "$SMPROGRAMS\RuvasetW.lnk"
!define SIMULATED_SHORTCUT "$SMPROGRAMS\RuvasetW (simulated boards).lnk"

Name "RuvasetW ${VERSION}"
OutFile "${OUTFILE}"
; A 32-bit program: on 64-bit Windows this is "Program Files (x86)", and the uninstall key is the 32-bit one.
InstallDir "$PROGRAMFILES\RuvasetW"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "RuvasetW ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "RuvasetW"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "RuvasetW ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "RuvasetW"
; The version information carries no LegalCopyright, as the programs' own version resources do not.
!pragma warning disable 9100

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\ruvasetw.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    ; Windows XP (5.1) with Service Pack 3, or any later Windows: XP x64 and Server 2003 are 5.2.
    GetWinVer $0 Major
    GetWinVer $1 Minor
    GetWinVer $2 ServicePack
    IntOp $0 $0 * 100
    IntOp $0 $0 + $1
    ${If} $0 == 501
    ${AndIf} $2 < 3
    ${OrIf} $0 < 501
        MessageBox MB_OK|MB_ICONSTOP "RuvasetW needs Windows XP with Service Pack 3, or a later Windows." \
            /SD IDOK
        Abort
    ${EndIf}
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Section "RuvasetW"
    SetOutPath "$INSTDIR"
    File "${STAGE}/ruvasetw.exe"
    File "${STAGE}/ruvacfg.exe"
    File "${STAGE}/ruvacfg.txt"
    SetOutPath "$INSTDIR\help"
    File "${STAGE}/help/ruvasetw.html"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut starts the program in its own folder.
    SetOutPath "$INSTDIR"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\ruvasetw.exe" "" "$INSTDIR\ruvasetw.exe" 0 SW_SHOWNORMAL "" \
        "View and change the configuration of Ruva-2 dual T1/E1 boards"
    ; The program on simulated boards, kept in the user's application data folder: to try it without a board.
    CreateShortcut "${SIMULATED_SHORTCUT}" "$INSTDIR\ruvasetw.exe" "--simulator" "$INSTDIR\ruvasetw.exe" 0 \
        SW_SHOWNORMAL "" "RuvasetW on simulated boards, without a Ruva-2 board"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "RuvasetW"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ruvasetw.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "RuvasetW"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; Event Viewer takes the texts of the records from the message table in ruvasetw.exe (ruvacfg.exe
    ; carries the same one): information, warning and error events.
    WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\ruvasetw.exe"
    WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
SectionEnd

; Removes exactly what the installer put there: a folder the user chose may hold other files, which stay,
; and then the folder stays too.
Section "Uninstall"
    Delete "${SHORTCUT}"
    Delete "${SIMULATED_SHORTCUT}"
    Delete "$INSTDIR\ruvasetw.exe"
    Delete "$INSTDIR\ruvacfg.exe"
    Delete "$INSTDIR\ruvacfg.txt"
    Delete "$INSTDIR\help\ruvasetw.html"
    RMDir "$INSTDIR\help"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
