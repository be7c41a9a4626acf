// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavshare_version.h"
#include "tavtest.h"

#include <QRegularExpression>

// Programs compare versions in the preprocessor.
#if TAVSHARE_VERSION < TAVSHARE_VERSION_CHECK(2, 3, 0)
#error "TAVSHARE_VERSION does not compare as a version"
#endif

class TestRelease : public QObject
{
    Q_OBJECT

private slots:
    // The version text, the version header and the shared library's file names come from
    // the same build setting. The Qt 5 build's library has a name of its own, so that both
    // builds install side by side.
    void releaseFacts()
    {
        QCOMPARE(TavShare::getRevision(), 5178);
        QCOMPARE(TavShare::getSvnPath(), QStringLiteral("/tavrelle/trunk/Tavrelle"));
        const QString version = TavShare::getTavrelleCurrVersionQString();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch(), qPrintable(version));
        QCOMPARE(QString::fromStdString(TavShare::getTavrelleCurrVersionStdString()), version);
        const QString library = QT_VERSION_MAJOR == 5 ? QStringLiteral("libTavShareQt5.so.") : QStringLiteral("libTavShare.so.");
        QCOMPARE(QStringLiteral(TAVSHARE_LIBRARY_FILE_NAME), library + version);
        QCOMPARE(QStringLiteral(TAVSHARE_LIBRARY_SONAME), library + version.section(QLatin1Char('.'), 0, 0));
        QCOMPARE(QStringLiteral(TAVSHARE_VERSION_STRING), version);
        const auto part = [&version](int i) { return version.section(QLatin1Char('.'), i, i).toInt(); };
        QCOMPARE(TAVSHARE_VERSION_MAJOR, part(0));
        QCOMPARE(TAVSHARE_VERSION_MINOR, part(1));
        QCOMPARE(TAVSHARE_VERSION_PATCH, part(2));
        QCOMPARE(TAVSHARE_VERSION, (part(0) << 16) | (part(1) << 8) | part(2));
    }

    // Every credit bit adds a block of its own, in bit order; 0x0040 and the bits above
    // 0x8000 add none.
    void acknowledgements()
    {
        const QString opening = "Orbelle\nVer " + TavShare::getTavrelleCurrVersionQString()
            + " \n\n(Build Revision: 5178)\n(SVN path: /tavrelle/trunk/Tavrelle)\n\n"
              "Department of Cellular Systems Modelling\nInstitute for Cell Dynamics and Modelling\n"
              "Zentrabio Research Association\nGermany\ntavrelle@example.org\n\n"
              "We gratefully acknowledge the use of the following libraries.\n\n";
        QCOMPARE(TavShare::acknowledgements("Orbelle", 0, false), opening);
        QCOMPARE(TavShare::acknowledgements("", 0xffff0040, false), opening.mid(7));
        QCOMPARE(TavShare::acknowledgements("Orbelle", 0, true),
                 QString(opening).replace(" \n\n(Build", " \n\nThis is an experimental (NOT AN OFFICIAL) release. \n\n(Build"));

        QString allBlocks;
        QSet<QString> blocks;
        for (unsigned long bit = 0x0001; bit <= 0x8000; bit <<= 1) {
            const QString text = TavShare::acknowledgements("Orbelle", bit, false);
            QVERIFY(text.startsWith(opening));
            const QString block = text.mid(opening.size());
            QCOMPARE(block.isEmpty(), bit == 0x0040);
            blocks << block;
            allBlocks += block;
        }
        QCOMPARE(blocks.size(), 16);
        QCOMPARE(TavShare::acknowledgements("Orbelle", 0xffff, false), opening + allBlocks);
        QVERIFY(allBlocks.startsWith("* Boost\tVarious contributors.\n\tUsed under the Boost license 1.0\n"));
    }
};

TAVTEST_MAIN(TestRelease)
#include "tst_release.moc"
