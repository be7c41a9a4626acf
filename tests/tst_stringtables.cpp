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
    void removeRedundantItem_data();
    void removeRedundantItem();
    void removeRedundantItemMatchesQuadraticReference();
    void getFilteredList_data();
    void getFilteredList();
    void sortCaseInsensitive_data();
    void sortCaseInsensitive();
};

void TestStringTables::removeRedundantItem_data()
{
    QTest::addColumn<Table>("table");
    QTest::addColumn<Table>("expected");

    QTest::newRow("empty table") << Table() << Table();
    QTest::newRow("keys in QString order, groups reversed")
        << Table{{"a", "1"}, {"b", "2"}, {"a", "3"}, {"a", "1"}, {"B", "4"}}
        << Table{{"B", "4"}, {"a", "3"}, {"a", "1"}, {"b", "2"}};
    QTest::newRow("group lists latest first occurrence first")
        << Table{{"k", "1"}, {"k", "2"}, {"k", "1"}, {"k", "3"}, {"k", "2"}}
        << Table{{"k", "3"}, {"k", "2"}, {"k", "1"}};
    QTest::newRow("rows of different length differ")
        << Table{{"a"}, {"a", ""}, {"a"}} << Table{{"a", ""}, {"a"}};
    QTest::newRow("case makes rows and groups distinct")
        << Table{{"a", "x"}, {"A", "x"}} << Table{{"A", "x"}, {"a", "x"}};
    QTest::newRow("null and empty cells are equal")
        << Table{{QString(), "x"}, {"", "x"}, {"x", QString()}, {"x", ""}}
        << Table{{QString(), "x"}, {"x", QString()}};
    QTest::newRow("rows without cells dropped") << Table{{}, {"a"}, {}} << Table{{"a"}};
    QTest::newRow("only whole rows are duplicates")
        << Table{{"a", "1", "2"}, {"a", "1"}, {"a", "2", "1"}}
        << Table{{"a", "2", "1"}, {"a", "1"}, {"a", "1", "2"}};
}

void TestStringTables::removeRedundantItem()
{
    QFETCH(Table, table);
    QFETCH(Table, expected);
    QCOMPARE(TavShare::removeRedundantItem(table), expected);
}

// Few distinct cells make duplicates, shared keys and null/empty mixes common.
void TestStringTables::removeRedundantItemMatchesQuadraticReference()
{
    const QStringList cells{QString(), "", "a", "A", "b", "ab"};
    QRandomGenerator random(20240611);
    for (int round = 0; round < 500; ++round) {
        Table table;
        const int rowCount = random.bounded(60);
        for (int r = 0; r < rowCount; ++r) {
            QStringList row;
            const int cellCount = random.bounded(20) == 0 ? 0 : 1 + random.bounded(3);
            for (int c = 0; c < cellCount; ++c)
                row << cells.at(random.bounded(int(cells.size())));
            table << row;
        }
        const Table result = TavShare::removeRedundantItem(table);
        const Table reference = TavTest::quadraticRemoveRedundantItem(table);
        if (result != reference)
            QFAIL(qPrintable(QStringLiteral("differs from the reference in round %1").arg(round)));
    }
}

void TestStringTables::getFilteredList_data()
{
    QTest::addColumn<Table>("table");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("column");
    QTest::addColumn<Table>("expected");

    const Table table{{"1", "alpha"}, {"2", "Beta"}, {"3", ""}, {"4", "alpha", "x"}, {"5"}, {"1", "alpha"}};

    QTest::newRow("empty table") << Table() << QStringList{"alpha"} << 1 << Table();
    QTest::newRow("input order, duplicates kept")
        << table << QStringList{"alpha", "Beta"} << 1
        << Table{{"1", "alpha"}, {"2", "Beta"}, {"4", "alpha", "x"}, {"1", "alpha"}};
    QTest::newRow("first column") << table << QStringList{"4", "5"} << 0 << Table{{"4", "alpha", "x"}, {"5"}};
    QTest::newRow("short rows skipped") << table << QStringList{"x"} << 2 << Table{{"4", "alpha", "x"}};
    QTest::newRow("column beyond every row") << table << QStringList{"alpha"} << 3 << Table();
    QTest::newRow("no values") << table << QStringList() << 1 << Table();
    QTest::newRow("empty cell never selected") << table << QStringList{"", QString()} << 1 << Table();
    QTest::newRow("exact case") << table << QStringList{"beta", "ALPHA"} << 1 << Table();
    QTest::newRow("negative column") << table << QStringList{"1", "alpha"} << -1 << Table();
}

void TestStringTables::getFilteredList()
{
    QFETCH(Table, table);
    QFETCH(QStringList, values);
    QFETCH(int, column);
    QFETCH(Table, expected);
    QCOMPARE(TavShare::getFilteredList(table, values, column), expected);
}

void TestStringTables::sortCaseInsensitive_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty") << QStringList() << QStringList();
    QTest::newRow("one entry") << QStringList{"b"} << QStringList{"b"};
    QTest::newRow("upper case first within a letter")
        << QStringList{"b", "A", "a", "B"} << QStringList{"A", "a", "B", "b"};
    QTest::newRow("equal strings stay together")
        << QStringList{"b", "a", "b", "A"} << QStringList{"A", "a", "b", "b"};
    QTest::newRow("punctuation compared with lower-case letters")
        << QStringList{"Z", "a", "_", "A"} << QStringList{"_", "A", "a", "Z"};
    QTest::newRow("Unicode lower-casing")
        << QStringList{"\u00e9mile", "zeta", "\u00c9mile", "eagle"}
        << QStringList{"eagle", "zeta", "\u00c9mile", "\u00e9mile"};
    QTest::newRow("prefix first") << QStringList{"Apple pie", "apple", "APPLE"}
                                  << QStringList{"APPLE", "apple", "Apple pie"};
}

void TestStringTables::sortCaseInsensitive()
{
    QFETCH(QStringList, list);
    QFETCH(QStringList, expected);
    TavShare::tavQStringListSortCaseInSensitive(list);
    QCOMPARE(list, expected);
}

TAVTEST_MAIN(TestStringTables)
#include "tst_stringtables.moc"
