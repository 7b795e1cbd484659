# The Windows program runs with its libraries beside it: Qt's, ICU's and HarfBuzz's from the
# dependency prefix (tools/windows-deps.sh) and MinGW's runtime, with Qt's plugins in their
# folders. They are copied into the build's bin/, so that the program and the test suites run
# from there under Wine, and installed with the program into one folder.
set_target_properties(quietbell PROPERTIES WIN32_EXECUTABLE ON)

set(qb_deps ${QT6_INSTALL_PREFIX})
set(QB_WINDOWS_LIBRARIES
    ${qb_deps}/bin/Qt6Core.dll ${qb_deps}/bin/Qt6Gui.dll ${qb_deps}/bin/Qt6Widgets.dll
    ${qb_deps}/bin/libharfbuzz.dll)
file(GLOB qb_icu_libraries ${qb_deps}/lib/icu*.dll ${qb_deps}/bin/icu*.dll)
list(APPEND QB_WINDOWS_LIBRARIES ${qb_icu_libraries})
foreach(runtime IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND QB_WINDOWS_LIBRARIES ${path})
endforeach()
set(QB_WINDOWS_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll
    imageformats/qgif.dll imageformats/qjpeg.dll imageformats/qico.dll)

foreach(file IN LISTS QB_WINDOWS_LIBRARIES)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "The Windows program needs ${file}")
    endif()
    file(COPY ${file} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    install(FILES ${file} DESTINATION .)
endforeach()
foreach(plugin IN LISTS QB_WINDOWS_PLUGINS)
    get_filename_component(folder ${plugin} DIRECTORY)
    set(file ${qb_deps}/${QT6_INSTALL_PLUGINS}/${plugin})
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "The Windows program needs Qt's plugin ${file}")
    endif()
    file(COPY ${file} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${folder})
    install(FILES ${file} DESTINATION ${folder})
endforeach()

# The program's icon in Explorer and the Start menu, made from the shipped PNG sizes.
set(qb_icon_sizes 16 24 32 48 64 256)
set(qb_icon_pngs)
foreach(size IN LISTS qb_icon_sizes)
    list(APPEND qb_icon_pngs ${PROJECT_SOURCE_DIR}/res/icons/${size}/quietbell.png)
endforeach()
find_program(QB_CONVERT convert REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/quietbell.ico
    COMMAND ${QB_CONVERT} ${qb_icon_pngs} ${CMAKE_BINARY_DIR}/quietbell.ico
    DEPENDS ${qb_icon_pngs})
add_custom_target(qb_icon DEPENDS ${CMAKE_BINARY_DIR}/quietbell.ico)
configure_file(${PROJECT_SOURCE_DIR}/res/windows/quietbell.rc.in ${CMAKE_BINARY_DIR}/quietbell.rc @ONLY)
target_sources(quietbell PRIVATE ${CMAKE_BINARY_DIR}/quietbell.rc)
add_dependencies(quietbell qb_icon)

install(TARGETS quietbell RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/Data/ DESTINATION Data)
