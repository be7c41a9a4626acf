# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Debian packages: `cpack -G DEB` in the build folder makes one package per install
# component:
#   libtavshare2      Library      the shared library
#   libtavshare-dev   Development  headers, CMake package and pkg-config file
#   tavshare          Tool         the tavshare tool, its man page and bash completion
#   libtavshare-doc   doc          the reference documentation, HTML and .qch
# A Qt 5 build names its packages libtavshareqt5-2 and libtavshareqt5-dev, so that they
# install beside the Qt 6 ones; the tool and the documentation, the same for both, are
# packaged from the Qt 6 build only.

if(TAVSHARE_QT_MAJOR EQUAL 5)
    set(TAVSHARE_DEB_SOURCE tavshareqt5)
    set(TAVSHARE_DEB_QT_DEV qtbase5-dev)
else()
    set(TAVSHARE_DEB_SOURCE tavshare)
    set(TAVSHARE_DEB_QT_DEV qt6-base-dev)
endif()
# Debian names a library package after its SONAME, with a hyphen before the number when
# the name ends in a digit.
if(TAVSHARE_DEB_SOURCE MATCHES "[0-9]$")
    set(TAVSHARE_DEB_LIBRARY lib${TAVSHARE_DEB_SOURCE}-${PROJECT_VERSION_MAJOR})
else()
    set(TAVSHARE_DEB_LIBRARY lib${TAVSHARE_DEB_SOURCE}${PROJECT_VERSION_MAJOR})
endif()
set(TAVSHARE_DEB_RELEASE 1)
set(TAVSHARE_DEB_VERSION ${PROJECT_VERSION}-${TAVSHARE_DEB_RELEASE})

# The acknowledgement text refers its readers to Licenses/boost.txt.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSES/BSL-1.0.txt
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${TAVSHARE_DEB_LIBRARY}/Licenses
    RENAME boost.txt
    COMPONENT Library
)

set(CPACK_PACKAGE_NAME ${TAVSHARE_DEB_SOURCE})
set(CPACK_PACKAGE_VENDOR "The TavShare developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
# Installed as into /usr, so that the pkg-config file names /usr and not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_COMPONENTS_ALL Library Development)
if(TAVSHARE_BUILD_TOOLS AND NOT TAVSHARE_QT_MAJOR EQUAL 5)
    list(APPEND CPACK_COMPONENTS_ALL Tool)
endif()
if(TARGET docs AND NOT TAVSHARE_QT_MAJOR EQUAL 5)
    list(APPEND CPACK_COMPONENTS_ALL doc)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TAVSHARE_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE ${TAVSHARE_DEB_SOURCE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The TavShare developers <tavrelle@example.org>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${TAVSHARE_DEB_LIBRARY})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
    "shared preferences, lock files and utilities of the Tavrelle suite
The library that every application of the Tavrelle cell-biology modelling
suite loads: one preference store for the suite, advisory lock files, unit
texts and scientific number formatting, name validation, string tables,
identifiers, release facts and a daemon application object (Qt ${TAVSHARE_QT_MAJOR}).")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME lib${TAVSHARE_DEB_SOURCE}-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The headers and the CMake package belong to exactly this build of the library.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "${TAVSHARE_DEB_LIBRARY} (= ${TAVSHARE_DEB_VERSION}), ${TAVSHARE_DEB_QT_DEV}, libboost-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "development files of the Tavrelle suite's shared library
Headers, the CMake package (find_package) and the pkg-config file for building
applications against the Tavrelle suite's shared library (Qt ${TAVSHARE_QT_MAJOR}).")

set(CPACK_DEBIAN_DOC_PACKAGE_NAME libtavshare-doc)
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_DOC_DESCRIPTION
    "reference documentation of the Tavrelle suite's shared library
The reference of the public headers of the library that every application of
the Tavrelle cell-biology modelling suite loads, as HTML and as a Qt help file
(tavshare.qch) for Qt Creator and Qt Assistant. It covers the Qt 6 and the
Qt 5 build alike.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SUGGESTS libtavshare-doc)
if("doc" IN_LIST CPACK_COMPONENTS_ALL)
    # Registers the HTML reference with the system's documentation catalogue.
    set(doc_base ${CMAKE_CURRENT_BINARY_DIR}/debian/doc-base/libtavshare-doc)
    file(WRITE ${doc_base} "Document: libtavshare\nTitle: libTavShare reference\n"
        "Abstract: The public headers of the Tavrelle suite's shared library.\nSection: Programming/C++\n\n"
        "Format: HTML\nIndex: ${CMAKE_INSTALL_FULL_DOCDIR}/html/index.html\nFiles: ${CMAKE_INSTALL_FULL_DOCDIR}/html/*.html\n")
    install(FILES ${doc_base} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base COMPONENT doc EXCLUDE_FROM_ALL)
