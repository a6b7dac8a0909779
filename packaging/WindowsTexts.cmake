# The texts beside the Windows programs, with CR LF line ends: README.txt,
# LICENSE.txt, and in the cross build licenses\ with the notices of every
# library linked into the .exe files, taken from the Debian packages that
# the libraries came from.

set(_texts "${CMAKE_CURRENT_BINARY_DIR}/windows")

# Writes OUTPUT from the text in the variable VARIABLE, each line ended by
# CR LF. (The text goes by name: a value passed as arguments would lose its
# semicolons to CMake's list splitting.)
function(_vantor_write_crlf output variable)
    set(text "${${variable}}")
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${output}" "${text}")
endfunction()

# The text of FILE, which the named Debian package provides; stops the
# configuration when it is missing.
function(_vantor_read_notice variable file package)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "${file} is missing: apt-get install ${package}")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
    file(READ "${file}" text)
    set(${variable} "${text}" PARENT_SCOPE)
endfunction()

set(_rule "--------------------------------------------------------------------------\n")

# README.txt: the programs this build has.
set(VANTOR_README_TITLE "Vantor Log Analyzer ${PROJECT_VERSION}")
string(LENGTH "${VANTOR_README_TITLE}" _length)
string(REPEAT "=" ${_length} VANTOR_README_RULE)
if("vantor-log-analyzer" IN_LIST VANTOR_PROGRAMS)
    set(VANTOR_README_PROGRAMS
        "vantor-log-analyzer.exe   the window: choose a folder, a player and an action\n"
        "vantor-tally.exe          the same count on the command line")
    file(READ README-window.txt.in VANTOR_README_WINDOW)
    set(VANTOR_README_START_MENU "The Start menu gets an entry for the window.\n")
else()
    set(VANTOR_README_PROGRAMS "vantor-tally.exe          the count, on the command line")
    set(VANTOR_README_WINDOW "")
    set(VANTOR_README_START_MENU "")
endif()
string(JOIN "" VANTOR_README_PROGRAMS ${VANTOR_README_PROGRAMS})
# Not configure_file(NEWLINE_STYLE CRLF): it ends the template's lines with
# CR LF but leaves the LF inside the values it puts in.
file(READ README-windows.txt.in _readme)
string(CONFIGURE "${_readme}" _readme @ONLY)
_vantor_write_crlf("${_texts}/README.txt" _readme)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/README-windows.txt.in" "${CMAKE_CURRENT_SOURCE_DIR}/README-window.txt.in")

file(READ "${PROJECT_SOURCE_DIR}/LICENSE" _license)
_vantor_write_crlf("${_texts}/LICENSE.txt" _license)
install(FILES "${_texts}/README.txt" "${_texts}/LICENSE.txt" DESTINATION .)

if(NOT CMAKE_CROSSCOMPILING)
    # A build on Windows itself takes its libraries from elsewhere; their
    # notices are for whoever packs that build.
    return()
endif()

set(VANTOR_DEBIAN_DOC_DIR /usr/share/doc CACHE PATH "Debian's per-package documentation (copyright files)")
set(VANTOR_COMMON_LICENSES_DIR /usr/share/common-licenses CACHE PATH "Debian's full licence texts")
set(_doc "${VANTOR_DEBIAN_DOC_DIR}")
set(_common "${VANTOR_COMMON_LICENSES_DIR}")
set(_programs "vantor-tally.exe")
if("vantor-log-analyzer" IN_LIST VANTOR_PROGRAMS)
    set(_programs "vantor-log-analyzer.exe and vantor-tally.exe")
endif()

_vantor_read_notice(_gcc "${_doc}/g++-mingw-w64-x86-64-posix/copyright" g++-mingw-w64-x86-64-posix)
_vantor_read_notice(_gpl3 "${_common}/GPL-3" base-files)
string(CONCAT _text
    "GCC's runtime libraries: libstdc++ and libgcc\n"
    "\n"
    "The programs (${_programs}) contain parts of libstdc++ and\n"
    "libgcc, linked statically, as built by Debian's MinGW-w64 cross compiler\n"
    "(package g++-mingw-w64-x86-64-posix). They are under the GNU General\n"
    "Public License, version 3, with the GCC Runtime Library Exception, version\n"
    "3.1, which allows programs compiled with GCC to carry them under the\n"
    "programs' own terms. Below: Debian's copyright file of the compiler, which\n"
    "holds the exception's text, then the GPL, version 3.\n"
    "\n" ${_rule} "${_gcc}\n" ${_rule} "${_gpl3}")
_vantor_write_crlf("${_texts}/licenses/gcc-runtime-libraries.txt" _text)

