// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include <TavShare.h>

#include <climits>

// The exact UTF-16 units: the micro sign is U+00B5, never the Greek mu U+03BC.
static QString units(const char16_t *text)
{
    return QStringView(text).toString();
}

class TestUnits : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<bool>("symbol"); // getUnicodeString rather than getUnit
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");

        const QString unitError = QStringLiteral("Error found at QString TavShare::getUnit(int unitType)  ");
        QTest::newRow("square micrometer per second") << false << 0 << units(u"\u00B5m\u00B2/s") << QString();
        QTest::newRow("liter per mole second") << false << 1 << units(u"l/mol\u00B7s") << QString();
        QTest::newRow("per second") << false << 2 << units(u"/s") << QString();
        QTest::newRow("mole per liter") << false << 3 << units(u"mol/l") << QString();
        QTest::newRow("molecule per cubic micrometer") << false << 4 << units(u"molecule/\u00B5m\u00B3") << QString();
        QTest::newRow("molecule per membrane") << false << 5 << units(u"molecule/membrane") << QString();
        QTest::newRow("molecules") << false << 6 << units(u"molecules") << QString();
        QTest::newRow("mole per square micrometer") << false << 7 << units(u"mol/\u00B5m\u00B2") << QString();
        QTest::newRow("mole per square meter") << false << 8 << units(u"mol/m\u00B2") << QString();
        QTest::newRow("molecule per square micrometer") << false << 9 << units(u"molecule/\u00B5m\u00B2") << QString();
        QTest::newRow("square meter") << false << 10 << units(u"m\u00B2") << QString();
        QTest::newRow("square micrometer") << false << 11 << units(u"\u00B5m\u00B2") << QString();
        QTest::newRow("meter") << false << 12 << units(u"m") << QString();
        QTest::newRow("centimeter") << false << 13 << units(u"cm") << QString();
        QTest::newRow("micrometer") << false << 14 << units(u"\u00B5m") << QString();
        QTest::newRow("unit one past the end") << false << 15 << QString() << unitError + "15";
        QTest::newRow("unit minus one") << false << -1 << QString() << unitError + "-1";
        QTest::newRow("smallest int") << false << INT_MIN << QString() << unitError + "-2147483648";

        QTest::newRow("degree sign") << true << 0 << units(u"\u00B0") << QString();
        QTest::newRow("micro sign") << true << 1 << units(u"\u00B5") << QString();
        QTest::newRow("middle dot") << true << 2 << units(u"\u00B7") << QString();
        QTest::newRow("superscript two") << true << 3 << units(u"\u00B2") << QString();
        QTest::newRow("superscript three") << true << 4 << units(u"\u00B3") << QString();
        QTest::newRow("plus sign") << true << 5 << units(u"+") << QString();
        QTest::newRow("equals sign") << true << 6 << units(u"=") << QString();
        QTest::newRow("rightwards arrow") << true << 7 << units(u"\u2192") << QString();
        QTest::newRow("division slash") << true << 8 << units(u"\u2215") << QString();
        QTest::newRow("symbol one past the end") << true << 9 << QString() << "no unicode type defined";
        QTest::newRow("symbol minus one") << true << -1 << QString() << "no unicode type defined";
    }

    void text()
    {
        QFETCH(bool, symbol);
        QFETCH(int, value);
        QFETCH(QString, expected);
        QFETCH(QString, message);

        TavTest::MessageCapture capture;
        const QString text = symbol ? TavShare::getUnicodeString(TavShare::UnicodeType(value))
                                    : TavShare::getUnit(TavShare::UnitType(value));
        QCOMPARE(text, expected);
        QCOMPARE(text.isNull(), expected.isNull());
        QCOMPARE(capture.texts(), message.isNull() ? QStringList() : QStringList{message});
        for (const TavTest::MessageCapture::Message &logged : capture.messages()) {
            QCOMPARE(logged.type, QtDebugMsg);
            QCOMPARE(logged.category, QStringLiteral("tavshare"));
        }
    }

    void degreeIsTheDegreeSign()
    {
        QCOMPARE(TavShare::getUnicodeDegree(), units(u"\u00B0"));
    }
};

TAVTEST_MAIN(TestUnits)
#include "tst_units.moc"
