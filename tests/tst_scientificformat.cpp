// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include <TavShare.h>
#include <scientificformat_p.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

static const char parseError[] = "Error found in QString TavShare::getScientificFormat(const QString & numberStr): ";
static const char formatError[] = "Error 1 found at QString TavShare::getScientificFormat(const QString & numberStr, "
                                  "int dataFormat, int precision, bool withZeroEndAfterDecimal) ";

class TestScientificFormat : public QObject
{
    Q_OBJECT

private slots:
    void format_data()
    {
        QTest::addColumn<QString>("numberStr");
        QTest::addColumn<int>("dataFormat");
        QTest::addColumn<int>("precision");
        QTest::addColumn<bool>("withZeroEndAfterDecimal");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("plain"); // handled without Qt's conversions

        const QStringList none;
        QTest::newRow("exponent, zeros dropped") << "120000" << 0 << 3 << false << "1.2e+05" << none << true;
        QTest::newRow("exponent, zeros kept") << "120000" << 0 << 3 << true << "1.200e+05" << none << true;
        QTest::newRow("limit 100, point dropped") << "100" << 2 << 2 << false << "100" << none << true;
        QTest::newRow("by magnitude, zero") << "0" << 2 << 2 << false << "0e+00" << none << true;
        QTest::newRow("by magnitude, negative small") << "-0.001" << 2 << 2 << false << "-1e-03" << none << true;
        QTest::newRow("limit 0.01") << "0.01" << 2 << 3 << false << "0.01" << none << true;
        QTest::newRow("limit -100") << "-100" << 2 << 2 << true << "-100.00" << none << true;
        QTest::newRow("past 100, tie rounds away") << "100.5" << 2 << 2 << true << "1.01e+02" << none << true;
        QTest::newRow("below 0.01") << "0.009" << 2 << 2 << true << "9.00e-03" << none << true;
        QTest::newRow("precision 0, no point") << "1234.7" << 1 << 0 << false << "1235" << none << true;
        QTest::newRow("zeros before the point") << "1000" << 1 << 2 << false << "1000" << none << true;
        QTest::newRow("negative precision, one zero") << "1.5" << 0 << -1 << false << "1.50000e+00" << none << false;
        // Exact binary ties round away from zero, where to_chars picks the even digit.
        QTest::newRow("tie at 2 decimals") << "0.125" << 1 << 2 << true << "0.13" << none << true;
        QTest::newRow("tie of a half") << "0.5" << 1 << 0 << false << "1" << none << true;
        QTest::newRow("tie, odd digit") << "1.5" << 0 << 0 << false << "2e+00" << none << true;
        QTest::newRow("tie, negative") << "-2.5" << 0 << 0 << false << "-3e+00" << none << true;
        QTest::newRow("tie, into the next exponent") << "9.5" << 0 << 0 << false << "1e+01" << none << true;
        QTest::newRow("tie at the thousands") << "2500" << 0 << 0 << false << "3e+03" << none << true;
        QTest::newRow("tie at 16 digits")
            << "0.51712799072265625" << 0 << 15 << true << "5.171279907226563e-01" << none << true;
        QTest::newRow("no tie in binary") << "2.675" << 1 << 2 << false << "2.67" << none << true;
        QTest::newRow("negative zero") << "-0" << 0 << 2 << true << "0.00e+00" << none << true;
        QTest::newRow("negative, rounded to zero") << "-0.0001" << 1 << 2 << true << "-0.00" << none << true;
        QTest::newRow("zero with exponent") << "-0e5" << 2 << 3 << false << "0e+00" << none << true;
        QTest::newRow("three exponent digits") << "-1.5E100" << 0 << 1 << false << "-1.5e+100" << none << true;
        QTest::newRow("below 0.01 as text, 0.01 as double")
            << "0.0099999999999999999" << 2 << 3 << false << "0.01" << none << true;
        QTest::newRow("above 100 as double") << "100.00000000000001" << 2 << 2 << false << "1e+02" << none << true;
        QTest::newRow("smallest subnormal") << "4.9406564584124654e-324" << 0 << 3 << false << "4.941e-324" << none << true;
        QTest::newRow("point first, zeros first") << "-.5" << 1 << 2 << true << "-0.50" << none << true;
        QTest::newRow("point last, zeros first") << "-0012." << 1 << 1 << false << "-12" << none << true;
        QTest::newRow("digits beyond a double, tie to even")
            << "9007199254740993" << 1 << 0 << false << "9007199254740992" << none << true;
        QTest::newRow("digits beyond a double, just above")
            << "9007199254740993.000000000000000000000001" << 1 << 0 << false << "9007199254740994" << none << true;
        // Left to Qt: forms that from_chars reads differently or not at all.
        QTest::newRow("plus sign") << "+1" << 0 << 1 << true << "1.0e+00" << none << false;
        QTest::newRow("blanks, tie") << " 2.5 " << 1 << 0 << false << "3" << none << false;
        QTest::newRow("minus inf") << "-inf" << 2 << 2 << false << "-inf" << none << false;
        QTest::newRow("longer than the plain path reads")
            << "1" + QString(200, QLatin1Char('0')) << 0 << 2 << false << "1e+200" << none << false;
        QTest::newRow("three blanks") << "   " << 0 << 3 << false << "" << none << false;
        // Text that is no number comes back as it stands.
        QTest::newRow("letters") << "abc" << 0 << 3 << false << "abc" << QStringList{QString(parseError) + " \"abc\""} << false;
        QTest::newRow("blanks and zeros kept")
            << " 1,50 " << 1 << 3 << false << " 1,50 " << QStringList{QString(parseError) + " \" 1,50 \""} << false;
        for (const char *text : {"2e-324", "1e400", "infinity", "1e", "."})
            QTest::newRow(text) << text << 0 << 2 << false << text << QStringList{QString(parseError) + " \"" + text + "\""} << false;
        // An unlisted format trims the input text itself, bounded by precision.
        const QStringList formatMessage{QString::fromLatin1(formatError)};
        QTest::newRow("unlisted, bounded by precision") << "1.5000" << 7 << 1 << false << "1.50" << formatMessage << false;
        QTest::newRow("unlisted, untouched") << " 1.5000 " << 7 << 1 << true << " 1.5000 " << formatMessage << false;
        QTest::newRow("unlisted, negative precision") << "1.5000" << -1 << INT_MIN << false << "1.500" << formatMessage << false;
        QTest::newRow("unlisted, upper-case E") << "1.50E+05" << 3 << 5 << false << "1.50E+05" << formatMessage << false;
        QTest::newRow("unlisted, lower-case e") << "1.500e+05" << 3 << 5 << false << "1.5e+05" << formatMessage << false;
    }

