// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_lockfile: lockpeer APP PASSES PREFIX COUNT runs under the
// application name APP in the temporary folder it inherits, makes the files PREFIX0 to
// PREFIX<COUNT-1> and waits for a byte on standard input, so that the test can let all its
// peers go at once. Then it makes one pass over the files for each letter of PASSES: "t"
// takes each, "r" releases each, "p" takes and releases each in turn. It prints one
// result a line (releaseLock's as 0 or 1).
//
// With PASSES "hold" it takes the files (over from an ended holder too), prints "ready PID" (its pid as /proc names it,
// also from inside another pid namespace) and holds them until standard input closes;
// "hold-fork" forks first and lets the child hold them on after the parent has exited,
// until it is killed;
// "hold-churn" releases and takes them again at random until it is killed.

#include "TavShare.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <iostream>

#include <unistd.h>

namespace {

// Takes file, also over from a holder that has ended.
int take(const QString &file)
{
    const int result = TavShare::getLock(file);
    if (result == 1 && TavShare::getLockHolder(file) == TavShare::HolderEnded && TavShare::releaseLock(file))
        return TavShare::getLock(file);
    return result;
}

int hold(const QStringList &files, const QString &mode)
{
    for (const QString &file : files)
        std::cout << take(file) << '\n';
    // The parent names its child, which holds the files on from the moment of the fork.
    if (mode == QLatin1String("hold-fork")) {
        const pid_t child = ::fork();
        if (child != 0) {
            std::cout << "ready " << child << std::endl;
            return 0;
        }
        ::pause();
    }
    char self[32] = {};
    std::cout << "ready " << (::readlink("/proc/self", self, sizeof self - 1) > 0 ? self : "0") << std::endl;
    while (mode == QLatin1String("hold-churn")) {
        const QString &file = files.at(QRandomGenerator::global()->bounded(int(files.size())));
        TavShare::releaseLock(file);
        take(file);
    }
    std::cin.get();
    return 0;
}

} // namespace

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
    if (args.value(2).startsWith(QLatin1String("hold")))
        return hold(files, args.value(2));
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
