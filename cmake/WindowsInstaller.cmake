# The Windows installer: `cmake --build <build> --target installer` stages the install rules'
# tree into <build>/stage (a fresh copy each time) and makes <build>/quietbell-<version>-setup.exe
# with makensis from res/windows/installer.nsi.
#
# Run as a script (cmake -DSTAGE=<dir> -DOUTPUT=<file> -P WindowsInstaller.cmake), this file
# writes the uninstaller's list: a Delete for every staged file, then an RMDir for every staged
# folder, deepest first, so that the uninstaller removes exactly what the installer put there.

if(CMAKE_SCRIPT_MODE_FILE)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
    file(GLOB_RECURSE folders LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
    list(REMOVE_ITEM folders ${files})
    list(SORT files)
    # Reverse order puts every folder after the folders inside it.
    list(SORT folders)
    list(REVERSE folders)
    set(lines "")
    foreach(file IN LISTS files)
        string(REPLACE "/" "\\" file "${file}")
        string(APPEND lines "Delete \"$INSTDIR\\${file}\"\n")
    endforeach()
    foreach(folder IN LISTS folders)
        string(REPLACE "/" "\\" folder "${folder}")
        string(APPEND lines "RMDir \"$INSTDIR\\${folder}\"\n")
    endforeach()
    file(WRITE ${OUTPUT} "${lines}")
    return()
endif()

find_program(QB_MAKENSIS makensis REQUIRED)
set(QB_INSTALLER_STAGE ${CMAKE_BINARY_DIR}/stage)
set(QB_INSTALLER_FILELIST ${CMAKE_BINARY_DIR}/installer-files.nsh)
set(QB_INSTALLER ${CMAKE_BINARY_DIR}/quietbell-${PROJECT_VERSION}-setup.exe)
# The program's icon (made for its resources) on the installer and uninstaller too.
set(QB_INSTALLER_ICON ${CMAKE_BINARY_DIR}/quietbell.ico)
add_custom_target(installer
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${QB_INSTALLER_STAGE}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${QB_INSTALLER_STAGE}
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${QB_INSTALLER_STAGE} -DOUTPUT=${QB_INSTALLER_FILELIST}
            -P ${CMAKE_CURRENT_LIST_FILE}
    COMMAND ${QB_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${QB_INSTALLER_STAGE}
            -DFILELIST=${QB_INSTALLER_FILELIST} -DOUTFILE=${QB_INSTALLER} -DICON=${QB_INSTALLER_ICON}
            ${PROJECT_SOURCE_DIR}/res/windows/installer.nsi
    BYPRODUCTS ${QB_INSTALLER} ${QB_INSTALLER_FILELIST}
    COMMENT "Making ${QB_INSTALLER}"
    VERBATIM)
add_dependencies(installer quietbell)
