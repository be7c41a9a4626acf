// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// The small operations: their text forms (units, names, number formats, mapping codes,
// identifiers) and their values (angles, string tables, line plots, the random engine,
// the release facts).

#include "LinePlotData.h"
#include "TavShare.h"
#include "scientificformat_p.h"
#include "tablereference.h"
#include "tavshare_version.h"
#include "tavtest.h"

#include <QRandomGenerator>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>
#include <numeric>
#include <random>

using Table = QList<QStringList>;
using TextFunction = QString (*)(const QString &);
Q_DECLARE_METATYPE(TextFunction)

// Programs compare versions in the preprocessor.
#if TAVSHARE_VERSION < TAVSHARE_VERSION_CHECK(2, 3, 0)
#error "TAVSHARE_VERSION does not compare as a version"
#endif

static constexpr double pi = 3.141592653589793;
static constexpr double twoPi = 6.283185307179586;
static const double nanValue = std::numeric_limits<double>::quiet_NaN();
static const double infinity = std::numeric_limits<double>::infinity();

class TestOperations : public QObject
{
    Q_OBJECT

private slots:
    // Runs first, before anything draws from the engine, which was seeded when the program
    // started.
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

    // Every unit has a text of its own; the micro sign is U+00B5, never the Greek mu.
    void units()
    {
        QSet<QString> texts;
        for (int type = TavShare::UnitSquareMicrometerPerSecond; type <= TavShare::UnitMicrometer; ++type)
            texts << TavShare::getUnit(TavShare::UnitType(type));
        QCOMPARE(texts.size(), 15);
        QVERIFY(!texts.contains(QString()));
        QCOMPARE(TavShare::getUnit(TavShare::UnitSquareMicrometerPerSecond), QStringView(u"\u00B5m\u00B2/s").toString());

        TavTest::MessageCapture capture;
        QVERIFY(TavShare::getUnit(TavShare::UnitType(15)).isNull());
        QVERIFY(TavShare::getUnicodeString(TavShare::UnicodeType(-1)).isNull());
        QCOMPARE(capture.texts(), QStringList({"Error found at QString TavShare::getUnit(int unitType)  15", "no unicode type defined"}));
    }

    // Texts in, text out: the first forbidden string of a name (in the list's order), the
    // reversed mapping code, an identifier's text form after parsing (blanks skipped anywhere,
    // trailing text ignored, any other form the nil identifier) and through QUuid.
    void textForms_data()
    {
        QTest::addColumn<TextFunction>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        const TextFunction name = &TavShare::hasIllegalChars, mapping = &TavShare::getReverseMappingCode;
        const TextFunction identifier = [](const QString &text) { return TavShare::boostUuid2QString(TavShare::qString2boostUuid(text)); };
        const TextFunction quuid = [](const QString &text) {
            return TavShare::boostUuid2QUuid(TavShare::qString2boostUuid(text)).toString(QUuid::WithoutBraces);
        };
        QTest::newRow("name: words, digits, other punctuation") << name << "cell's membrane 2 a/b & c" << QString();
        QTest::newRow("name: list order, not text order") << name << "a>b;c" << ";";
        QTest::newRow("name: upper-case XML") << name << "XML" << QString();
        for (const QString &forbidden : TavShare::listOfIllegalChars())
            QTest::newRow(qPrintable("name: " + forbidden)) << name << "my" + forbidden + "file" << forbidden;
        QTest::newRow("mapping: empty text is one entry") << mapping << "" << "0";
        QTest::newRow("mapping: last position wins") << mapping << "1;1" << "0;1";
        QTest::newRow("mapping: out of range ignored") << mapping << "5;-1;1;0" << "3;2;0;0";
        QTest::newRow("mapping: read as QString::toInt does") << mapping << " 2;+0;1 ;1.0;0x2;2147483648" << "5;2;0;0;0;0";
        const QString counting = "01020304-0506-0708-090a-0b0c0d0e0f10", nil = "00000000-0000-0000-0000-000000000000";
        QTest::newRow("identifier: case, blanks, trailing text") << identifier << " \t0102 0304-0506-0708-090A-0b0C0d0E0f10}x" << counting;
        QTest::newRow("identifier: misplaced dash") << identifier << "0102030-40506-0708-090a-0b0c0d0e0f10" << nil;
        QTest::newRow("identifier: QUuid keeps the byte order") << quuid << counting << counting;
    }

    void textForms()
    {
        QFETCH(TextFunction, function);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString result = function(text);
        QCOMPARE(result, expected);
        QCOMPARE(result.isNull(), expected.isNull());
    }

    void reversedCodeIsTheInversePermutation()
    {
        std::mt19937 random(42);
        for (int size = 1; size <= 200; ++size) {
            std::vector<int> permutation(size);
            std::iota(permutation.begin(), permutation.end(), 0);
            std::shuffle(permutation.begin(), permutation.end(), random);
            QStringList entries;
            std::vector<QString> inverse(size);
            for (int position = 0; position < size; ++position) {
                entries << QString::number(permutation[position]);
                inverse[permutation[position]] = QString::number(position);
            }
            QCOMPARE(TavShare::getReverseMappingCode(entries.join(';')), QStringList(inverse.cbegin(), inverse.cend()).join(';'));
        }
    }

