// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_lockfile: lockpeer APP PASSES FILE... runs under the
// application name APP in the temporary folder it inherits and waits for a byte on
// standard input, so that the test can let all its peers go at once. Then it takes each
// FILE, in a second pass takes each again, in a third releases each, and prints one
// result a line (releaseLock's as 0 or 1).

#include "TavShare.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QCoreApplication::setApplicationName(args.value(1));
    std::cin.get();
    for (int pass = 0; pass < args.value(2).toInt(); ++pass) {
        for (const QString &file : args.mid(3))
            std::cout << (pass < 2 ? TavShare::getLock(file) : int(TavShare::releaseLock(file))) << '\n';
    }
}
