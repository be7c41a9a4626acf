// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// Arbitrary text for identifiers and mapping codes, arbitrary tables for the table
// operations. Input: one byte for the column (signed), then UTF-8 text whose lines are
// rows and whose tabs separate cells; the first line also gives the accepted values.

#include "TavShare.h"

#include "../tests/tablereference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const std::size_t maximumInputSize = 8192;
const int maximumRowCount = 256;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkIdentifier(const QString &text)
{
    const boost::uuids::uuid uuid = TavShare::qString2boostUuid(text);
    const QString uuidText = TavShare::boostUuid2QString(uuid);
    check(TavShare::qString2boostUuid(uuidText) == uuid);
    check(TavShare::boostUuid2QUuid(uuid) == QUuid(uuidText));
}

void checkMappingCode(const QString &code)
{
    const QString reversed = TavShare::getReverseMappingCode(code);
    const QStringList entries = reversed.split(QLatin1Char(';'));
    check(entries.size() == code.count(QLatin1Char(';')) + 1);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const int position = entry.toInt(&isNumber);
        check(isNumber && position >= 0 && position < entries.size());
    }
}

QList<QStringList> tableOf(const QString &text)
{
    QList<QStringList> table;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (table.size() == maximumRowCount)
            break;
        table.append(line.isEmpty() ? QStringList() : line.split(QLatin1Char('\t')));
    }
    return table;
}

void checkTables(const QList<QStringList> &table, int column)
{
    check(TavShare::removeRedundantItem(table) == TavTest::quadraticRemoveRedundantItem(table));

    const QStringList values = table.value(0);
    const QList<QStringList> filtered = TavShare::getFilteredList(table, values, column);
    check(filtered.size() <= table.size());
    for (const QStringList &row : filtered)
        check(column >= 0 && column < row.size() && !row.at(column).isEmpty() && values.contains(row.at(column)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1 || size > maximumInputSize)
        return 0;
    const int column = static_cast<std::int8_t>(data[0]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));

    checkIdentifier(text);
    checkMappingCode(text);
    checkTables(tableOf(text), column);
    return 0;
}
