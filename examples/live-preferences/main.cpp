// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// A preference applied live: prints the model editor's line space, and prints it again
// whenever any process changes it. Start it twice, then change the value from a shell:
//
//   live-preferences &
//   live-preferences &
//   tavshare settings set --app orbelle LineSpace 3
//
// Both print the new value. Ctrl+C ends it.

#include <TavSettings.h>
#include <TavWatcher.h>

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const auto show = [&out] {
        out << "line space: " << TavSettings::getLineSpace(TavSettings::AppOrbelle) << Qt::endl;
    };

    TavWatcher watcher;
    watcher.watchPreferences(TavSettings::AppOrbelle);
    // The getter already returns the new value when the signal arrives.
    QObject::connect(&watcher, &TavWatcher::preferenceChanged, [&show](TavSettings::AppType, const QString &setting) {
        if (setting == QLatin1String("LineSpace"))
            show();
    });
    // The store vanished or changes were missed: show what it holds now.
    QObject::connect(&watcher, &TavWatcher::storeReset, show);

    if (watcher.backend() == TavWatcher::Polling)
        out << "(the store is on a network file system: changes show within about 2 seconds)" << Qt::endl;
    show();
    return app.exec();
}
