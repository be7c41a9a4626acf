// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef STORESNAPSHOT_P_H
#define STORESNAPSHOT_P_H

// Inside the library only: the store's values as its file holds them, for TavWatcher.

#include <QHash>
#include <QString>

// The values of a store file's text, by full key ("Orbelle/LineSpace"), each as text in
// which escapes that only spell a character differently (Qt 5's "\x20ac" for Qt 6's raw
// UTF-8) are resolved: two saves of the same value give the same text, whichever Qt major
// wrote them. A key written twice keeps its last value.
QHash<QString, QString> parseStoreText(const QByteArray &text);

struct StoreSnapshot {
    enum State {
        Missing,   // no store file: every value is its default
        Readable,
        Unreadable // there, but cannot be read (values unknown)
    };
    State state = Missing;
    QHash<QString, QString> values;
};

// Platform part: reads the store file as it stands. When another writer has changed it
// without moving its time as the library does, the time is moved first, so that the
// getters of this process see the change before anyone is told of it.
StoreSnapshot readStoreSnapshot();

#endif // STORESNAPSHOT_P_H
