# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# Installation: the library, its headers under include/TavShare, a CMake package
# (find_package(TavShare) -> TavShare::TavShare) and a pkg-config file.

include(CMakePackageConfigHelpers)

set(TAVSHARE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TavShare)

install(TARGETS TavShare EXPORT TavShareTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Library NAMELINK_COMPONENT Development
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/TavShare COMPONENT Development
)
install(EXPORT TavShareTargets
    NAMESPACE TavShare::
    DESTINATION ${TAVSHARE_CMAKE_DIR}
    COMPONENT Development
)

configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/TavShareConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/TavShareConfig.cmake
    INSTALL_DESTINATION ${TAVSHARE_CMAKE_DIR}
)
write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/TavShareConfigVersion.cmake
    COMPATIBILITY SameMajorVersion
)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/TavShareConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/TavShareConfigVersion.cmake
    DESTINATION ${TAVSHARE_CMAKE_DIR}
    COMPONENT Development
)

# The pkg-config file finds its prefix from its own location, so the installed tree may move.
file(RELATIVE_PATH TAVSHARE_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
set(TAVSHARE_PC_QT_MODULES "Qt${TAVSHARE_QT_MAJOR}Core Qt${TAVSHARE_QT_MAJOR}Network")
configure_file(${CMAKE_CURRENT_LIST_DIR}/TavShare.pc.in ${CMAKE_CURRENT_BINARY_DIR}/TavShare.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TavShare.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
