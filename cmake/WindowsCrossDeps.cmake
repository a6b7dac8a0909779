# The command line's libraries for the Windows cross build, taken from the
# Debian packages of the build machine without any of its Linux binaries:
#
#   CLI11::CLI11, nlohmann_json::nlohmann_json  header-only: only their own
#       header folders are put on the include path (all of /usr/include would
#       hide MinGW's C headers behind glibc's);
#   vantor_libcsv  libcsv compiled from its source (Debian ships no MinGW
#       build): libcsv.c and csv.h in VANTOR_LIBCSV_SOURCE_DIR, which
#       scripts/test-windows.sh fills with `apt-get source libcsv`.
#
# Sets CSV_LIBRARY and CSV_INCLUDE_DIR as find_library/find_path would.

set(VANTOR_HOST_INCLUDE_DIR /usr/include CACHE PATH
    "Where the build machine keeps the CLI11 (CLI/) and nlohmann-json (nlohmann/) headers")
set(VANTOR_LIBCSV_SOURCE_DIR "${CMAKE_BINARY_DIR}/_deps/libcsv" CACHE PATH
    "libcsv source folder (libcsv.c, csv.h) for the Windows cross build")

set(_vantor_staged_headers "${CMAKE_BINARY_DIR}/_deps/host-headers")
file(MAKE_DIRECTORY "${_vantor_staged_headers}")
foreach(_folder CLI nlohmann)
    if(NOT EXISTS "${VANTOR_HOST_INCLUDE_DIR}/${_folder}")
        message(FATAL_ERROR "${VANTOR_HOST_INCLUDE_DIR}/${_folder} is missing: "
                            "apt-get install libcli11-dev nlohmann-json3-dev")
    endif()
    file(CREATE_LINK "${VANTOR_HOST_INCLUDE_DIR}/${_folder}" "${_vantor_staged_headers}/${_folder}"
         SYMBOLIC)
endforeach()

if(NOT TARGET CLI11::CLI11)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${_vantor_staged_headers}")
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${_vantor_staged_headers}")
endif()

foreach(_file libcsv.c csv.h)
    if(NOT EXISTS "${VANTOR_LIBCSV_SOURCE_DIR}/${_file}")
        message(FATAL_ERROR
            "${VANTOR_LIBCSV_SOURCE_DIR}/${_file} is missing. "
            "`bash scripts/test-windows.sh --build-only` fetches libcsv's Debian source, "
            "or set VANTOR_LIBCSV_SOURCE_DIR to a folder holding libcsv.c and csv.h.")
    endif()
endforeach()

# Only csv.h is wanted from that folder; a folder of its own keeps the rest of
# libcsv's source tree off the include path.
set(_vantor_csv_include "${CMAKE_BINARY_DIR}/_deps/libcsv-include")
if(NOT TARGET vantor_libcsv)
    add_library(vantor_libcsv STATIC "${VANTOR_LIBCSV_SOURCE_DIR}/libcsv.c")
    configure_file("${VANTOR_LIBCSV_SOURCE_DIR}/csv.h" "${_vantor_csv_include}/csv.h" COPYONLY)
    target_include_directories(vantor_libcsv SYSTEM PUBLIC "${_vantor_csv_include}")
endif()
set(CSV_LIBRARY vantor_libcsv)
set(CSV_INCLUDE_DIR "${_vantor_csv_include}")
