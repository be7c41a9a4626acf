// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "tablereference.h"
#include "tavtest.h"

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include <QRandomGenerator>

#include <cmath>
#include <ctime>
#include <limits>
#include <numeric>

using Table = QList<QStringList>;
using Uuid = boost::uuids::uuid;
Q_DECLARE_METATYPE(Table)
Q_DECLARE_METATYPE(Uuid)

namespace boost::uuids {
// Found by QCOMPARE to print identifiers that differ.
char *toString(const uuid &value)
{
    return qstrdup(to_string(value).c_str());
}
} // namespace boost::uuids

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

    // The expected angles are exact doubles, compared bit for bit (NaN matching NaN). The
    // middle angle is tested when second is not NaN.
    void angles_data()
    {
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<double>("expected");

        QTest::newRow("3 pi ends at the upper end") << 3 * pi << nanValue << pi;
        QTest::newRow("-3 pi ends at the lower end") << -3 * pi << nanValue << -pi;
        QTest::newRow("-2 pi") << -twoPi << nanValue << 0.0;
        QTest::newRow("100, rounding of sixteen steps") << 100.0 << nanValue << -0.5309649148734152;
        // Up to 1000 turns step by step, rounding included; beyond, the exact remainder.
        QTest::newRow("1000 turns, step by step") << 1000 * twoPi << nanValue << 2.4833468614815501e-11;
        QTest::newRow("just beyond 1000 turns") << std::nextafter(1000 * twoPi, infinity) << nanValue << 5.1159076974727213e-13;
        QTest::newRow("-(1000 turns + 4), remainder below -pi") << -(1000 * twoPi + 4) << nanValue << 2.2831853071799841;
        QTest::newRow("-(2^20 turns + 1)") << -(std::ldexp(twoPi, 20) + 1.0) << nanValue << -1.0;
        QTest::newRow("2^1000 turns") << std::ldexp(twoPi, 1000) << nanValue << 0.0;
        QTest::newRow("inf") << infinity << nanValue << nanValue;
        QTest::newRow("middle, increasing: the mean") << 0.0 << pi / 2 << 0.7853981633974483;
        QTest::newRow("middle, decreasing: through pi") << pi / 2 << 0.0 << -2.356194490192345;
        QTest::newRow("middle, pi to -pi") << pi << -pi << pi;
        QTest::newRow("middle, -pi to pi") << -pi << pi << 0.0;
        QTest::newRow("middle, 2 pi normalised first") << 0.1 << twoPi << -3.0915926535897933;
        QTest::newRow("middle, -inf first") << -infinity << 1.0 << nanValue;
    }

    void angles()
    {
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(double, expected);
        const double actual = std::isnan(second) ? TavShare::getAngleBetweenPis(first)
                                                 : TavShare::getMiddleAngleBetweenPis(first, second);
        QVERIFY2(actual == expected || (std::isnan(actual) && std::isnan(expected)), qPrintable(QString::number(actual, 'g', 17)));
    }

    // The order of multiplication and division decides the last bit.
    void degreesAndRadians()
    {
        QVERIFY(TavShare::getAngleFromDegree(1.0) == 0.017453292519943295);
        QVERIFY(TavShare::getDegreeFromAngle(1.0) == 57.29577951308232);
    }

    void removeRedundantItem_data()
    {
        QTest::addColumn<Table>("table");
        QTest::addColumn<Table>("expected");

        QTest::newRow("keys in QString order, groups reversed")
            << Table{{"a", "1"}, {"b", "2"}, {"a", "3"}, {"a", "1"}, {"B", "4"}} << Table{{"B", "4"}, {"a", "3"}, {"a", "1"}, {"b", "2"}};
        QTest::newRow("rows of different length differ") << Table{{"a"}, {"a", ""}, {"a"}} << Table{{"a", ""}, {"a"}};
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
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("column");
        QTest::addColumn<Table>("expected");

        QTest::newRow("input order, duplicates kept") << QStringList{"alpha", "Beta"} << 1
                                                      << Table{{"1", "alpha"}, {"2", "Beta"}, {"4", "alpha", "x"}, {"1", "alpha"}};
        QTest::newRow("first column") << QStringList{"2", "5"} << 0 << Table{{"2", "Beta"}, {"5"}};
        QTest::newRow("short rows skipped") << QStringList{"x"} << 2 << Table{{"4", "alpha", "x"}};
        QTest::newRow("empty cell never selected") << QStringList{"", QString()} << 1 << Table();
        QTest::newRow("exact case") << QStringList{"beta", "ALPHA"} << 1 << Table();
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

    void sortCaseInsensitive()
    {
        QStringList list{"b", "\u00e9mile", "A", "_", "a", "zeta", "B", "\u00c9mile", "Apple pie", "b", "APPLE"};
        TavShare::tavQStringListSortCaseInSensitive(list);
        QCOMPARE(list, QStringList({"_", "A", "a", "APPLE", "Apple pie", "B", "b", "b", "zeta", "\u00c9mile", "\u00e9mile"}));
    }

    // Rows marked canonical hold the text form of the identifier; the others only parse to it.
    void identifiers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Uuid>("uuid");
        QTest::addColumn<bool>("canonical");

        Uuid counting = boost::uuids::nil_uuid();
        std::iota(counting.begin(), counting.end(), 1);
        QTest::newRow("nil") << "00000000-0000-0000-0000-000000000000" << boost::uuids::nil_uuid() << true;
        QTest::newRow("bytes 1 to 16") << "01020304-0506-0708-090a-0b0c0d0e0f10" << counting << true;
        QTest::newRow("mixed case, blanks") << " \t0102 0304-0506-0708-090A-0b0C0d0E0f10}xyz" << counting << false;
        QTest::newRow("braces") << "{01020304-0506-0708-090a-0b0c0d0e0f10}" << boost::uuids::nil_uuid() << false;
        QTest::newRow("bad last digit") << "01020304-0506-0708-090a-0b0c0d0e0f1g" << boost::uuids::nil_uuid() << false;
        QTest::newRow("misplaced dash") << "0102030-40506-0708-090a-0b0c0d0e0f10" << boost::uuids::nil_uuid() << false;
    }

    void identifiers()
    {
        QFETCH(QString, text);
        QFETCH(Uuid, uuid);
        QFETCH(bool, canonical);
        QCOMPARE(TavShare::qString2boostUuid(text), uuid);
        if (canonical) {
            QCOMPARE(TavShare::boostUuid2QString(uuid), text);
            QCOMPARE(TavShare::boostUuid2QUuid(uuid), QUuid(text));
        }
    }

    void identifierRoundTrip()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 1000; ++round) {
            Uuid uuid;
            for (quint8 &byte : uuid)
                byte = quint8(random.bounded(256));
            const QString text = TavShare::boostUuid2QString(uuid);
            QCOMPARE(TavShare::qString2boostUuid(text.toUpper()), uuid);
            QCOMPARE(TavShare::boostUuid2QUuid(uuid), QUuid(text));
        }
    }

    void reverseMappingCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty text is one entry") << "" << "0";
        QTest::newRow("last position wins") << "1;1" << "0;1";
        QTest::newRow("trailing separator adds an entry") << "0;1;" << "2;1;0";
        QTest::newRow("out of range ignored") << "5;-1;1;0" << "3;2;0;0";
        QTest::newRow("read as QString::toInt does") << " 2;+0;1 " << "1;2;0";
        QTest::newRow("not decimal integers count as 0") << "1;0x2;1.0;2147483648;1e1" << "4;0;0;0;0";
    }

    void reverseMappingCode()
    {
        QFETCH(QString, code);
        QFETCH(QString, expected);
        QCOMPARE(TavShare::getReverseMappingCode(code), expected);
    }

    void reversingTwiceRestoresPermutations()
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
            const QStringList reversed = TavShare::getReverseMappingCode(code).split(QLatin1Char(';'));
            QCOMPARE(reversed.size(), size);
            for (int position = 0; position < size; ++position)
                QCOMPARE(reversed.at(permutation[position]).toInt(), position);
            QCOMPARE(TavShare::getReverseMappingCode(reversed.join(QLatin1Char(';'))), code);
        }
    }
};

TAVTEST_MAIN(TestValues)
#include "tst_values.moc"
