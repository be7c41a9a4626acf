// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "LinePlotData.h"
#include "TavShare.h"
#include "tablereference.h"
#include "tavtest.h"

#include <QRandomGenerator>

#include <cmath>
#include <ctime>
#include <limits>

using Table = QList<QStringList>;
Q_DECLARE_METATYPE(Table)

static constexpr double pi = 3.141592653589793;
static constexpr double twoPi = 6.283185307179586;
static const double nanValue = std::numeric_limits<double>::quiet_NaN();
static const double infinity = std::numeric_limits<double>::infinity();

class TestValues : public QObject
{
    Q_OBJECT

private slots:
    // Runs first, before anything draws from the engine; the library was loaded at or
    // shortly before the test's start.
    void engineSeededWithLoadTime()
    {
        const auto first = TavShare::MersenneTwister(), second = TavShare::MersenneTwister();
        bool found = false;
        for (std::time_t seed = std::time(nullptr), oldest = seed - 120; seed >= oldest && !found; --seed) {
            boost::mt19937 engine(static_cast<std::uint32_t>(seed));
            found = engine() == first && engine() == second;
        }
        QVERIFY2(found, "the engine is not seeded with a time at or just before the test's start");
    }

    // Exact doubles, compared bit for bit (NaN matching NaN); the middle angle where second
    // is a number.
    void angles_data()
    {
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<double>("expected");

        QTest::newRow("3 pi ends at the upper end") << 3 * pi << nanValue << pi;
        QTest::newRow("-3 pi ends at the lower end") << -3 * pi << nanValue << -pi;
        QTest::newRow("100, rounding of sixteen steps") << 100.0 << nanValue << -0.5309649148734152;
        // Up to 1000 turns step by step, rounding included; beyond, the exact remainder.
        QTest::newRow("1000 turns, step by step") << 1000 * twoPi << nanValue << 2.4833468614815501e-11;
        QTest::newRow("just beyond 1000 turns") << std::nextafter(1000 * twoPi, infinity) << nanValue << 5.1159076974727213e-13;
        QTest::newRow("-(1000 turns + 4), remainder below -pi") << -(1000 * twoPi + 4) << nanValue << 2.2831853071799841;
        QTest::newRow("-(2^20 turns + 1)") << -(std::ldexp(twoPi, 20) + 1.0) << nanValue << -1.0;
        QTest::newRow("inf") << infinity << nanValue << nanValue;
        QTest::newRow("middle, increasing: the mean") << 0.0 << pi / 2 << 0.7853981633974483;
        QTest::newRow("middle, decreasing: through pi") << pi / 2 << 0.0 << -2.356194490192345;
        QTest::newRow("middle, -pi to pi") << -pi << pi << 0.0;
        QTest::newRow("middle, 2 pi normalised first") << 0.1 << twoPi << -3.0915926535897933;
    }

    void angles()
    {
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(double, expected);
        const double actual = std::isnan(second) ? TavShare::getAngleBetweenPis(first) : TavShare::getMiddleAngleBetweenPis(first, second);
        QVERIFY2(actual == expected || (std::isnan(actual) && std::isnan(expected)), qPrintable(QString::number(actual, 'g', 17)));
    }

    // The order of multiplication and division decides the last bit.
    void degreesAndRadians()
    {
        QVERIFY(TavShare::getAngleFromDegree(1.0) == 0.017453292519943295);
        QVERIFY(TavShare::getDegreeFromAngle(1.0) == 57.29577951308232);
    }

    // Few distinct cells make duplicates, shared keys, prefix rows, null/empty mixes and
    // rows without cells common.
    void removeRedundantItemMatchesQuadraticReference()
    {
        QCOMPARE(TavShare::removeRedundantItem({{"a", "1"}, {"b"}, {"a", "3"}, {"a", "1"}, {"B", "4"}, {"b", ""}}),
                 Table({{"B", "4"}, {"a", "3"}, {"a", "1"}, {"b", ""}, {"b"}}));
        const QStringList cells{QString(), "", "a", "A", "b", "ab"};
        QRandomGenerator random(20240611);
        for (int round = 0; round < 500; ++round) {
            Table table;
            for (int rowCount = random.bounded(60); table.size() < rowCount;) {
                table.append(QStringList());
                for (int c = random.bounded(20) == 0 ? 0 : 1 + random.bounded(3); c > 0; --c)
                    table.last() << cells.at(random.bounded(int(cells.size())));
            }
            if (TavShare::removeRedundantItem(table) != TavTest::quadraticRemoveRedundantItem(table))
                QFAIL(qPrintable(QStringLiteral("differs from the reference in round %1").arg(round)));
        }
    }

