; SPDX-License-Identifier: MIT
; The Windows installer. scripts/package-windows defines VERSION, STAGE (the folder the zip is
; made of), FILES and UNFILES (include files that install and remove exactly the staged files),
; ICON and OUTFILE, and REPORT when the instructors' program is part of the build.
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

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\bexlorin.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bexlorin"

Section "Bexlorin"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\Bexlorin.lnk" "$INSTDIR\bexlorin.exe" "" "$INSTDIR\bexlorin.exe" 0
!ifdef REPORT
    CreateShortCut "$SMPROGRAMS\Bexlorin report.lnk" "$INSTDIR\bexlorin-report.exe" "" \
        "$INSTDIR\bexlorin-report.exe" 0
!endif

    WriteRegStr HKCU "Software\Bexlorin" "InstallDir" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Bexlorin"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
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
