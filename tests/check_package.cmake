# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Installs the build into a scratch prefix and builds and runs the examples against the
# installed package, as an application project would consume it. With OTHER_BUILD_DIR, the
# build for the other Qt major is installed into the same prefix as well: it must not
# install any file of this build's, and the examples must build and run against either.
# Usage: cmake -DBUILD_DIR=... -DQT_MAJOR=5|6 -DEXAMPLES=... -DWORK=... -DCXX=... -DVERSION=...
#        [-DCXX_FLAGS=...] [-DOBJDUMP=...] [-DOTHER_BUILD_DIR=...] -P check_package.cmake

cmake_minimum_required(VERSION 3.16)

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/TavShareRun.cmake)

# Sets package and node: the package name and symbol version node of the build for Qt <major>.
function(names_for_qt major)
    string(REGEX MATCH "^[0-9]+" soversion "${VERSION}")
    if(major EQUAL 5)
        set(package TavShareQt5 PARENT_SCOPE)
        set(node TAVSHARE_QT5_${soversion} PARENT_SCOPE)
    else()
        set(package TavShare PARENT_SCOPE)
        set(node TAVSHARE_${soversion} PARENT_SCOPE)
    endif()
endfunction()

function(installed_files var prefix)
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${prefix} ${prefix}/*)
    set(${var} ${files} PARENT_SCOPE)
endfunction()

# Headers, examples and pkg-config file of the package for Qt <major> in the prefix.
function(check_consumer major)
    names_for_qt(${major})
    foreach(header TavShare.h TavSettings.h Daemon.h LinePlotData.h tavshare_export.h tavshare_version.h)
        if(NOT EXISTS ${prefix}/include/${package}/${header})
            message(FATAL_ERROR "${header} is not installed in include/${package}")
        endif()
    endforeach()

    # The public headers need Qt Core only: a consumer needs no other Qt module's files. (CMake
    # names the library's own dependencies too, for the linker's search path only.)
    file(GLOB package_files ${prefix}/lib/cmake/${package}/*.cmake ${prefix}/lib/pkgconfig/${package}.pc)
    foreach(file IN LISTS package_files)
        file(STRINGS ${file} network REGEX "Network")
        list(FILTER network EXCLUDE REGEX "^ *IMPORTED_LINK_DEPENDENT_LIBRARIES")
        if(network)
            message(FATAL_ERROR "${file} asks consumers for Qt Network:\n${network}")
        endif()
    endforeach()

    set(build ${WORK}/examples-qt${major})
    run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${build} -DEXAMPLES_QT_MAJOR=${major}
        -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
    run(${CMAKE_COMMAND} --build ${build})
    run(${build}/open-model/open-model)
    message(STATUS "open-model (Qt ${major}):\n${output}")

    # The program asks the dynamic linker for this build's library and version node.
    if(OBJDUMP)
        run(${OBJDUMP} -p ${build}/open-model/open-model)
        if(NOT output MATCHES "required from lib${package}\\.so\\.[0-9]+:\n[^\n]* ${node}\n")
            message(FATAL_ERROR "open-model does not require version ${node} of lib${package}:\n${output}")
        endif()
    endif()

    find_program(PKG_CONFIG pkg-config)
    if(PKG_CONFIG)
        set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
        run(${PKG_CONFIG} --modversion ${package})
        string(STRIP "${output}" version)
        if(NOT version STREQUAL VERSION)
            message(FATAL_ERROR "pkg-config says version '${version}' for ${package}, expected '${VERSION}'")
        endif()
        run(${PKG_CONFIG} --cflags --libs ${package})
        string(STRIP "${output}" flags)
        if(flags MATCHES "/\\.\\.?/")
            message(FATAL_ERROR "pkg-config gives paths that are not normalised for ${package}: ${flags}")
        endif()
        # A program built with nothing but the compiler and these flags.
        file(WRITE ${build}/app.cpp "#include <TavSettings.h>\n#include <TavShare.h>\n#include <QTextStream>\n"
            "int main() { QTextStream(stdout) << TavShare::getTavrelleCurrVersionQString() << ' '"
            " << TavSettings::getLineSpace(TavSettings::AppOrbelle) << Qt::endl; }\n")
        separate_arguments(flags UNIX_COMMAND "${CXX_FLAGS} ${flags}")
        run(${CXX} ${build}/app.cpp ${flags} -o ${build}/app)
        set(ENV{LD_LIBRARY_PATH} ${prefix}/lib)
        run(${build}/app)
        unset(ENV{LD_LIBRARY_PATH})
        if(NOT output MATCHES "^${VERSION} ")
            message(FATAL_ERROR "The program built with pkg-config's flags for ${package} prints: ${output}")
        endif()
    endif()
endfunction()

# A project that already found the other Qt major is told which package to use instead.
function(check_other_qt_refused major)
    math(EXPR other "11 - ${major}")
    names_for_qt(${other})
    set(other_package ${package})
    names_for_qt(${major})
    set(project ${WORK}/other-qt)
    file(WRITE ${project}/CMakeLists.txt "cmake_minimum_required(VERSION 3.16)
project(OtherQt LANGUAGES CXX)
find_package(Qt${other} QUIET COMPONENTS Core)
if(NOT Qt${other}_FOUND)
    message(STATUS \"No Qt ${other} here\")
    return()
endif()
find_package(${package} CONFIG REQUIRED)
")
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${project} -B ${project}/build -DCMAKE_PREFIX_PATH=${prefix}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(output MATCHES "No Qt ${other} here")
        message(STATUS "Qt ${other} is not installed; the refusal of a Qt ${other} project is not checked")
    elseif(result EQUAL 0 OR NOT output MATCHES "find_package\\(${other_package}\\)"
           OR output MATCHES "Some \\(but not all\\) targets")
        message(FATAL_ERROR "A Qt ${other} project that finds ${package} is not told to use ${other_package}:\n${output}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/tmp)
set(prefix ${WORK}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
check_consumer(${QT_MAJOR})
check_other_qt_refused(${QT_MAJOR})

if(OTHER_BUILD_DIR)
    file(STRINGS ${OTHER_BUILD_DIR}/CMakeCache.txt other_major REGEX "^TAVSHARE_QT_MAJOR:")
    string(REGEX REPLACE ".*=" "" other_major "${other_major}")
    installed_files(own_files ${prefix})
    run(${CMAKE_COMMAND} --install ${OTHER_BUILD_DIR} --prefix ${WORK}/other-prefix)
    installed_files(other_files ${WORK}/other-prefix)
    set(clashes)
    foreach(file IN LISTS other_files)
        if(file IN_LIST own_files)
            list(APPEND clashes ${file})
        endif()
    endforeach()
    if(clashes)
        string(REPLACE ";" "\n  " clashes "${clashes}")
        message(FATAL_ERROR "The Qt ${other_major} build in ${OTHER_BUILD_DIR} installs files of this build too:\n  ${clashes}")
    endif()
    run(${CMAKE_COMMAND} --install ${OTHER_BUILD_DIR} --prefix ${prefix})
    check_consumer(${QT_MAJOR})
    check_consumer(${other_major})
endif()
