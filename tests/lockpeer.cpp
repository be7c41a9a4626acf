// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_lockfile: lockpeer APP PASSES FILE... runs under the
// application name APP in the temporary folder it inherits and waits for one line on
// standard input, so that the test can let all its peers go at once. Then it takes each
// FILE, in a second pass takes each again, in a third releases each, and prints one
// result a line (releaseLock's as 0 or 1).

#include "TavShare.h"

#include <QCoreApplication>
#include <QTextStream>

#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QCoreApplication::setApplicationName(args.value(1));
    const int passes = args.value(2).toInt();
    std::string start;
    std::getline(std::cin, start);

    QTextStream out(stdout);
    for (int pass = 0; pass < passes; ++pass) {
        for (const QString &file : args.mid(3))
            out << (pass < 2 ? TavShare::getLock(file) : int(TavShare::releaseLock(file))) << '\n';
    }
    return 0;
}
