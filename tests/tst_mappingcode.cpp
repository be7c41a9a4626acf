// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tavtest.h"

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

class TestMappingCode : public QObject
{
    Q_OBJECT

private slots:
    void reverse_data();
    void reverse();
    void reversingTwiceRestoresPermutations();
};

void TestMappingCode::reverse_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty text is one entry") << "" << "0";
    QTest::newRow("single entry") << "0" << "0";
    QTest::newRow("single entry out of range") << "7" << "0";
    QTest::newRow("permutation") << "2;0;1" << "1;2;0";
    QTest::newRow("identity") << "0;1;2;3" << "0;1;2;3";
    QTest::newRow("last position wins") << "1;1" << "0;1";
    QTest::newRow("trailing separator adds an entry") << "0;1;" << "2;1;0";
    QTest::newRow("too large ignored") << "5;0;1" << "1;2;0";
    QTest::newRow("negative ignored") << "-1;0;1" << "1;2;0";
    QTest::newRow("all non-numeric") << "a;b;c;d" << "3;0;0;0";
    QTest::newRow("read as QString::toInt does") << " 2;+0;1 " << "1;2;0";
    QTest::newRow("not decimal integers count as 0") << "1;0x2;1.0;2147483648;1e1" << "4;0;0;0;0";
}

void TestMappingCode::reverse()
{
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(TavShare::getReverseMappingCode(code), expected);
}

void TestMappingCode::reversingTwiceRestoresPermutations()
{
    QRandomGenerator random(42);
    for (int size = 1; size <= 200; ++size) {
        std::vector<int> permutation(size);
        std::iota(permutation.begin(), permutation.end(), 0);
        std::shuffle(permutation.begin(), permutation.end(), random);
        QStringList entries;
        for (int value : permutation)
            entries << QString::number(value);
        const QString code = entries.join(QLatin1Char(';'));

        const QString reversed = TavShare::getReverseMappingCode(code);
        const QStringList reversedEntries = reversed.split(QLatin1Char(';'));
        QCOMPARE(reversedEntries.size(), size);
        for (int position = 0; position < size; ++position)
            QCOMPARE(reversedEntries.at(permutation[position]).toInt(), position);
        QCOMPARE(TavShare::getReverseMappingCode(reversed), code);
    }
}

TAVTEST_MAIN(TestMappingCode)
#include "tst_mappingcode.moc"
