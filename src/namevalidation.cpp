// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

QStringList TavShare::listOfIllegalChars()
{
    // The order decides which one hasIllegalChars() reports for a name holding several.
    return {QStringLiteral(";"), QStringLiteral("("), QStringLiteral(")"), QStringLiteral("\""),
            QStringLiteral("!"), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("xml")};
}

QString TavShare::hasIllegalChars(const QString &name)
{
    const QStringList illegal = listOfIllegalChars();
    for (const QString &forbidden : illegal) {
        if (name.contains(forbidden, Qt::CaseSensitive))
            return forbidden;
    }
    return QString();
}
