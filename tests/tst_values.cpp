// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "LinePlotData.h"
#include "TavShare.h"
#include "tavshare_version.h"
#include "tablereference.h"
#include "tavtest.h"

#include <QRandomGenerator>

#include <cmath>
#include <ctime>
#include <limits>

using Table = QList<QStringList>;
Q_DECLARE_METATYPE(Table)

// Programs compare versions in the preprocessor.
#if TAVSHARE_VERSION < TAVSHARE_VERSION_CHECK(2, 3, 0)
#error "TAVSHARE_VERSION does not compare as a version"
#endif

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
        QVERIFY(found);
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
        // Up to 1000 turns step by step, rounding included; beyond, the exact remainder.
        QTest::newRow("1000 turns, step by step") << 1000 * twoPi << nanValue << 2.4833468614815501e-11;
        QTest::newRow("just beyond 1000 turns") << std::nextafter(1000 * twoPi, infinity) << nanValue << 5.1159076974727213e-13;
        QTest::newRow("-(1000 turns + 4), remainder below -pi") << -(1000 * twoPi + 4) << nanValue << 2.2831853071799841;
        QTest::newRow("-(2^20 turns + 1)") << -(std::ldexp(twoPi, 20) + 1.0) << nanValue << -1.0;
        QTest::newRow("inf") << infinity << nanValue << nanValue;
        QTest::newRow("middle, increasing: the mean") << 0.0 << pi / 2 << 0.7853981633974483;
        QTest::newRow("middle, decreasing: through pi") << pi / 2 << 0.0 << -2.356194490192345;
        QTest::newRow("middle, 2 pi normalised first") << 0.1 << twoPi << -3.0915926535897933;
    }

    void angles()
    {
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(double, expected);
        const double actual = std::isnan(second) ? TavShare::getAngleBetweenPis(first) : TavShare::getMiddleAngleBetweenPis(first, second);
        QVERIFY(actual == expected || (std::isnan(actual) && std::isnan(expected)));
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
                table.append(QStringList());
                for (int c = random.bounded(20) == 0 ? 0 : 1 + random.bounded(3); c > 0; --c)
                    table.last() << cells.at(random.bounded(int(cells.size())));
            }
            QCOMPARE(TavShare::removeRedundantItem(table), TavTest::quadraticRemoveRedundantItem(table));
        }
    }

    // Exact case, input order and duplicates kept; short rows and empty cells never selected.
    void getFilteredList()
    {
        const Table table{{"1", "alpha"}, {"2", "Beta"}, {"3", ""}, {"4", "alpha", "x"}, {"5"}, {"1", "alpha"}};
        QCOMPARE(TavShare::getFilteredList(table, {"alpha", "Beta", "BETA"}, 1),
                 Table({{"1", "alpha"}, {"2", "Beta"}, {"4", "alpha", "x"}, {"1", "alpha"}}));
        QCOMPARE(TavShare::getFilteredList(table, {"2", "5"}, 0), Table({{"2", "Beta"}, {"5"}}));
        QCOMPARE(TavShare::getFilteredList(table, {"x"}, 2), Table({{"4", "alpha", "x"}}));
        QCOMPARE(TavShare::getFilteredList(table, {"", QString()}, 1), Table());
        QCOMPARE(TavShare::getFilteredList(table, {"1", "alpha"}, -1), Table());
    }

    // Upper case first within a letter, punctuation among the lower-case letters, Unicode
    // lower-casing, prefixes first. Long runs of equal strings make a comparator that is not
    // strict run off the list.
    void sortCaseInsensitive()
    {
        QStringList list{"b", "\u00e9mile", "A", "_", "a", "zeta", "\u00c9mile", "Apple pie", "APPLE"};
        TavShare::tavQStringListSortCaseInSensitive(list);
        QCOMPARE(list, QStringList({"_", "A", "a", "APPLE", "Apple pie", "b", "zeta", "\u00c9mile", "\u00e9mile"}));
        QStringList runs;
        for (int i = 0; i < 2000; ++i)
            runs << (i % 2 ? "b" : "a");
        TavShare::tavQStringListSortCaseInSensitive(runs);
        QCOMPARE(runs.join(QString()), QString(1000, 'a') + QString(1000, 'b'));
    }

    // A line goes when its largest value is zero; the NaN of a first place counts as largest.
    // Erasing while walking the table must not disturb the other lines, nor trip over one
    // without a value vector. Leaks and double frees show under the sanitizer build. Only
    // update() tells observers.
    void removeZeroEntries()
    {
        const QList<QList<double>> values{{-1, 0}, {-1, -2}, {0, nanValue}, {nanValue, 0}, {}};
        const QList<bool> kept{false, true, false, true, true};
        LinePlotData data;
        QSignalSpy changed(&data, &LinePlotData::changed);
        for (long key = 0; key < 200; ++key)
            data.lines[key] = {"line", new std::vector<double>(values.at(key % 5).cbegin(), values.at(key % 5).cend())};
        data.lines[200] = {"null", nullptr};
        data.removeZeroEntries();
        QCOMPARE(data.lines.size(), size_t(121));
        for (const auto &line : data.lines)
            QVERIFY(line.first == 200 || kept.at(line.first % 5));
        QCOMPARE(changed.count(), 0);
        data.update();
        QCOMPARE(changed.count(), 1);
    }

    // The version text, the version header and the shared library's file names come from
    // the same build setting. The Qt 5 build's library has a name of its own, so that both
    // builds install side by side.
    void releaseFacts()
    {
        const QString version = QStringLiteral(TAVSHARE_VERSION_STRING);
        QCOMPARE(TavShare::getTavrelleCurrVersionQString(), version);
        QCOMPARE(QString::fromStdString(TavShare::getTavrelleCurrVersionStdString()), version);
        const QString library = QT_VERSION_MAJOR == 5 ? QStringLiteral("libTavShareQt5.so.") : QStringLiteral("libTavShare.so.");
        QCOMPARE(QStringLiteral(TAVSHARE_LIBRARY_FILE_NAME), library + version);
        QCOMPARE(QStringLiteral(TAVSHARE_LIBRARY_SONAME), library + QString::number(TAVSHARE_VERSION_MAJOR));
    }

    // Every credit bit adds a block of its own, in bit order; 0x0040 and the bits above
    // 0x8000 add none.
    void acknowledgements()
    {
        const QString opening = TavShare::acknowledgements("Orbelle", 0, false);
        QVERIFY(opening.startsWith("Orbelle\nVer " + TavShare::getTavrelleCurrVersionQString()
                                   + " \n\n(Build Revision: 5178)\n(SVN path: /tavrelle/trunk/Tavrelle)\n\n"));
        QCOMPARE(TavShare::acknowledgements("", 0xffff0040, false), opening.mid(7));
        QCOMPARE(TavShare::acknowledgements("Orbelle", 0, true),
                 QString(opening).replace(" \n\n(Build", " \n\nThis is an experimental (NOT AN OFFICIAL) release. \n\n(Build"));
        QString allBlocks;
        for (unsigned long bit = 0x0001; bit <= 0x8000; bit <<= 1) {
            const QString block = TavShare::acknowledgements("Orbelle", bit, false).mid(opening.size());
            QCOMPARE(block.isEmpty(), bit == 0x0040);
            allBlocks += block;
        }
        QCOMPARE(TavShare::acknowledgements("Orbelle", 0xffff, false), opening + allBlocks);
        QVERIFY(allBlocks.startsWith("* Boost\tVarious contributors.\n\tUsed under the Boost license 1.0\n"));
    }
};

TAVTEST_MAIN(TestValues)
#include "tst_values.moc"