    void getFilteredList_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("column");
        QTest::addColumn<Table>("expected");

        QTest::newRow("input order, duplicates, exact case") << QStringList{"alpha", "Beta", "BETA"} << 1
                                                             << Table{{"1", "alpha"}, {"2", "Beta"}, {"4", "alpha", "x"}, {"1", "alpha"}};
        QTest::newRow("first column") << QStringList{"2", "5"} << 0 << Table{{"2", "Beta"}, {"5"}};
        QTest::newRow("short rows skipped") << QStringList{"x"} << 2 << Table{{"4", "alpha", "x"}};
        QTest::newRow("empty cell never selected") << QStringList{"", QString()} << 1 << Table();
        QTest::newRow("negative column") << QStringList{"1", "alpha"} << -1 << Table();
    }

    void getFilteredList()
    {
        QFETCH(QStringList, values);
        QFETCH(int, column);
        QFETCH(Table, expected);
        const Table table{{"1", "alpha"}, {"2", "Beta"}, {"3", ""}, {"4", "alpha", "x"}, {"5"}, {"1", "alpha"}};
        QCOMPARE(TavShare::getFilteredList(table, values, column), expected);
    }

    // Upper case first within a letter, punctuation among the lower-case letters, Unicode
    // lower-casing, prefixes first. Long runs of equal strings make a comparator that is not
    // strict run off the list.
    void sortCaseInsensitive()
    {
        QStringList list{"b", "\u00e9mile", "A", "_", "a", "zeta", "B", "\u00c9mile", "Apple pie", "b", "APPLE"};
        TavShare::tavQStringListSortCaseInSensitive(list);
        QCOMPARE(list, QStringList({"_", "A", "a", "APPLE", "Apple pie", "B", "b", "b", "zeta", "\u00c9mile", "\u00e9mile"}));
        QStringList runs;
        for (int i = 0; i < 2000; ++i)
            runs << (i % 2 ? "b" : "a");
        TavShare::tavQStringListSortCaseInSensitive(runs);
        QCOMPARE(runs.join(QString()), QString(1000, 'a') + QString(1000, 'b'));
    }

    // A line goes when its largest value is zero; the NaN of a first place counts as largest.
    void removeZeroEntries_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<bool>("kept");

        QTest::newRow("negative then zero") << QList<double>{-1, 0} << false;
        QTest::newRow("negative zero") << QList<double>{-0.0} << false;
        QTest::newRow("zero then NaN") << QList<double>{0, nanValue} << false;
        QTest::newRow("all negative") << QList<double>{-1, -2} << true;
        QTest::newRow("zero, positive, zero") << QList<double>{0, 5, 0} << true;
        QTest::newRow("NaN then zero") << QList<double>{nanValue, 0} << true;
        QTest::newRow("no values") << QList<double>{} << true;
    }

    // Among neighbours of which every other one goes, and one without a value vector:
    // erasing while walking the table must not disturb the others. Leaks and double frees
    // show under the sanitizer build. Only update() tells observers, once per call.
    void removeZeroEntries()
    {
        QFETCH(QList<double>, values);
        QFETCH(bool, kept);
        LinePlotData data;
        QVERIFY(data.lines.empty() && data.baseValues && data.baseValues->empty());
        QSignalSpy changed(&data, &LinePlotData::changed);
        for (long key = 0; key < 200; ++key)
            data.lines[key] = {"neighbour", new std::vector<double>{double(key % 2)}};
        data.lines[1000] = {"tested", new std::vector<double>(values.cbegin(), values.cend())};
        data.lines[1001] = {"null", nullptr};
        data.removeZeroEntries();
        QCOMPARE(data.lines.count(1000), size_t(kept));
        QCOMPARE(data.lines.size(), size_t(kept ? 102 : 101));
        for (const auto &line : data.lines)
            QVERIFY(line.first >= 1000 || line.first % 2 == 1);
        QCOMPARE(changed.count(), 0);
        data.update();
        data.update();
        QCOMPARE(changed.count(), 2);
    }
};

TAVTEST_MAIN(TestValues)
#include "tst_values.moc"
