// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TABLEREFERENCE_H
#define TABLEREFERENCE_H

// The straightforward duplicate removal: every row is compared with every kept row.
// Tests check the library against it; the benchmark measures what hashing saves.

#include <QMultiHash>
#include <QStringList>

namespace TavTest {

inline QList<QStringList> quadraticRemoveRedundantItem(const QList<QStringList> &table)
{
    QList<QStringList> kept;
    for (const QStringList &row : table) {
        if (!row.isEmpty() && !kept.contains(row))
            kept.append(row);
    }
    QMultiHash<QString, QStringList> groups;
    for (const QStringList &row : std::as_const(kept))
        groups.insert(row.first(), row);
    QStringList keys = groups.uniqueKeys();
    keys.sort();
    QList<QStringList> result;
    for (const QString &key : std::as_const(keys))
        result += groups.values(key); // latest insertion first
    return result;
}

} // namespace TavTest

#endif // TABLEREFERENCE_H
