// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include <TavShare.h>

#include <climits>

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

        const QStringList none;
        QTest::newRow("exponent, zeros dropped") << "120000" << 0 << 3 << false << "1.2e+05" << none;
        QTest::newRow("exponent, zeros kept") << "120000" << 0 << 3 << true << "1.200e+05" << none;
        QTest::newRow("limit 100, point dropped") << "100" << 2 << 2 << false << "100" << none;
        QTest::newRow("by magnitude, zero") << "0" << 2 << 2 << false << "0e+00" << none;
        QTest::newRow("by magnitude, negative small") << "-0.001" << 2 << 2 << false << "-1e-03" << none;
        QTest::newRow("limit 0.01") << "0.01" << 2 << 3 << false << "0.01" << none;
        QTest::newRow("limit -100") << "-100" << 2 << 2 << true << "-100.00" << none;
        QTest::newRow("past 100, tie rounds away") << "100.5" << 2 << 2 << true << "1.01e+02" << none;
        QTest::newRow("below 0.01") << "0.009" << 2 << 2 << true << "9.00e-03" << none;
        QTest::newRow("precision 0, no point") << "1234.7" << 1 << 0 << false << "1235" << none;
        QTest::newRow("zeros before the point") << "1000" << 1 << 2 << false << "1000" << none;
        QTest::newRow("negative precision, one zero") << "1.5" << 0 << -1 << false << "1.50000e+00" << none;
        QTest::newRow("three blanks") << "   " << 0 << 3 << false << "" << none;
        // Text that is no number comes back as it stands.
        QTest::newRow("letters") << "abc" << 0 << 3 << false << "abc" << QStringList{QString(parseError) + " \"abc\""};
        QTest::newRow("blanks and zeros kept")
            << " 1,50 " << 1 << 3 << false << " 1,50 " << QStringList{QString(parseError) + " \" 1,50 \""};
        // An unlisted format trims the input text itself, bounded by precision.
        const QStringList formatMessage{QString::fromLatin1(formatError)};
        QTest::newRow("unlisted, bounded by precision") << "1.5000" << 7 << 1 << false << "1.50" << formatMessage;
        QTest::newRow("unlisted, untouched") << " 1.5000 " << 7 << 1 << true << " 1.5000 " << formatMessage;
        QTest::newRow("unlisted, negative precision") << "1.5000" << -1 << INT_MIN << false << "1.500" << formatMessage;
        QTest::newRow("unlisted, upper-case E") << "1.50E+05" << 3 << 5 << false << "1.50E+05" << formatMessage;
        QTest::newRow("unlisted, lower-case e") << "1.500e+05" << 3 << 5 << false << "1.5e+05" << formatMessage;
    }

    void format()
    {
        QFETCH(QString, numberStr);
        QFETCH(int, dataFormat);
        QFETCH(int, precision);
        QFETCH(bool, withZeroEndAfterDecimal);
        QFETCH(QString, expected);
        QFETCH(QStringList, messages);

        TavTest::MessageCapture capture;
        QCOMPARE(TavShare::getScientificFormat(numberStr, dataFormat, precision, withZeroEndAfterDecimal), expected);
        QCOMPARE(capture.texts(), messages);
        for (const TavTest::MessageCapture::Message &message : capture.messages())
            QCOMPARE(message.type, QtDebugMsg);
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
