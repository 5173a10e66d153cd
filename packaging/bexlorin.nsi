; SPDX-License-Identifier: MIT
; The Windows installer. scripts/package-windows defines VERSION, STAGE (the folder the zip is
; made of), FILES and UNFILES (include files that install and remove exactly the staged files),
; ICON, OUTFILE, LICENCE (the licence page's text), SIZE_KB (the installed size), REPORT when
; the instructors' program is part of the build, and SIGN (a command that signs a file in
; place) when a certificate was given.
; Per user: no administrator rights, installed below the user's own AppData.
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support can run it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

Name "Bexlorin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Bexlorin"
InstallDirRegKey HKCU "Software\Bexlorin" "InstallDir"
BrandingText "Bexlorin ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Bexlorin"
VIAddVersionKey /LANG=1033 "FileDescription" "Bexlorin ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Bexlorin developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT licence"

!ifdef SIGN
!finalize '"${SIGN}" "%1"' = 0
!uninstfinalize '"${SIGN}" "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\bexlorin.exe"
; The MIT licence asks for no agreement: the page informs, Next goes on.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Bexlorin is free software under the MIT licence. It \
    includes third-party software under its own licences; see THIRD-PARTY-NOTICES.txt."
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bexlorin"

; Files of a running program cannot be replaced or removed on Windows: rather than leave a
; mixed or half-removed installation, neither the installer nor the uninstaller starts while
; one of the programs runs from the folder. A running exe cannot be opened for writing.
!macro NOT_RUNNING_CHECK prefix
Function ${prefix}NotRunning
    retry:
    StrCpy $1 ""
    !insertmacro BUSY_CHECK "bexlorin.exe"
    !insertmacro BUSY_CHECK "bexlorin-report.exe"
    !insertmacro BUSY_CHECK "bexlorin-reportw.exe"
    StrCmp $1 "" 0 busy
    Return
    busy:
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Bexlorin is running ($1). Please close \
        every Bexlorin and Bexlorin report window, then choose Retry.$\r$\n$\r$\nCancel \
        changes nothing." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
FunctionEnd
!macroend
!macro BUSY_CHECK exe
    IfFileExists "$INSTDIR\${exe}" 0 +6
    ClearErrors
    FileOpen $0 "$INSTDIR\${exe}" a
    IfErrors 0 +2
    StrCpy $1 "${exe}"
    FileClose $0
!macroend
!insertmacro NOT_RUNNING_CHECK ""
!insertmacro NOT_RUNNING_CHECK "un."

; Before any page when the earlier installation's folder is known, and again (below) for the
; folder chosen.
Function .onInit
    Call NotRunning
FunctionEnd

Section "Bexlorin"
    SetShellVarContext current
    Call NotRunning
    ; An earlier version's own uninstaller removes exactly the files that version installed
    ; (in place and waited for), so that none it shipped and this one does not stays behind.
    ; It never looks at a record folder.
    IfFileExists "$INSTDIR\uninstall.exe" 0 fresh
    ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR' $0
    StrCmp $0 0 fresh
    MessageBox MB_OK|MB_ICONSTOP "The installed Bexlorin in $INSTDIR could not be removed \
        first (status $0). Nothing was installed." /SD IDOK
    SetErrorLevel 2
    Quit
    fresh:
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\Bexlorin.lnk" "$INSTDIR\bexlorin.exe" "" "$INSTDIR\bexlorin.exe" 0
!ifdef REPORT
    ; The window program starts the reader's folder dialog without a console window.
    CreateShortCut "$SMPROGRAMS\Bexlorin report.lnk" "$INSTDIR\bexlorin-reportw.exe" "" \
        "$INSTDIR\bexlorin-report.exe" 0
!endif

    WriteRegStr HKCU "Software\Bexlorin" "InstallDir" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Bexlorin"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Bexlorin developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bexlorin.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer put down, then the folders only if they are empty: a
; student's own files, wherever the program was installed, stay, and the record folder
; (c:\tarnwick or another one) is never looked at.
Function un.onInit
    Call un.NotRunning
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Bexlorin.lnk"
    Delete "$SMPROGRAMS\Bexlorin report.lnk"
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "Software\Bexlorin"
SectionEnd
