// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef LOGGING_P_H
#define LOGGING_P_H

#include <QDebug>
#include <QLoggingCategory>

// The library's diagnoses are debug messages of their own category, so that an
// application can silence them with the rule "tavshare*.debug=false" (QT_LOGGING_RULES
// or QLoggingCategory::setFilterRules) without a message handler of its own.
Q_DECLARE_LOGGING_CATEGORY(lcTavShare)

// A debug message of the category, for streaming into. qCDebug(lcTavShare) says the same
// but passes an empty variadic macro argument, which strict C++17 compilers reject.
inline QDebug tavDebug()
{
    return QMessageLogger().debug(lcTavShare());
}

#endif // LOGGING_P_H
