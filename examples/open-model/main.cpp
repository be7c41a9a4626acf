// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// The road a suite application takes when the user opens a model file:
// offer a start folder, lock the file (taking it over from an editor that crashed),
// remember it, label what is shown, release it.
//
//   open-model [MODEL-FILE]
//
// Without an argument it creates a small model file in the temporary folder. It uses the
// suite's real preference store, as the applications do.

#include <TavSettings.h>
#include <TavShare.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("open-model-example"));
    QTextStream out(stdout);

    QString model = app.arguments().value(1);
    if (model.isEmpty()) {
        model = QDir::tempPath() + QStringLiteral("/example-model.tav");
        QFile file(model);
        if (!file.open(QIODevice::WriteOnly)) {
            QTextStream(stderr) << "cannot create " << model << '\n';
            return 1;
        }
        file.write("compartment cytosol\n");
    }
    model = QFileInfo(model).absoluteFilePath();

    const TavSettings::AppType editor = TavSettings::AppOrbelle;
    out << "Preference store: " << QSettings(QStringLiteral("Zentrabio"), QStringLiteral("Tavrelle")).fileName() << '\n';

    const QString startFolder = TavSettings::getRecentTavrelleFilePath(TavSettings::ModelFile, editor);
    out << "1. Start folder offered:  " << (startFolder.isEmpty() ? QStringLiteral("(none yet)") : startFolder) << '\n';

    int lock = TavShare::getLock(model);
    out << "2. Lock " << model << " in " << TavShare::getLockFilePath() << ": " << lock
        << (lock == TavShare::LockTaken ? " (ours now)" : lock == TavShare::LockHeldAlready ? " (listed already)" : " (lock file unusable)") << '\n';
    // Listed already: take it over only from a holder that has provably ended (a crash,
    // kill -9); a running or unknown holder keeps it.
    if (lock == TavShare::LockHeldAlready) {
        const TavShare::LockHolder holder = TavShare::getLockHolder(model);
        if (holder == TavShare::HolderEnded && TavShare::releaseLock(model))
            lock = TavShare::getLock(model);
        out << "   Its holder " << (holder == TavShare::HolderEnded ? "has ended: taken over, " : "still runs or is unknown: ")
            << (lock == TavShare::LockTaken ? "ours now" : "left alone") << '\n';
    }
    if (lock != TavShare::LockTaken)
        return 1;

    const bool remembered = TavSettings::addRecentFileToTavrelleFileList(model, TavSettings::ModelFile, editor, 5);
    out << "3. Added to the recent model files: " << (remembered ? "yes" : "no") << '\n';
    const QStringList recent = TavSettings::getRecentTavrelleFileList(TavSettings::ModelFile, editor);
    for (const QString &entry : recent)
        out << "     " << entry << '\n';

    const QString rate = TavShare::getScientificFormat(QStringLiteral("0.000125"), TavShare::FormatFixedOrExponent, 3, false);
    const QString concentration = TavShare::getScientificFormat(QStringLiteral("42.5"), TavShare::FormatFixedOrExponent, 3, false);
    out << "4. Labels: diffusion " << rate << ' ' << TavShare::getUnit(TavShare::UnitSquareMicrometerPerSecond)
        << ", concentration " << concentration << ' ' << TavShare::getUnit(TavShare::UnitMolePerLiter) << '\n';

    const bool released = TavShare::releaseLock(model);
    out << "5. Lock released: " << (released ? "yes" : "no") << '\n';
    return released ? 0 : 1;
}
