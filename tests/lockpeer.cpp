// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process for tst_lockfile. Both modes run under the application name APP in
// the temporary folder they inherit and wait for one line on standard input before they
// start, so that the test can let all its peers go at the same moment.
//   lockpeer APP churn DIR PREFIX COUNT  creates DIR/PREFIX-<i> for i < COUNT, takes each
//                                        (expects 0), takes each again (expects 1) and
//                                        releases each (expects true); one line on
//                                        stderr and exit status 1 for anything else
//   lockpeer APP race FILE...            takes each FILE, printing getLock's result
//   lockpeer APP hold                    holds a shared flock on the lock file, as any
//                                        user who may read it can, from "held" on
//                                        standard output until standard input ends

#include "TavShare.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <iostream>
#include <string>

#include <fcntl.h>
#include <sys/file.h>

namespace {

void waitForStart()
{
    std::string line;
    std::getline(std::cin, line);
}

int churn(const QString &folder, const QString &prefix, int count)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << QDir(folder).filePath(prefix + QLatin1Char('-') + QString::number(i));
        QFile(files.last()).open(QIODevice::WriteOnly);
    }
    waitForStart();

    QTextStream err(stderr);
    int unexpected = 0;
    auto expect = [&](const QString &file, const char *step, int result, int expected) {
        // A few lines tell enough, and a full pipe would stall the peer.
        if (result != expected && ++unexpected <= 10)
            err << step << ' ' << file << ": " << result << '\n';
    };
    for (const QString &file : files)
        expect(file, "take", TavShare::getLock(file), 0);
    // Our entries must all have survived the other processes' rewrites.
    for (const QString &file : files)
        expect(file, "retake", TavShare::getLock(file), 1);
    for (const QString &file : files)
        expect(file, "release", TavShare::releaseLock(file), true);
    return unexpected == 0 ? 0 : 1;
}

int race(const QStringList &files)
{
    waitForStart();
    QTextStream out(stdout);
    for (const QString &file : files)
        out << TavShare::getLock(file) << '\n';
    return 0;
}

int hold()
{
    const int descriptor = ::open(QFile::encodeName(TavShare::getLockFilePath()).constData(), O_RDONLY);
    if (descriptor < 0 || ::flock(descriptor, LOCK_SH) != 0)
        return 1;
    std::cout << "held" << std::endl;
    std::string rest;
    while (std::getline(std::cin, rest)) {
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QCoreApplication::setApplicationName(args.value(0));
    const QString mode = args.value(1);
    if (mode == QLatin1String("churn") && args.size() == 5)
        return churn(args.at(2), args.at(3), args.at(4).toInt());
    if (mode == QLatin1String("race"))
        return race(args.mid(2));
    if (mode == QLatin1String("hold"))
        return hold();

    QTextStream(stderr) << "usage: lockpeer APP churn DIR PREFIX COUNT | APP race FILE... | APP hold\n";
    return 2;
}