    void format()
    {
        QFETCH(QString, numberStr);
        QFETCH(int, dataFormat);
        QFETCH(int, precision);
        QFETCH(bool, withZeroEndAfterDecimal);
        QFETCH(QString, expected);
        QFETCH(QStringList, messages);
        QFETCH(bool, plain);

        TavTest::MessageCapture capture;
        QCOMPARE(TavShare::getScientificFormat(numberStr, dataFormat, precision, withZeroEndAfterDecimal), expected);
        QCOMPARE(capture.texts(), messages);
        for (const TavTest::MessageCapture::Message &message : capture.messages())
            QCOMPARE(message.type, QtDebugMsg);
        QCOMPARE(TavShareScientificFormat::formatPlainNumber(numberStr, dataFormat, precision, withZeroEndAfterDecimal),
                 plain ? expected : QString());
        QCOMPARE(TavShareScientificFormat::formatWithQt(numberStr, dataFormat, precision, withZeroEndAfterDecimal), expected);
    }

    // Whatever the plain path takes, it writes exactly as Qt's conversions do: random bit
    // patterns, everyday decimals, exact binary ties at every precision, extremes at any
    // precision, long digit strings near halfway between doubles, and random near-numbers.
    void plainPathMatchesQt()
    {
        const QtMessageHandler previousHandler =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        std::mt19937_64 random(13);
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
                        mismatch = QStringLiteral("%1 (%2, %3, %4): %5, Qt %6")
                                       .arg(text).arg(dataFormat).arg(precision).arg(keepZeros).arg(plain, qt);
                }
            }
        };
        const auto write = [](double value, std::chars_format format = std::chars_format::general, int precision = 17) {
            char text[64];
            return QString::fromLatin1(text, int(std::to_chars(text, text + sizeof text, value, format, precision).ptr - text));
        };
        const auto randomInt = [&random](int below) { return int(random() % unsigned(below)); };
        const auto randomDouble = [&random] {
            const quint64 bits = random();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        };

        for (int i = 0; i < 6000; ++i) {
            compare(write(randomDouble()), randomInt(21));
            const QString decimals = QString::number(randomInt(1000)).rightJustified(3, QLatin1Char('0'));
            compare(QString::number(randomInt(2000000) - 1000000) + QLatin1Char('.') + decimals.left(randomInt(4)), randomInt(9));
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
        const double extremes[] = {std::numeric_limits<double>::denorm_min(), 2.2250738585072009e-308,
                                   2.2250738585072014e-308, std::numeric_limits<double>::max(), 1e-308, 1e308,
                                   0.01, 100, 1e22, 1e23, 99.5, 0.995, 0};
        for (const double extreme : extremes) {
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
            const int length = std::snprintf(halfway, sizeof halfway, "%.*Le", 17 + randomInt(40), middle);
            compare(QString::fromLatin1(halfway, length), randomInt(18));
        }
        const char nearNumber[] = "0123456789.eE+- ";
        for (int i = 0; i < 40000; ++i) {
            QString text;
            for (int length = 1 + randomInt(10); length > 0; --length)
                text += QLatin1Char(nearNumber[randomInt(randomInt(3) == 0 ? 16 : 10)]);
            compare(text, randomInt(7));
        }
        qInstallMessageHandler(previousHandler);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QVERIFY(compared > 300000);
    }

    // The smallest subnormal has the longest exact expansion of any double, 1074 decimals
    // ending in 5. No precision, however large, may lose a digit of it, nor allocate more.
    void hugePrecisionKeepsEveryDigit()
    {
        const QString smallest = QStringLiteral("4.9406564584124654e-324");
        const QString exact = QString::number(smallest.toDouble(), 'f', 1074);
        QVERIFY(exact.endsWith(QLatin1Char('5')));
        QCOMPARE(TavShare::getScientificFormat(smallest, 1, INT_MAX, false), exact);
        QCOMPARE(TavShare::getScientificFormat(smallest, 1, INT_MAX, true), exact);
        QCOMPARE(TavShare::getScientificFormat(QStringLiteral("0.25"), 0, INT_MAX, false), QStringLiteral("2.5e-01"));
        QCOMPARE(TavShare::getScientificFormat(QStringLiteral("0.25"), 2, INT_MAX, true).size(), 2 + 1074);
    }
};

TAVTEST_MAIN(TestScientificFormat)
#include "tst_scientificformat.moc"
