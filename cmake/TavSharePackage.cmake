# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Installation: the library, its headers under include/<package>, a CMake package
# (find_package(<package>) -> TavShare::TavShare) and a pkg-config file <package>.pc.
# The package is TavShare for the Qt 6 build and TavShareQt5 for the Qt 5 build, so that
# both builds install into one prefix side by side.

include(CMakePackageConfigHelpers)

set(TAVSHARE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/${TAVSHARE_PACKAGE_NAME})

install(TARGETS TavShare EXPORT TavShareTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Library NAMELINK_COMPONENT Development
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${TAVSHARE_PACKAGE_NAME} COMPONENT Development
)
install(EXPORT TavShareTargets
    NAMESPACE TavShare::
    FILE ${TAVSHARE_PACKAGE_NAME}Targets.cmake
    DESTINATION ${TAVSHARE_CMAKE_DIR}
    COMPONENT Development
)

# A project can hold only one Qt major; the package file names the package that fits the
# one a project already uses.
if(TAVSHARE_QT_MAJOR EQUAL 5)
    set(TAVSHARE_OTHER_QT_MAJOR 6)
    set(TAVSHARE_OTHER_PACKAGE_NAME TavShare)
else()
    set(TAVSHARE_OTHER_QT_MAJOR 5)
    set(TAVSHARE_OTHER_PACKAGE_NAME TavShareQt5)
endif()
configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/TavShareConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${TAVSHARE_PACKAGE_NAME}Config.cmake
    INSTALL_DESTINATION ${TAVSHARE_CMAKE_DIR}
)
write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/${TAVSHARE_PACKAGE_NAME}ConfigVersion.cmake
    COMPATIBILITY SameMajorVersion
)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/${TAVSHARE_PACKAGE_NAME}Config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/${TAVSHARE_PACKAGE_NAME}ConfigVersion.cmake
    DESTINATION ${TAVSHARE_CMAKE_DIR}
    COMPONENT Development
)

# The pkg-config file names the prefix the files are installed into, decided at install
# time (cmake --install --prefix), so that its paths come out as plain absolute paths.
# Qt 5, built to reduce relocations, refuses to compile a program without -fPIC (a PIE
# will not do); its CMake package adds the flag, its pkg-config file does not, so ours
# does. Qt 6 accepts a PIE as it is.
if(TAVSHARE_QT_MAJOR EQUAL 5)
    set(TAVSHARE_PC_CFLAGS " -fPIC")
endif()
set(TAVSHARE_PC_QT_MODULES "Qt${TAVSHARE_QT_MAJOR}Core")
set(TAVSHARE_PC_PREFIX "@prefix@") # filled in at install time
configure_file(${CMAKE_CURRENT_LIST_DIR}/TavShare.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${TAVSHARE_PACKAGE_NAME}.pc.in @ONLY)
install(CODE "
    get_filename_component(prefix \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
    configure_file(\"${CMAKE_CURRENT_BINARY_DIR}/${TAVSHARE_PACKAGE_NAME}.pc.in\"
        \"${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${TAVSHARE_PACKAGE_NAME}.pc\" @ONLY)
    " COMPONENT Development)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${TAVSHARE_PACKAGE_NAME}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT Development)
