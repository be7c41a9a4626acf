# SPDX-FileCopyrightText: 2026 The TavShare developers
# SPDX-License-Identifier: BSD-3-Clause

# What an application that builds against Qt 5 or Qt 6 does: the library's Qt 6 build is
# the package TavShare, its Qt 5 build the package TavShareQt5, and both give the target
# TavShare::TavShare. The package brings in the matching Qt.
set(EXAMPLES_QT_MAJOR 6 CACHE STRING "Qt major version to build the examples against (5 or 6)")
if(EXAMPLES_QT_MAJOR EQUAL 5)
    find_package(TavShareQt5 2.3 CONFIG REQUIRED)
else()
    find_package(TavShare 2.3 CONFIG REQUIRED)
endif()