endif()

# One library and one set of development files per architecture can be installed side
# by side; the documentation serves every architecture.
set(CPACK_TAVSHARE_MULTI_ARCH
    ${TAVSHARE_DEB_LIBRARY}=same lib${TAVSHARE_DEB_SOURCE}-dev=same libtavshare-doc=foreign)
if(TAVSHARE_QT_MAJOR EQUAL 5)
    # Qt 5 refuses programs built without -fPIC, so the pkg-config file asks for it.
    set(lintian_overrides ${CMAKE_CURRENT_BINARY_DIR}/debian/lintian/lib${TAVSHARE_DEB_SOURCE}-dev)
    file(WRITE ${lintian_overrides}
        "# Qt 5 refuses to compile a program without -fPIC: the flag is what consumers need, not one of ours.\n"
        "lib${TAVSHARE_DEB_SOURCE}-dev: pkg-config-bad-directive -fPIC [usr/lib/*/pkgconfig/${TAVSHARE_PACKAGE_NAME}.pc]\n")
    install(FILES ${lintian_overrides} DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        COMPONENT Development EXCLUDE_FROM_ALL)
endif()

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME tavshare)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "inspect and repair the state the Tavrelle applications share
A command-line tool for the people who support the Tavrelle suite: it shows
and repairs the preference store, the recent-file lists and the lock files
the applications share, and prints the suite's number and unit texts.")

# Each package carries the copyright file and changelog that Debian asks for in its
# documentation folder. They are installed for packaging only (EXCLUDE_FROM_ALL keeps
# them out of a plain cmake --install), and made at configure time from cmake/debian.
find_program(GZIP_EXECUTABLE gzip)
if(GZIP_EXECUTABLE)
    set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)

    # The licence text as a field of the copyright file: indented, empty lines as " .",
    # and without the template's own copyright line, which the Copyright field replaces.
    file(READ ${PROJECT_SOURCE_DIR}/LICENSES/BSD-3-Clause.txt license)
    string(REGEX REPLACE "^Copyright \\(c\\) <year> <owner>\\.?\n" "" license "${license}")
    string(STRIP "${license}" license)
    string(REGEX REPLACE "\n\n+" "\n.\n" license "${license}")
    string(REPLACE "\n" "\n " TAVSHARE_DEB_LICENSE_TEXT " ${license}")

    foreach(file copyright changelog)
        file(READ ${CMAKE_CURRENT_LIST_DIR}/debian/${file}.in template)
        string(REGEX REPLACE "^(#[^\n]*\n)+" "" template "${template}")
        string(CONFIGURE "${template}" text @ONLY)
        string(REGEX REPLACE "\n+$" "\n" text "${text}")
        file(WRITE ${debian_dir}/${file} "${text}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/${file}.in)
    endforeach()
    execute_process(COMMAND ${GZIP_EXECUTABLE} -9nf ${debian_dir}/changelog)
    file(RENAME ${debian_dir}/changelog.gz ${debian_dir}/changelog.Debian.gz)

    foreach(component IN LISTS CPACK_COMPONENTS_ALL)
        string(TOUPPER ${component} upper)
        install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
            COMPONENT ${component}
            EXCLUDE_FROM_ALL
        )
    endforeach()
else()
    message(STATUS "gzip not found: the Debian packages lack their changelog and copyright files")
endif()

set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/TavShareDebStaging.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/TavShareDebFinish.cmake)

include(CPack)
