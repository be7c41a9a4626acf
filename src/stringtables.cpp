// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// Case-insensitive order; strings that differ only in case are ordered by their code
// units, so that the order is total and the sort result does not depend on the input order.
bool caseInsensitiveLessThan(const QString &a, const QString &b)
{
    const QString lowerA = a.toLower();
    const QString lowerB = b.toLower();
    if (lowerA == lowerB)
        return a < b;
    return lowerA < lowerB;
}

// A row of the table being de-duplicated, hashed and compared where it stands, without
// copying it into the set of rows seen.
struct RowInTable {
    const QStringList *row;
};

bool operator==(RowInTable a, RowInTable b)
{
    return *a.row == *b.row;
}

using HashValue = decltype(qHash(QStringList()));

HashValue qHash(RowInTable rowInTable, HashValue seed)
{
    return qHash(*rowInTable.row, seed);
}

} // namespace

QList<QStringList> TavShare::removeRedundantItem(const QList<QStringList> &table)
{
    // Hashing whole rows finds the duplicates in linear time; comparing every row with
    // every kept row would make large tables quadratic.
    QSet<RowInTable> seenRows;
    seenRows.reserve(table.size());
    QHash<QString, std::vector<const QStringList *>> groups; // first occurrences, in input order
    for (const QStringList &row : table) {
        if (row.isEmpty())
            continue; // no first cell to group it by
        const auto sizeBefore = seenRows.size();
        seenRows.insert(RowInTable{&row});
        if (seenRows.size() != sizeBefore)
            groups[row.first()].push_back(&row);
    }

    QStringList keys = groups.keys();
    std::sort(keys.begin(), keys.end());

    QList<QStringList> result;
    result.reserve(seenRows.size());
    for (const QString &key : std::as_const(keys)) {
        // The latest first occurrence leads its group, as the applications have always
        // received it.
        const std::vector<const QStringList *> &group = *groups.constFind(key);
        for (auto row = group.crbegin(); row != group.crend(); ++row)
            result.append(**row);
    }
    return result;
}

QList<QStringList> TavShare::getFilteredList(const QList<QStringList> &table, const QStringList &values, int column)
{
    QList<QStringList> result;
    if (column < 0)
        return result;

    const QSet<QString> acceptedValues(values.cbegin(), values.cend());
    for (const QStringList &row : table) {
        if (row.size() <= column)
            continue;
        const QString &cell = row.at(column);
        if (!cell.isEmpty() && acceptedValues.contains(cell))
            result.append(row);
    }
    return result;
}

void TavShare::tavQStringListSortCaseInSensitive(QStringList &list)
{
    std::sort(list.begin(), list.end(), caseInsensitiveLessThan);
}
