# The version of both programs comes from project(VERSION) alone. This file
# hands it on:
#
#   vantor_version   an INTERFACE target; link it to #include "vantor_version.h"
#                    (VANTOR_VERSION "x.y.z", its parts, VANTOR_PRODUCT_NAME,
#                    VANTOR_COPYRIGHT). Plain macros: C, C++ and .rc files can use them.
#   vantor_add_version_resource(TARGET DESCRIPTION ORIGINAL_FILENAME)
#                    gives a Windows executable its VERSIONINFO (a no-op elsewhere).
#
# Include it once from the top-level CMakeLists.txt, after project().

set(VANTOR_PRODUCT_NAME "Vantor Log Analyzer")
set(VANTOR_MAKER "The Vantor Log Analyzer developers")
set(VANTOR_COPYRIGHT_YEARS "2026")
set(VANTOR_COPYRIGHT "Copyright (c) ${VANTOR_COPYRIGHT_YEARS} ${VANTOR_MAKER}")

set(_vantor_generated_include "${PROJECT_BINARY_DIR}/generated/include")
configure_file("${CMAKE_CURRENT_LIST_DIR}/version.h.in" "${_vantor_generated_include}/vantor_version.h" @ONLY)
add_library(vantor_version INTERFACE)
target_include_directories(vantor_version INTERFACE "${_vantor_generated_include}")

if(WIN32)
    # windres with MinGW, rc with MSVC.
    enable_language(RC)
endif()

# vantor_add_version_resource(target "File description" "original-name.exe")
# The description and file name show on Explorer's Details tab; keep them ASCII.
# An executable whose own .rc holds its icon and manifest gets its VERSIONINFO
# from here all the same: that .rc must not have one of its own.
function(vantor_add_version_resource target description original_filename)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(done ${target} VANTOR_VERSION_RESOURCE)
    if(done)
        message(FATAL_ERROR "${target} already has a version resource")
    endif()
    set_target_properties(${target} PROPERTIES VANTOR_VERSION_RESOURCE ON)

    # A quote inside an .rc string is written twice.
    string(REPLACE "\"" "\"\"" VANTOR_RC_DESCRIPTION "${description}")
    set(VANTOR_RC_ORIGINAL_FILENAME "${original_filename}")
    get_filename_component(VANTOR_RC_INTERNAL_NAME "${original_filename}" NAME_WE)
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc")
    configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
endfunction()
