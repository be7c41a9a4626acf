// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A second process on the suite's preference store, driven by tst_settings:
//   storepeer add-recent MAX FILE...   waits for a line on standard input, then adds the
//                                      files to the model editor's model-file list one by
//                                      one, keeping MAX entries
//   storepeer hold-update              takes the lock of store updates, says "held" and
//                                      keeps it until its input ends
//   storepeer get-recent               prints that list, one UTF-8 line per entry
//   storepeer empty-key                composes a key from an empty name (ends the process)
//   storepeer set KEY VALUE...         stores each VALUE under KEY in turn, as text
//   storepeer watch                    watches the model editor's preferences and model-file
//                                      list, says its back end, then prints one line a
//                                      signal: "pref <setting> <value>", "recent <entry>,...", "reset"

#include "TavWatcher.h"
#include "tavsettings_p.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);

    if (command == QLatin1String("get-recent")) {
        QTextStream out(stdout);
        const QStringList list = TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle);
        for (const QString &entry : list)
            out << entry << '\n';
        return 0;
    }
    if (command == QLatin1String("add-recent")) {
        // The caller releases all its peers at once, so that their additions overlap.
        std::getchar();
        const int maxCount = args.value(1).toInt();
        for (const QString &file : args.mid(2)) {
            if (!TavSettings::addRecentFileToTavrelleFileList(file, TavSettings::ModelFile, TavSettings::AppOrbelle, maxCount))
                return 1;
        }
        return 0;
    }
    if (command == QLatin1String("add-apart")) {
        std::getchar();
        for (const QString &file : args.mid(2)) {
            // With no input the peer's wait for a line ends at once.
            QProcess adder;
            adder.setStandardInputFile(QProcess::nullDevice());
            adder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            adder.start(app.applicationFilePath(), {QStringLiteral("add-recent"), args.value(1), file});
            if (!adder.waitForFinished() || adder.exitStatus() != QProcess::NormalExit || adder.exitCode() != 0)
                return 1;
        }
        return 0;
    }
    if (command == QLatin1String("hold-update")) {
        const TavSettingsUpdate update;
        std::puts("held");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    if (command == QLatin1String("set")) {
        for (const QString &value : args.mid(2))
            writeSetting(args.value(1), value);
        return 0;
    }
    if (command == QLatin1String("watch")) {
        TavWatcher watcher;
        watcher.watchPreferences(TavSettings::AppOrbelle);
        watcher.watchRecentFiles(TavSettings::ModelFile, TavSettings::AppOrbelle);
        QTextStream out(stdout);
        const auto say = [&out](const QString &line) { out << line << Qt::endl; };
        QObject::connect(&watcher, &TavWatcher::preferenceChanged, [&say](TavSettings::AppType appType, const QString &setting) {
            say(QStringLiteral("pref %1 %2").arg(setting, readSetting(TavSettingsInternals::getKey(setting, appType), QString())));
        });
        QObject::connect(&watcher, &TavWatcher::recentFilesChanged, [&say] {
            say(QStringLiteral("recent ") + TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, TavSettings::AppOrbelle).join(QLatin1Char(',')));
        });
        QObject::connect(&watcher, &TavWatcher::storeReset, [&say] { say(QStringLiteral("reset")); });
        say(QLatin1String(watcher.backend() == TavWatcher::Polling ? "polling" : "inotify"));
        return app.exec();
    }
    if (command == QLatin1String("empty-key")) {
        TavSettingsInternals::getKey(QString(), TavSettings::AppOrbelle);
        return 0;
    }
    QTextStream(stderr) << "usage: storepeer add-recent|add-apart MAX FILE... | hold-update | get-recent | empty-key | set KEY VALUE... | watch\n";
    return 2;
}
