// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include <QStringView>

#include <vector>

QString TavShare::getReverseMappingCode(const QString &code)
{
    const QChar separator = QLatin1Char(';');
    const qsizetype count = code.count(separator) + 1;

    // Values outside 0..count-1 never reach the result, so a vector indexed by value holds
    // every record that matters. A later position of the same value replaces an earlier one.
    std::vector<qsizetype> reverse(static_cast<std::size_t>(count), 0);
    qsizetype entryStart = 0;
    for (qsizetype position = 0; position < count; ++position) {
        qsizetype entryEnd = code.indexOf(separator, entryStart);
        if (entryEnd < 0)
            entryEnd = code.size();
        // Read as QString::toInt reads it: anything but a decimal int counts as 0.
        const int value = QStringView(code).mid(entryStart, entryEnd - entryStart).toInt();
        if (value >= 0 && value < count)
            reverse[static_cast<std::size_t>(value)] = position;
        entryStart = entryEnd + 1;
    }

    QString result;
    for (qsizetype position = 0; position < count; ++position) {
        if (position > 0)
            result += separator;
        result += QString::number(reverse[static_cast<std::size_t>(position)]);
    }
    return result;
}
