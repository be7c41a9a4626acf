# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Runs in cpack after the Debian packages are made, and completes what CPack cannot write:
# - the Multi-Arch field (CPACK_TAVSHARE_MULTI_ARCH: "package=value" pairs);
# - the library package's symbols file, generated from the library's exported symbols,
#   all of which carry its version node, so that a dependant depends on the lowest version
#   that has the symbols it uses;
# - no maintainer scripts of CPack's that only call ldconfig: the library package's
#   triggers file lets dpkg run it once, after all packages are unpacked.

find_program(DPKG_DEB dpkg-deb REQUIRED)
find_program(DPKG_GENSYMBOLS dpkg-gensymbols REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/TavShareRun.cmake)

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    run(${DPKG_DEB} --field ${deb} Package)
    string(STRIP "${output}" package)
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/finish/${package})
    file(REMOVE_RECURSE ${tree})
    file(MAKE_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY}/finish)
    run(${DPKG_DEB} --raw-extract ${deb} ${tree})
    set(control ${tree}/DEBIAN)

    foreach(pair IN LISTS CPACK_TAVSHARE_MULTI_ARCH)
        if(pair MATCHES "^${package}=(.+)$")
            file(READ ${control}/control fields)
            string(STRIP "${fields}" fields)
            file(WRITE ${control}/control "${fields}\nMulti-Arch: ${CMAKE_MATCH_1}\n")
        endif()
    endforeach()

    if(EXISTS ${control}/triggers)
        file(STRINGS ${control}/triggers ldconfig REGEX "^activate-noawait ldconfig$")
        foreach(script postinst postrm)
            if(ldconfig AND EXISTS ${control}/${script})
                file(STRINGS ${control}/${script} commands REGEX "^[ \t]*[^# \t]")
                list(FILTER commands EXCLUDE REGEX "^[ \t]*(set -e|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then|ldconfig|fi)[ \t]*$")
                if(NOT commands)
                    file(REMOVE ${control}/${script})
                endif()
            endif()
        endforeach()
    endif()

    if(package STREQUAL CPACK_DEBIAN_LIBRARY_PACKAGE_NAME)
        file(GLOB libraries ${tree}/usr/lib/*/lib*.so.[0-9]* ${tree}/usr/lib/lib*.so.[0-9]*)
        list(FILTER libraries INCLUDE REGEX "\\.so\\.[0-9]+$")
        set(options)
        foreach(library IN LISTS libraries)
            list(APPEND options -e${library})
        endforeach()
        run(${DPKG_GENSYMBOLS} -q -p${package} -v${CPACK_PACKAGE_VERSION} -P${tree} -O${control}/symbols ${options})
        file(READ ${control}/symbols symbols)
        # After the first line, which names the library and the package.
        string(FIND "${symbols}" "\n" end)
        math(EXPR end "${end} + 1")
        string(SUBSTRING "${symbols}" 0 ${end} first)
        string(SUBSTRING "${symbols}" ${end} -1 rest)
        set(symbols "${first}* Build-Depends-Package: ${CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME}\n${rest}")
        file(WRITE ${control}/symbols "${symbols}")
        file(CHMOD ${control}/symbols PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()

    run(${DPKG_DEB} --root-owner-group --build ${tree} ${deb})
    file(REMOVE_RECURSE ${tree})
endforeach()