_vantor_read_notice(_mingw "${_doc}/mingw-w64-x86-64-dev/copyright" mingw-w64-x86-64-dev)
string(CONCAT _text
    "mingw-w64: the C runtime start-up and support code, and winpthreads\n"
    "\n"
    "The programs (${_programs}) contain the mingw-w64 C runtime's\n"
    "start-up and support code and the winpthreads threads library, linked\n"
    "statically, from Debian's package mingw-w64-x86-64-dev. Below: that\n"
    "package's copyright file; winpthreads is under the files\n"
    "mingw-w64-libraries/winpthreads/*, the runtime under *, mingw-w64-crt/*\n"
    "and mingw-w64-headers/crt/*.\n"
    "\n" ${_rule} "${_mingw}")
_vantor_write_crlf("${_texts}/licenses/mingw-w64-runtime.txt" _text)

# libcsv: the source that was compiled, its Debian copyright file, the LGPL.
foreach(_file libcsv.c csv.h debian/copyright)
    if(NOT EXISTS "${VANTOR_LIBCSV_SOURCE_DIR}/${_file}")
        message(FATAL_ERROR "${VANTOR_LIBCSV_SOURCE_DIR}/${_file} is missing: the packages "
                            "carry libcsv's Debian source (scripts/test-windows.sh --build-only fetches it)")
    endif()
endforeach()
file(STRINGS "${VANTOR_LIBCSV_SOURCE_DIR}/csv.h" _csv_version REGEX "^#define CSV_(MAJOR|MINOR|RELEASE) ")
string(REGEX REPLACE "[^0-9;]" "" _csv_version "${_csv_version}")
string(REPLACE ";" "." _csv_version "${_csv_version}")
_vantor_read_notice(_csv "${VANTOR_LIBCSV_SOURCE_DIR}/debian/copyright" libcsv)
_vantor_read_notice(_lgpl21 "${_common}/LGPL-2.1" base-files)
string(CONCAT _text
    "libcsv ${_csv_version}\n"
    "\n"
    "vantor-tally.exe contains libcsv ${_csv_version} (Copyright 2008 Robert Gamble),\n"
    "linked statically, under the GNU Lesser General Public License, version 2.1\n"
    "or later (below). The folder libcsv-source beside this file holds the libcsv\n"
    "source that was compiled into it, from Debian's source package of libcsv.\n"
    "\n"
    "To run vantor-tally.exe with a libcsv of your own, relink it: take the source\n"
    "of Vantor Log Analyzer ${PROJECT_VERSION} (MIT licence, from where you got this\n"
    "program), put your libcsv.c and csv.h in a folder, and on Debian or Ubuntu run\n"
    "\n"
    "    bash scripts/test-windows.sh --build-only\n"
    "    cmake --preset windows-cross -DVANTOR_LIBCSV_SOURCE_DIR=/your/libcsv/folder\n"
    "    cmake --build --preset windows-cross --target vantor-tally\n"
    "\n"
    "The first command installs the cross compiler; the new\n"
    "build/windows-cross/cli/vantor-tally.exe contains your libcsv.\n"
    "\n" ${_rule} "${_csv}\n" ${_rule} "${_lgpl21}")
_vantor_write_crlf("${_texts}/licenses/libcsv.txt" _text)
install(FILES "${VANTOR_LIBCSV_SOURCE_DIR}/libcsv.c" "${VANTOR_LIBCSV_SOURCE_DIR}/csv.h"
        DESTINATION licenses/libcsv-source)

_vantor_read_notice(_cli11 "${_doc}/libcli11-dev/copyright" libcli11-dev)
string(CONCAT _text
    "CLI11\n"
    "\n"
    "vantor-tally.exe contains code of CLI11, the command-line parser (header-only),\n"
    "from Debian's package libcli11-dev. Below: that package's copyright file.\n"
    "\n" ${_rule} "${_cli11}")
_vantor_write_crlf("${_texts}/licenses/CLI11.txt" _text)

_vantor_read_notice(_json "${_doc}/nlohmann-json3-dev/copyright" nlohmann-json3-dev)
string(CONCAT _text
    "nlohmann-json\n"
    "\n"
    "vantor-tally.exe contains code of nlohmann-json, JSON for Modern C++\n"
    "(header-only), from Debian's package nlohmann-json3-dev. Below: that\n"
    "package's copyright file.\n"
    "\n" ${_rule} "${_json}")
_vantor_write_crlf("${_texts}/licenses/nlohmann-json.txt" _text)

install(FILES
    "${_texts}/licenses/gcc-runtime-libraries.txt"
    "${_texts}/licenses/mingw-w64-runtime.txt"
    "${_texts}/licenses/libcsv.txt"
    "${_texts}/licenses/CLI11.txt"
    "${_texts}/licenses/nlohmann-json.txt"
    DESTINATION licenses)
