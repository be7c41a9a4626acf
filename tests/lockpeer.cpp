// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_lockfile. It runs under the application name APP in the
// temporary folder it inherits and waits for one line on standard input before it
// starts, so that the test can let all its peers go at the same moment. Then it prints
// one result a line (releaseLock's as 0 or 1):
//   lockpeer APP take FILE...   getLock of each FILE
//   lockpeer APP cycle FILE...  the same, then getLock of each again, then releaseLock of each

#include "TavShare.h"

#include <QCoreApplication>
#include <QTextStream>

#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(1);
    if (mode != QLatin1String("take") && mode != QLatin1String("cycle")) {
        QTextStream(stderr) << "usage: lockpeer APP take|cycle FILE...\n";
        return 2;
    }
    QCoreApplication::setApplicationName(args.at(0));
    const QStringList files = args.mid(2);
    std::string start;
    std::getline(std::cin, start);

    QTextStream out(stdout);
    for (int pass = 0; pass < (mode == QLatin1String("cycle") ? 3 : 1); ++pass) {
        for (const QString &file : files)
            out << (pass < 2 ? TavShare::getLock(file) : int(TavShare::releaseLock(file))) << '\n';
    }
    return 0;
}