    void scientificFormat_data()
    {
        QTest::addColumn<QString>("numberStr");
        QTest::addColumn<int>("dataFormat");
        QTest::addColumn<int>("precision");
        QTest::addColumn<bool>("withZeroEndAfterDecimal");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("plain"); // handled without Qt's conversions

        const QString none, notANumber = "Error found in QString TavShare::getScientificFormat(const QString & numberStr):  ";
        const QString unlisted = "Error 1 found at QString TavShare::getScientificFormat(const QString & numberStr, "
                                 "int dataFormat, int precision, bool withZeroEndAfterDecimal) ";
        QTest::newRow("exponent, zeros dropped") << "120000" << 0 << 3 << false << "1.2e+05" << none << true;
        // Exact binary ties round away from zero, where to_chars picks the even digit. The
        // comparison with Qt's formatting below covers the rest of the plain path.
        QTest::newRow("tie, into the next exponent") << "-9.5" << 0 << 0 << false << "-1e+01" << none << true;
        // Left to Qt: what from_chars reads differently or not at all, and negative precisions.
        QTest::newRow("negative precision") << "1.5" << 0 << -1 << false << "1.50000e+00" << none << false;
        QTest::newRow("most negative precision, zeros kept") << "2" << 1 << INT_MIN << true << "2.000000" << none << false;
        QTest::newRow("minus inf") << "-inf" << 2 << 2 << false << "-inf" << none << false;
        QTest::newRow("longer than the plain path reads") << "1" + QString(200, '0') << 0 << 2 << false << "1e+200" << none << false;
        // The smallest subnormal has the longest exact expansion of any double, 1074 decimals
        // ending in 5. No precision, however large, may lose a digit of it; beyond, Qt pads
        // with zeros, and so must the library, up to the precisions Qt converts.
        QTest::newRow("every digit of the smallest subnormal") << "4.9406564584124654e-324" << 1 << INT_MAX << false
                                                               << QString::number(std::numeric_limits<double>::denorm_min(), 'f', 1074) << none << true;
        QTest::newRow("padded beyond the longest expansion") << "-1.5" << 0 << 1500 << true << QString::number(-1.5, 'e', 1500) << none << false;
        QTest::newRow("padded, fixed form") << "0.5" << 1 << 1075 << true << QString::number(0.5, 'f', 1075) << none << false;
        QTest::newRow("beyond what Qt converts") << "1.5" << 1 << INT_MAX << true << "1.5"
                                                 << "Error 2 found at QString TavShare::getScientificFormat(const QString & numberStr, "
                                                    "int dataFormat, int precision, bool withZeroEndAfterDecimal) 2147483647" << false;
        QTest::newRow("blanks only") << "   " << 0 << 3 << false << "" << none << false;
        // No number: the text as it stands. An unlisted format trims the zeros of the text
        // itself, bounded by precision.
        QTest::newRow("letters") << "abc" << 0 << 3 << false << "abc" << notANumber + "\"abc\"" << false;
        QTest::newRow("a character beyond ASCII inside digits") << QString::fromUtf8("1\u00b75") << 0 << 3 << false << QString::fromUtf8("1\u00b75")
                                                               << notANumber + QString::fromUtf8("\"1\u00b75\"") << false;
        QTest::newRow("unlisted, bounded by precision") << "1.5000" << 7 << 1 << false << "1.50" << unlisted << false;
    }

    // Both ways give the text; the plain one takes only what it can write exactly.
    void scientificFormat()
    {
        QFETCH(QString, numberStr);
        QFETCH(int, dataFormat);
        QFETCH(int, precision);
        QFETCH(bool, withZeroEndAfterDecimal);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        QFETCH(bool, plain);
        TavTest::MessageCapture capture;
        QCOMPARE(TavShare::getScientificFormat(numberStr, dataFormat, precision, withZeroEndAfterDecimal), expected);
        QCOMPARE(capture.texts(), message.isNull() ? QStringList() : QStringList{message});
        QCOMPARE(TavShareScientificFormat::formatPlainNumber(numberStr, dataFormat, precision, withZeroEndAfterDecimal),
                 plain ? expected : QString());
    }

