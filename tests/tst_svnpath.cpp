// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"
#include "version_p.h"

class TestSvnPath : public QObject
{
    Q_OBJECT

private slots:
    void repositoryPath_data();
    void repositoryPath();
};

void TestSvnPath::repositoryPath_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");

    QTest::newRow("release url") << "https://svn.example.org/repos/tavrelle/trunk/Tavrelle"
                                 << "/tavrelle/trunk/Tavrelle";
    QTest::newRow("first repos folder") << "svn://host/repos/a/repos/b" << "/a/repos/b";
    QTest::newRow("repos folder only") << "/repos/" << "/";
    QTest::newRow("no repos folder") << "https://svn.example.org/tavrelle/trunk" << "https://svn.example.org/tavrelle/trunk";
    QTest::newRow("repos without slash after") << "https://host/repository/x/repos" << "https://host/repository/x/repos";
    QTest::newRow("case-sensitive") << "https://host/Repos/x" << "https://host/Repos/x";
    QTest::newRow("empty") << "" << "";
}

void TestSvnPath::repositoryPath()
{
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QCOMPARE(TavShareVersion::repositoryPath(url), expected);
}

TAVTEST_MAIN(TestSvnPath)
#include "tst_svnpath.moc"
