// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tablereference.h"
#include "tavtest.h"

#include <QRandomGenerator>

using Table = QList<QStringList>;
Q_DECLARE_METATYPE(Table)

class TestStringTables : public QObject
{
    Q_OBJECT

private slots:
    void removeRedundantItem_data()
    {
        QTest::addColumn<Table>("table");
        QTest::addColumn<Table>("expected");

        QTest::newRow("empty table") << Table() << Table();
        QTest::newRow("keys in QString order, groups reversed")
            << Table{{"a", "1"}, {"b", "2"}, {"a", "3"}, {"a", "1"}, {"B", "4"}}
            << Table{{"B", "4"}, {"a", "3"}, {"a", "1"}, {"b", "2"}};
        QTest::newRow("group lists latest first occurrence first")
            << Table{{"k", "1"}, {"k", "2"}, {"k", "1"}, {"k", "3"}, {"k", "2"}} << Table{{"k", "3"}, {"k", "2"}, {"k", "1"}};
        QTest::newRow("rows of different length differ") << Table{{"a"}, {"a", ""}, {"a"}} << Table{{"a", ""}, {"a"}};
        QTest::newRow("case makes rows and groups distinct") << Table{{"a", "x"}, {"A", "x"}} << Table{{"A", "x"}, {"a", "x"}};
    }

    void removeRedundantItem()
    {
        QFETCH(Table, table);
        QFETCH(Table, expected);
        QCOMPARE(TavShare::removeRedundantItem(table), expected);
    }

    // Few distinct cells make duplicates, shared keys, prefix rows, null/empty mixes and
    // rows without cells common.
    void removeRedundantItemMatchesQuadraticReference()
    {
        const QStringList cells{QString(), "", "a", "A", "b", "ab"};
        QRandomGenerator random(20240611);
        for (int round = 0; round < 500; ++round) {
            Table table;
            for (int rowCount = random.bounded(60); table.size() < rowCount;) {
                QStringList row;
                for (int c = random.bounded(20) == 0 ? 0 : 1 + random.bounded(3); c > 0; --c)
                    row << cells.at(random.bounded(int(cells.size())));
                table << row;
            }
            if (TavShare::removeRedundantItem(table) != TavTest::quadraticRemoveRedundantItem(table))
                QFAIL(qPrintable(QStringLiteral("differs from the reference in round %1").arg(round)));
        }
    }

    void getFilteredList_data()
    {
        QTest::addColumn<Table>("table");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("column");
        QTest::addColumn<Table>("expected");

        const Table table{{"1", "alpha"}, {"2", "Beta"}, {"3", ""}, {"4", "alpha", "x"}, {"5"}, {"1", "alpha"}};
        QTest::newRow("empty table") << Table() << QStringList{"alpha"} << 1 << Table();
        QTest::newRow("input order, duplicates kept") << table << QStringList{"alpha", "Beta"} << 1
                                                      << Table{{"1", "alpha"}, {"2", "Beta"}, {"4", "alpha", "x"}, {"1", "alpha"}};
        QTest::newRow("short rows skipped") << table << QStringList{"x"} << 2 << Table{{"4", "alpha", "x"}};
        QTest::newRow("column beyond every row") << table << QStringList{"alpha"} << 3 << Table();
        QTest::newRow("no values") << table << QStringList() << 1 << Table();
        QTest::newRow("empty cell never selected") << table << QStringList{"", QString()} << 1 << Table();
        QTest::newRow("exact case") << table << QStringList{"beta", "ALPHA"} << 1 << Table();
        QTest::newRow("negative column") << table << QStringList{"1", "alpha"} << -1 << Table();
    }

    void getFilteredList()
    {
        QFETCH(Table, table);
        QFETCH(QStringList, values);
        QFETCH(int, column);
        QFETCH(Table, expected);
        QCOMPARE(TavShare::getFilteredList(table, values, column), expected);
    }

    void sortCaseInsensitive_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("one entry") << QStringList{"b"} << QStringList{"b"};
        QTest::newRow("upper case first within a letter") << QStringList{"b", "A", "a", "B"} << QStringList{"A", "a", "B", "b"};
        QTest::newRow("equal strings stay together") << QStringList{"b", "a", "b", "A"} << QStringList{"A", "a", "b", "b"};
        QTest::newRow("punctuation compared with lower-case letters")
            << QStringList{"Z", "a", "_", "A"} << QStringList{"_", "A", "a", "Z"};
        QTest::newRow("Unicode lower-casing") << QStringList{"\u00e9mile", "zeta", "\u00c9mile", "eagle"}
                                              << QStringList{"eagle", "zeta", "\u00c9mile", "\u00e9mile"};
        QTest::newRow("prefix first") << QStringList{"Apple pie", "apple", "APPLE"} << QStringList{"APPLE", "apple", "Apple pie"};
    }

    void sortCaseInsensitive()
    {
        QFETCH(QStringList, list);
        QFETCH(QStringList, expected);
        TavShare::tavQStringListSortCaseInSensitive(list);
        QCOMPARE(list, expected);
    }
};

TAVTEST_MAIN(TestStringTables)
#include "tst_stringtables.moc"
