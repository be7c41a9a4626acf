// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include <TavShare.h>
#include <scientificformat_p.h>

#include <QRandomGenerator>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>

using TextFunction = QString (*)(const QString &);
Q_DECLARE_METATYPE(TextFunction)

class TestText : public QObject
{
    Q_OBJECT

private slots:
    // Special characters come only from getUnicodeString: one character each, the micro
    // sign U+00B5 and never the Greek mu.
    void units()
    {
        QString symbols;
        for (int type = TavShare::UnicodeDegreeSign; type <= TavShare::UnicodeDivisionSlash; ++type)
            symbols += TavShare::getUnicodeString(TavShare::UnicodeType(type));
        QCOMPARE(symbols, QStringView(u"\u00B0\u00B5\u00B7\u00B2\u00B3+=\u2192\u2215").toString());
        QCOMPARE(TavShare::getUnicodeDegree(), symbols.left(1));
        QSet<QString> texts;
        for (int type = TavShare::UnitSquareMicrometerPerSecond; type <= TavShare::UnitMicrometer; ++type) {
            const QString text = TavShare::getUnit(TavShare::UnitType(type));
            texts << text;
            QVERIFY(!text.isEmpty());
            for (const QChar c : text)
                QVERIFY2(c.unicode() < 0x80 || symbols.contains(c), qPrintable(text));
        }
        QCOMPARE(texts.size(), 15);
        QCOMPARE(TavShare::getUnit(TavShare::UnitSquareMicrometerPerSecond), QStringView(u"\u00B5m\u00B2/s").toString());

        TavTest::MessageCapture capture;
        QVERIFY(TavShare::getUnit(TavShare::UnitType(15)).isNull());
        QVERIFY(TavShare::getUnicodeString(TavShare::UnicodeType(-1)).isNull());
        QCOMPARE(capture.texts(), QStringList({"Error found at QString TavShare::getUnit(int unitType)  15", "no unicode type defined"}));
        for (const TavTest::MessageCapture::Message &message : capture.messages())
            QVERIFY(message.type == QtDebugMsg && message.category == QLatin1String("tavshare"));
    }

