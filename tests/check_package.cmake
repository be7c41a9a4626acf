# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Installs the build into a scratch prefix and builds and runs the examples against the
# installed package, as an application project would consume it.
# Usage: cmake -DBUILD_DIR=... -DEXAMPLES=... -DWORK=... -DCXX=... [-DCXX_FLAGS=...] -P check_package.cmake

function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        string(REPLACE ";" " " command "${ARGV}")
        message(FATAL_ERROR "Failed (${result}): ${command}\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/tmp)
set(prefix ${WORK}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(header TavShare.h TavSettings.h Daemon.h LinePlotData.h tavshare_export.h)
    if(NOT EXISTS ${prefix}/include/TavShare/${header})
        message(FATAL_ERROR "${header} is not installed in include/TavShare")
    endif()
endforeach()

run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${WORK}/build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK}/build)
run(${WORK}/build/open-model/open-model)
message(STATUS "open-model:\n${output}")

# The pkg-config file describes the same library.
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
    set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
    run(${PKG_CONFIG} --modversion TavShare)
    string(STRIP "${output}" version)
    if(NOT version STREQUAL VERSION)
        message(FATAL_ERROR "pkg-config says version '${version}', expected '${VERSION}'")
    endif()
    run(${PKG_CONFIG} --cflags TavShare)
    string(REGEX MATCH "-I[^ \n]*" include "${output}")
    string(REGEX REPLACE "^-I" "" include "${include}")
    if(NOT EXISTS "${include}/TavSettings.h")
        message(FATAL_ERROR "pkg-config --cflags does not lead to the headers: ${output}")
    endif()
endif()