    // Whatever the plain path takes, it writes exactly as Qt's conversions do. Each family of
    // texts gives a number text and a precision; it stops at the first difference.
    void plainPathMatchesQt()
    {
        TavTest::MessageCapture quiet;
        std::mt19937_64 random(13);
        const auto randomInt = [&random](int below) { return int(random() % unsigned(below)); };
        const auto randomDouble = [&random] {
            const quint64 bits = random();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        };
        const auto write = [](double value, std::chars_format format = std::chars_format::general, int precision = 17) {
            char text[64];
            return QString::fromLatin1(text, int(std::to_chars(text, text + sizeof text, value, format, precision).ptr - text));
        };
        const double extremes[] = {std::numeric_limits<double>::denorm_min(), 2.2250738585072009e-308, 2.2250738585072014e-308,
                                   std::numeric_limits<double>::max(), 1e-308, 1e308, 0.01, 100.0, 1e22, 1e23, 99.5, 0.995, 0.0};
        using Case = std::pair<QString, int>;
        const std::function<Case()> families[] = {
            [&] { return Case(write(randomDouble()), randomInt(21)); },
            [&] {
                const QString decimals = QString::number(randomInt(1000)).rightJustified(3, '0').left(randomInt(4));
                return Case(QString::number(randomInt(2000000) - 1000000) + '.' + decimals, randomInt(9));
            },
            [&] { // exact binary ties, at the precision where they tie and around it
                const int bits = 1 + randomInt(60);
                return Case(write(std::ldexp(2 * randomInt(1 << 20) + 1, -bits), std::chars_format::scientific, 40), randomInt(bits + 8));
            },
            [&] { return Case(write((2 * randomInt(20) + 1) * 5 * std::pow(10.0, randomInt(17))), randomInt(18)); },
            [&] { // extremes and their neighbours, up to precisions beyond the longest expansion
                const double extreme = extremes[randomInt(std::size(extremes))];
                const double neighbours[] = {extreme, std::nextafter(extreme, 0.0), std::nextafter(extreme, 1e300), -extreme};
                const int precisions[] = {randomInt(41), randomInt(1100), INT_MAX};
                return Case(write(neighbours[randomInt(4)]), precisions[randomInt(3)]);
            },
            [&] { // long digit strings near halfway between two doubles
                const double value = randomDouble();
                const long double middle = (value + static_cast<long double>(std::nextafter(value, 0.0))) / 2;
                char halfway[96];
                const int length = std::snprintf(halfway, sizeof halfway, "%.*Le", 17 + randomInt(40), middle);
                return Case(QString::fromLatin1(halfway, length), randomInt(18));
            },
            [&] { // near-numbers
                QString text;
                for (int length = 1 + randomInt(10); length > 0; --length)
                    text += QLatin1Char("0123456789.eE+- "[randomInt(randomInt(3) == 0 ? 16 : 10)]);
                return Case(text, randomInt(7));
            },
        };
        for (const auto &family : families) {
            for (int i = 0; i < 10000; ++i) {
                const auto [text, precision] = family();
                for (const int dataFormat : {0, 1, 2}) {
                    for (const bool keepZeros : {false, true}) {
                        const QString plain = TavShareScientificFormat::formatPlainNumber(text, dataFormat, precision, keepZeros);
                        if (!plain.isNull())
                            QCOMPARE(plain, TavShareScientificFormat::formatWithQt(text, dataFormat, precision, keepZeros));
                    }
                }
            }
        }
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

    // The string tables. Redundant rows go as the quadratic reference has it: few distinct
    // cells make duplicates, shared keys, prefix rows, null/empty mixes and rows without
    // cells common.
    void stringTables()
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
        // Filtering: exact case, input order and duplicates kept; short rows and empty cells
        // never selected.
        const Table table{{"1", "alpha"}, {"2", "Beta"}, {"3", ""}, {"4", "alpha", "x"}, {"5"}, {"1", "alpha"}};
        QCOMPARE(TavShare::getFilteredList(table, {"alpha", "Beta", "BETA"}, 1),
                 Table({{"1", "alpha"}, {"2", "Beta"}, {"4", "alpha", "x"}, {"1", "alpha"}}));
        QCOMPARE(TavShare::getFilteredList(table, {"2", "5"}, 0), Table({{"2", "Beta"}, {"5"}}));
        QCOMPARE(TavShare::getFilteredList(table, {"x"}, 2), Table({{"4", "alpha", "x"}}));
        QCOMPARE(TavShare::getFilteredList(table, {"", QString()}, 1), Table());
        QCOMPARE(TavShare::getFilteredList(table, {"1", "alpha"}, -1), Table());
        // Sorting: upper case first within a letter, punctuation among the lower-case
        // letters, Unicode lower-casing, prefixes first. Long runs of equal strings make a
        // comparator that is not strict run off the list.
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

    // Both version texts and the acknowledgements give the version of the version header.
    // Every credit bit adds a block of its own, in bit order; 0x0040 and the bits above
    // 0x8000 add none.
    void releaseTexts()
    {
        const QString version = QStringLiteral(TAVSHARE_VERSION_STRING);
        QCOMPARE(TavShare::getTavrelleCurrVersionQString(), version);
        QCOMPARE(TavShare::getTavrelleCurrVersionStdString(), version.toStdString());
        const QString opening = TavShare::acknowledgements("Orbelle", 0, false);
        QVERIFY(opening.startsWith("Orbelle\nVer " + version
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

TAVTEST_MAIN(TestOperations)
#include "tst_operations.moc"