    // Texts in, text out: the first forbidden string of a name (in the list's order), the
    // reversed mapping code, an identifier's text form after parsing (blanks skipped anywhere,
    // trailing text ignored, any other form the nil identifier).
    void textForms_data()
    {
        QTest::addColumn<TextFunction>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        const TextFunction name = &TavShare::hasIllegalChars, mapping = &TavShare::getReverseMappingCode;
        const TextFunction identifier = [](const QString &text) { return TavShare::boostUuid2QString(TavShare::qString2boostUuid(text)); };
        QTest::newRow("name: words, digits, other punctuation") << name << "cell's membrane 2 a/b & c" << QString();
        QTest::newRow("name: list order, not text order") << name << "a>b;c" << ";";
        QTest::newRow("name: xml inside a word") << name << "myxmlfile" << "xml";
        QTest::newRow("name: upper-case XML") << name << "XML" << QString();
        for (const QString &forbidden : TavShare::listOfIllegalChars())
            QTest::newRow(qPrintable("name: " + forbidden)) << name << forbidden << forbidden;
        QTest::newRow("mapping: empty text is one entry") << mapping << "" << "0";
        QTest::newRow("mapping: last position wins") << mapping << "1;1" << "0;1";
        QTest::newRow("mapping: trailing separator adds an entry") << mapping << "0;1;" << "2;1;0";
        QTest::newRow("mapping: out of range ignored") << mapping << "5;-1;1;0" << "3;2;0;0";
        QTest::newRow("mapping: read as QString::toInt does") << mapping << " 2;+0;1 ;1.0;0x2;2147483648" << "5;2;0;0;0;0";
        const QString counting = "01020304-0506-0708-090a-0b0c0d0e0f10", nil = "00000000-0000-0000-0000-000000000000";
        QTest::newRow("identifier: case, blanks, trailing text") << identifier << " \t0102 0304-0506-0708-090A-0b0C0d0E0f10}xyz" << counting;
        QTest::newRow("identifier: braces") << identifier << "{" + counting + "}" << nil;
        QTest::newRow("identifier: bad last digit") << identifier << "01020304-0506-0708-090a-0b0c0d0e0f1g" << nil;
        QTest::newRow("identifier: misplaced dash") << identifier << "0102030-40506-0708-090a-0b0c0d0e0f10" << nil;
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
            const QStringList reversed = TavShare::getReverseMappingCode(entries.join(';')).split(';');
            QCOMPARE(reversed.size(), size);
            for (int position = 0; position < size; ++position)
                QCOMPARE(reversed.at(permutation[position]).toInt(), position);
            QCOMPARE(TavShare::getReverseMappingCode(reversed.join(';')), entries.join(';'));
        }
    }

    // Both keep the bytes in network order, byte 0 first.
    void identifierToQUuid()
    {
        const QString text = QStringLiteral("01020304-0506-0708-090a-0b0c0d0e0f10");
        QCOMPARE(TavShare::boostUuid2QUuid(TavShare::qString2boostUuid(text)), QUuid(text));
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
        QTest::newRow("exponent, zeros kept") << "120000" << 0 << 3 << true << "1.200e+05" << none << true;
        QTest::newRow("limit 100, point dropped") << "100" << 2 << 2 << false << "100" << none << true;
        QTest::newRow("by magnitude, negative small") << "-0.001" << 2 << 2 << false << "-1e-03" << none << true;
        QTest::newRow("precision 0, no point") << "1234.7" << 1 << 0 << false << "1235" << none << true;
        QTest::newRow("negative zero") << "-0" << 0 << 2 << true << "0.00e+00" << none << true;
        QTest::newRow("three exponent digits") << "-1.5E100" << 0 << 1 << false << "-1.5e+100" << none << true;
        QTest::newRow("zeros first, point last") << "-0012." << 1 << 1 << false << "-12" << none << true;
        // Exact binary ties round away from zero, where to_chars picks the even digit.
        QTest::newRow("tie past 100") << "100.5" << 2 << 2 << true << "1.01e+02" << none << true;
        QTest::newRow("tie at 2 decimals") << "0.125" << 1 << 2 << true << "0.13" << none << true;
        QTest::newRow("tie, negative") << "-2.5" << 0 << 0 << false << "-3e+00" << none << true;
        QTest::newRow("tie, into the next exponent") << "9.5" << 0 << 0 << false << "1e+01" << none << true;
        // Left to Qt: what from_chars reads differently or not at all, and negative precisions.
        QTest::newRow("negative precision") << "1.5" << 0 << -1 << false << "1.50000e+00" << none << false;
        QTest::newRow("plus sign") << "+1" << 0 << 1 << true << "1.0e+00" << none << false;
        QTest::newRow("blanks, tie") << " 2.5 " << 1 << 0 << false << "3" << none << false;
        QTest::newRow("minus inf") << "-inf" << 2 << 2 << false << "-inf" << none << false;
        QTest::newRow("longer than the plain path reads") << "1" + QString(200, '0') << 0 << 2 << false << "1e+200" << none << false;
        QTest::newRow("blanks only") << "   " << 0 << 3 << false << "" << none << false;
        // No number: the text as it stands. An unlisted format trims the zeros of the text
        // itself, bounded by precision.
        QTest::newRow("letters") << "abc" << 0 << 3 << false << "abc" << notANumber + "\"abc\"" << false;
        QTest::newRow("unlisted, bounded by precision") << "1.5000" << 7 << 1 << false << "1.50" << unlisted << false;
        QTest::newRow("unlisted, negative precision") << "1.5000" << -1 << INT_MIN << false << "1.500" << unlisted << false;
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
        QCOMPARE(TavShareScientificFormat::formatWithQt(numberStr, dataFormat, precision, withZeroEndAfterDecimal), expected);
    }

    // Whatever the plain path takes, it writes exactly as Qt's conversions do: random bit
    // patterns, everyday decimals, exact binary ties at every precision, extremes at any
    // precision, long digit strings near halfway between doubles, and random near-numbers.
    void plainPathMatchesQt()
    {
        const QtMessageHandler previousHandler = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
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
        int compared = 0;
        QString mismatch;
        const auto compare = [&](const QString &text, int precision) {
            for (const int dataFormat : {0, 1, 2}) {
                for (const bool keepZeros : {false, true}) {
                    const QString plain = TavShareScientificFormat::formatPlainNumber(text, dataFormat, precision, keepZeros);
                    if (plain.isNull())
                        continue;
                    ++compared;
                    const QString qt = TavShareScientificFormat::formatWithQt(text, dataFormat, precision, keepZeros);
                    if (plain != qt && mismatch.isEmpty())
                        mismatch = QStringLiteral("%1 (%2, %3, %4): %5, Qt %6").arg(text).arg(dataFormat).arg(precision).arg(keepZeros).arg(plain, qt);
                }
            }
        };

        for (int i = 0; i < 6000; ++i) {
            compare(write(randomDouble()), randomInt(21));
            const QString decimals = QString::number(randomInt(1000)).rightJustified(3, '0').left(randomInt(4));
            compare(QString::number(randomInt(2000000) - 1000000) + '.' + decimals, randomInt(9));
            compare(write(randomInt(100) * std::pow(10.0, randomInt(40) - 20), std::chars_format::scientific, 0), randomInt(9));
        }
        for (int bits = 1; bits <= 60; ++bits) {
            for (int i = 0; i < 12; ++i) {
                const QString tie = write(std::ldexp(2 * randomInt(1 << 20) + 1, -bits), std::chars_format::scientific, 40);
                for (int precision = 0; precision <= bits + 7; ++precision)
                    compare(tie, precision);
            }
        }
        for (int tens = 0; tens <= 16; ++tens) {
            for (int odd = 1; odd < 40; odd += 2) {
                for (int precision = 0; precision <= 17; ++precision)
                    compare(write(odd * 5 * std::pow(10.0, tens)), precision);
            }
        }
        for (const double extreme : {std::numeric_limits<double>::denorm_min(), 2.2250738585072009e-308, 2.2250738585072014e-308,
                                     std::numeric_limits<double>::max(), 1e-308, 1e308, 0.01, 100.0, 1e22, 1e23, 99.5, 0.995, 0.0}) {
            for (const double value : {extreme, std::nextafter(extreme, 0.0), std::nextafter(extreme, 1e300), -extreme}) {
                for (int precision = 0; precision <= 1100; precision += precision < 40 ? 1 : 53)
                    compare(write(value), precision);
                compare(write(value), INT_MAX);
            }
        }
        for (int i = 0; i < 2000; ++i) {
            const double value = randomDouble();
            const long double middle = (value + static_cast<long double>(std::nextafter(value, 0.0))) / 2;
            char halfway[96];
            compare(QString::fromLatin1(halfway, std::snprintf(halfway, sizeof halfway, "%.*Le", 17 + randomInt(40), middle)), randomInt(18));
        }
        for (int i = 0; i < 40000; ++i) {
            QString text;
            for (int length = 1 + randomInt(10); length > 0; --length)
                text += QLatin1Char("0123456789.eE+- "[randomInt(randomInt(3) == 0 ? 16 : 10)]);
            compare(text, randomInt(7));
        }
        qInstallMessageHandler(previousHandler);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QVERIFY(compared > 300000);
    }

    // The smallest subnormal has the longest exact expansion of any double, 1074 decimals
    // ending in 5. No precision, however large, may lose a digit of it, nor add one.
    void hugePrecisionKeepsEveryDigit()
    {
        const QString smallest = QStringLiteral("4.9406564584124654e-324");
        const QString exact = QString::number(smallest.toDouble(), 'f', 1074);
        QVERIFY(exact.endsWith(QLatin1Char('5')));
        QCOMPARE(TavShare::getScientificFormat(smallest, 1, INT_MAX, true), exact);
        QCOMPARE(TavShare::getScientificFormat(QStringLiteral("0.25"), 2, INT_MAX, true).size(), 2 + 1074);
    }
};

TAVTEST_MAIN(TestText)
#include "tst_text.moc"
