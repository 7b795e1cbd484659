# Warnings are errors in our own code only, and only where we build it ourselves (tools/setup.sh,
# CI): a distribution building the released source with a newer compiler gets a warning from a
# new check, not a failed build.
option(QB_WERROR "Treat compiler warnings in our own targets as errors" OFF)

function(qb_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(QB_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
        # GCC 12 at -O3 warns of overlapping copies inside std::string's own code (its
        # bug 105329); the warning stays, but it cannot be ours to fix.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            target_compile_options(${target} PRIVATE -Wno-error=restrict)
        endif()
    endif()
endfunction()

# qb_library(name SOURCES ... LIBS ...): a static library of ours, its folder on the include path
# as seen from the project root (#include "text/ScriptTextLayout.h").
function(qb_library name)
    cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_LIBS})
    qb_warnings(${name})
endfunction()

# qb_test(name [GUI|DESKTOP] SOURCES ... LIBS ... [DEPENDS targets it needs built]): a
# GoogleTest binary run through CTest.
# GUI tests get a QApplication on the offscreen platform; DESKTOP tests one on the xcb
# platform of their own Xvfb + openbox + tint2 desktop (tests/support/DesktopSession.h);
# the others a QCoreApplication. ONE_PROCESS runs the whole binary as one test, for cases that
# share a desktop started once (a test suite's shared fixture).
# Every test runs with its own empty home, so no test reads or writes a user's settings or
# phrase file.
# DESKTOP tests with LAYOUTS run as one CTest test per named desktop layout
# (DesktopSession::Options::Layout), the desktop started once for all the binary's cases.
# In a Windows build only the suites without a display are made; each runs under Wine as one
# CTest test (qb_windows_test).
# The exit code of a test binary whose cases were skipped and none failed (its main returns it;
# tests/support/RunAllTestsForCTest.h), which CTest shows as a skip.
set(QB_TEST_SKIPPED_EXIT_CODE 77)

function(qb_test name)
    cmake_parse_arguments(T "GUI;DESKTOP;ONE_PROCESS" "" "SOURCES;LIBS;LABELS;LAYOUTS;DEPENDS" ${ARGN})
    if(WIN32 AND (T_GUI OR T_DESKTOP))
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    if(T_DEPENDS)
        add_dependencies(${name} ${T_DEPENDS})
    endif()
    if(T_DESKTOP)
        set(main qb_test_main_desktop)
        list(APPEND T_LABELS desktop)
    elseif(T_GUI)
        set(main qb_test_main_gui)
    else()
        set(main qb_test_main_core)
    endif()
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${main} GTest::gtest GTest::gmock)
    qb_warnings(${name})
    if(WIN32)
        qb_windows_test(${name})
        return()
    endif()
    set(home ${CMAKE_BINARY_DIR}/test-home/${name})
    file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/runtime)
    # A list-valued ENVIRONMENT property reaches CTest split into separate properties,
    # so every test (and its discovery) runs through `cmake -E env` instead.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
        "${CMAKE_COMMAND};-E;env;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_RUNTIME_DIR=${home}/runtime;QB_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    set(test_properties TIMEOUT 600 SKIP_RETURN_CODE ${QB_TEST_SKIPPED_EXIT_CODE})
    if(T_LABELS)
        list(APPEND test_properties LABELS "${T_LABELS}")
    endif()
    if(T_LAYOUTS)
        foreach(layout IN LISTS T_LAYOUTS)
            add_test(NAME ${name}.${layout}
                COMMAND ${CMAKE_COMMAND} -E env HOME=${home} XDG_CONFIG_HOME=${home}/config
                    XDG_DATA_HOME=${home}/data XDG_RUNTIME_DIR=${home}/runtime QB_SOURCE_DIR=${PROJECT_SOURCE_DIR}
                    QB_DESKTOP_LAYOUT=${layout} $<TARGET_FILE:${name}>)
            set_tests_properties(${name}.${layout} PROPERTIES ${test_properties})
        endforeach()
    elseif(T_ONE_PROCESS)
        # All cases in one run, so that a desktop that is slow to start starts once.
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ${test_properties})
    else()
        gtest_discover_tests(${name}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            PROPERTIES ${test_properties})
    endif()
endfunction()

# A Windows test program run under Wine in the build's own Wine prefix (tools/setup.sh windows
# makes it), with the libraries found beside it in bin/. Wine hands the Linux environment on,
# so HOME still gives each run a folder of its own; the settings go to the prefix's registry
# under the test's own application name.
function(qb_windows_test name)
    set(home ${CMAKE_BINARY_DIR}/test-home/${name})
    file(MAKE_DIRECTORY ${home})
    add_test(NAME ${name}
        COMMAND ${CMAKE_COMMAND} -E env HOME=${home} WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
            WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= QB_SOURCE_DIR=${PROJECT_SOURCE_DIR}
            wine $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 600 SKIP_RETURN_CODE ${QB_TEST_SKIPPED_EXIT_CODE} LABELS windows)
endfunction()

# qb_sanitizer_defaults(dir): in the sanitizer build, every program made in dir and below it
# starts with our sanitizer options and suppressions (cmake/SanitizerDefaults.cpp).
function(qb_sanitizer_defaults dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/SanitizerDefaults.cpp)
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        qb_sanitizer_defaults(${subdirectory})
    endforeach()
endfunction()
