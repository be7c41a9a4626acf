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

namespace {

// Everything before the credits.
QString opening(const QString &appName, bool experimental)
{
    return appName + "\nVer " + TavShare::getTavrelleCurrVersionQString() + " \n\n"
        + (experimental ? "This is an experimental (NOT AN OFFICIAL) release. \n\n" : "")
        + "(Build Revision: 5178)\n(SVN path: /tavrelle/trunk/Tavrelle)\n\n"
          "Department of Cellular Systems Modelling\nInstitute for Cell Dynamics and Modelling\n"
          "Zentrabio Research Association\nGermany\ntavrelle@example.org\n\n"
          "We gratefully acknowledge the use of the following libraries.\n\n";
}

const QString qtExamplesCredit = QStringLiteral(
    "\n\nWe gratefully acknowledge the use of the Qt examples.\n\n"
    "* Qt\tDigia Plc\n\tand/or its subsidiary(-ies).\n\tUsed under the BSD\n"
    "\tcf. Licenses/bsd-qt.txt for details.\n\thttps://www.qt.io\n\n");

// Every credit in bit order, bit 0x0040 included (it credits nothing).
const QList<QPair<unsigned long, QString>> credits = {
    {0x0001, "* Boost\tVarious contributors.\n\tUsed under the Boost license 1.0\n"
             "\tcf. Licenses/boost.txt for details.\n\thttps://www.boost.org\n\n"},
    {0x0002, "* Qt\tDigia Plc\n\tand/or its subsidiary(-ies).\n\tUsed under the LGPL 2.1\n"
             "\tcf. Licenses/lgpl-2.1.txt for details.\n\thttps://www.qt.io\n\n"},
    {0x0004, "* SQLite\tThe SQLite Consortium.\n\tSQLite is in the public domain.\n\thttps://www.sqlite.org\n\n"},
    {0x0008, "* libSBML\tVarious contributors\n\tUsed under the LGPL 2.1\n\tcf. Licenses/lgpl-2.1.txt &\n"
             "\tLicenses/libsbml.txt for details.\n\thttps://sbml.org/software/libsbml/\n\n"},
    {0x0010, "* Graphviz\tVarious contributors\n\tUsed under the EPL\n"
             "\tcf. Licenses/graphviz.txt for details.\n\thttps://www.graphviz.org\n\n"},
    {0x0020, "* Qwt\tUwe Rathmann and Josef Wilgen\n\tUsed under the Qwt license.\n"
             "\tcf. Licenses/qwt-license.txt for details.\n\thttps://qwt.sourceforge.io\n\n"},
    {0x0040, ""},
    {0x0080, "* Sundials\tAlan C. Hindmarsh, Peter N. Brown, Keith E. Grant, Steven L. Lee,\n"
             "\tRadu Serban, Dan E. Shumaker and Carol S. Woodward (LLNL)\n\t Used under the BSD license.\n"
             "\tcf. Licenses/sundials.txt\n\thttps://computing.llnl.gov/projects/sundials\n\n"},
    {0x0100, "* C++ port of rowmap\n\toriginal FORTRAN implementation by Hans Podhaisky, R\u00fcdiger Weiner and "
             "Bernhard A. Schmitt.\n\t Used under the Creative Commons BY 4.0 license.\t"
             "cf. https://creativecommons.org/licenses/by/4.0/\t"
             "https://www.mathematik.uni-halle.de/wissenschaftliches_rechnen/forschung/software/\n\n"},
    {0x0200, " * DocBook\tNorman Walsh\n\tand  The DocBook Project\n\tcf. Licenses/DocBook.txt\n\thttps://docbook.org\n\n"},
    {0x0400, "* VTK\tKen Martin, Will Schroeder and Bill Lorensen\n\tUsed under the vtk license.\n"
             "\tcf. Licenses/vtk.txt  for details.\n\thttps://vtk.org\n\n"},
    {0x0800, "* ITK\tInsight Software Consortium\n\tUsed under the apache license.\n\tcf. Licenses/itk.txt &\n"
             "\tLicenses/apache2_0.txt for details.\n\thttps://itk.org\n\n"},
    {0x1000, "* Sobol Sequences\tStephen Joe and Frances Y. Kuo\n\tUsed under license\n"
             "\tcf. 3rdPartyLicenses/sobolSequence.txt for details.\n\thttps://web.maths.unsw.edu.au/~fkuo/sobol/\n\n"},
    {0x2000, "* MongoDB\tMongoDB, Inc.\n\tC++ driver used under the apache license.\n"
             "\tcf. Licenses/apache2_0.txt for details.\n\thttps://www.mongodb.com\n\n"},
    {0x4000, "* Density Estimation\t Vlad I. Morariu\n\tUsed under the LGPL 2.1\n"
             "\tcf. Licenses/lgpl-2.1.txt for details.\n\thttps://github.com/vmorariu/figtree\n\n"},
    {0x8000, qtExamplesCredit},
};

} // namespace

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

    void acknowledgements_data()
    {
        QTest::addColumn<QString>("appName");
        QTest::addColumn<qulonglong>("libraries");
        QTest::addColumn<bool>("experimental");
        QTest::addColumn<QString>("expected");

        QTest::newRow("no libraries") << "Orbelle" << 0ull << false << opening("Orbelle", false);
        QTest::newRow("empty name, experimental") << "" << 0ull << true << opening("", true);
        QTest::newRow("bits above 0x8000") << "Orbelle" << 0xffff0000ull << false << opening("Orbelle", false);
        QString allCredits;
        for (const auto &credit : credits) {
            const QByteArray name = "bit 0x" + QByteArray::number(qulonglong(credit.first), 16);
            QTest::newRow(name.constData()) << "Orbelle" << qulonglong(credit.first) << false
                                            << opening("Orbelle", false) + credit.second;
            allCredits += credit.second;
        }
        QTest::newRow("boost and Qt examples") << "Orbelle" << 0x8001ull << false
                                               << opening("Orbelle", false) + credits.first().second + qtExamplesCredit;
        QTest::newRow("all bits, experimental") << "Halvex" << 0xffffull << true << opening("Halvex", true) + allCredits;
    }

    void acknowledgements()
    {
        QFETCH(QString, appName);
        QFETCH(qulonglong, libraries);
        QFETCH(bool, experimental);
        QFETCH(QString, expected);
        QCOMPARE(TavShare::acknowledgements(appName, static_cast<unsigned long>(libraries), experimental), expected);
    }
};

TAVTEST_MAIN(TestRelease)
#include "tst_release.moc"
