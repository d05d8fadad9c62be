# The Windows download: one zip with the programs (bin/Zorveth.exe, the
# dialogs, and bin/zorveth-cli.exe, installed by their own folders) and a
# README, made by
#   cmake --build --preset windows --target package
# The programs are already stripped by the Release link (see mingw-w64.cmake).
install(FILES ${PROJECT_SOURCE_DIR}/docs/windows.md DESTINATION . RENAME README.txt)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Zorveth)
set(CPACK_PACKAGE_VENDOR Zorveth)
set(CPACK_PACKAGE_FILE_NAME "zorveth-${PROJECT_VERSION}-windows-x86_64")
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
