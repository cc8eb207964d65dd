; The files the setup puts into the installation folder, named once: the setup
; installs each with !insertmacro RAVELIN_FILES InstallFile, the uninstaller
; deletes each with !insertmacro RAVELIN_FILES RemoveFile. The build reads the
; same lines to stage the files and to make the zip.
!macro RAVELIN_FILES ACTION
  !insertmacro ${ACTION} "RavelinWiz.exe"
  !insertmacro ${ACTION} "Serlox.dll"
  !insertmacro ${ACTION} "Mextal.dll"
  !insertmacro ${ACTION} "Porvesk.dll"
  !insertmacro ${ACTION} "Modquar.dll"
  !insertmacro ${ACTION} "GMINST32.exe"
  !insertmacro ${ACTION} "MDMTavo.inf"
!macroend
