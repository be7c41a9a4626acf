// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_lockfile: lockpeer APP PASSES PREFIX COUNT runs under the
// application name APP in the temporary folder it inherits, makes the files PREFIX0 to
// PREFIX<COUNT-1> and waits for a byte on standard input, so that the test can let all its
// peers go at once. Then it makes one pass over the files for each letter of PASSES: "t"
// takes each, "r" releases each, "p" takes and releases each in turn. It prints one
// result a line (releaseLock's as 0 or 1).

#include "TavShare.h"

#include <QCoreApplication>
#include <QFile>

#include <iostream>

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QCoreApplication::setApplicationName(args.value(1));
    QStringList files;
    for (int i = 0; i < args.value(4).toInt(); ++i) {
        files << args.value(3) + QString::number(i);
        QFile(files.last()).open(QIODevice::WriteOnly);
    }
    std::cin.get();
    for (const QChar pass : args.value(2)) {
        for (const QString &file : files) {
            if (pass != QLatin1Char('r'))
                std::cout << TavShare::getLock(file) << '\n';
            if (pass != QLatin1Char('t'))
                std::cout << int(TavShare::releaseLock(file)) << '\n';
        }
    }
}
