#include "tavtest.h"

#include <TavShare.h>

#include <climits>

class TestUnits : public QObject
{
    Q_OBJECT

private slots:
    void unitText_data();
    void unitText();
    void unicodeString_data();
    void unicodeString();
    void degreeIsTheDegreeSign();
    void unlistedUnitLogsItsValue_data();
    void unlistedUnitLogsItsValue();
    void unlistedUnicodeTypeLogs_data();
    void unlistedUnicodeTypeLogs();
};

// The exact UTF-16 units: the micro sign is U+00B5, never the Greek mu U+03BC.
static QString units(const char16_t *text)
{
    return QStringView(text).toString();
}

void TestUnits::unitText_data()
{
    QTest::addColumn<int>("unitType");
    QTest::addColumn<QString>("expected");

    QTest::newRow("square micrometer per second") << 0 << units(u"\u00B5m\u00B2/s");
    QTest::newRow("liter per mole second") << 1 << units(u"l/mol\u00B7s");
    QTest::newRow("per second") << 2 << units(u"/s");
    QTest::newRow("mole per liter") << 3 << units(u"mol/l");
    QTest::newRow("molecule per cubic micrometer") << 4 << units(u"molecule/\u00B5m\u00B3");
    QTest::newRow("molecule per membrane") << 5 << units(u"molecule/membrane");
    QTest::newRow("molecules") << 6 << units(u"molecules");
    QTest::newRow("mole per square micrometer") << 7 << units(u"mol/\u00B5m\u00B2");
    QTest::newRow("mole per square meter") << 8 << units(u"mol/m\u00B2");
    QTest::newRow("molecule per square micrometer") << 9 << units(u"molecule/\u00B5m\u00B2");
    QTest::newRow("square meter") << 10 << units(u"m\u00B2");
    QTest::newRow("square micrometer") << 11 << units(u"\u00B5m\u00B2");
    QTest::newRow("meter") << 12 << units(u"m");
    QTest::newRow("centimeter") << 13 << units(u"cm");
    QTest::newRow("micrometer") << 14 << units(u"\u00B5m");
}

void TestUnits::unitText()
{
    QFETCH(int, unitType);
    QFETCH(QString, expected);

    TavTest::MessageCapture capture;
    const QString unit = TavShare::getUnit(TavShare::UnitType(unitType));
    QCOMPARE(unit, expected);
    QCOMPARE(unit.size(), expected.size());
    QVERIFY(capture.messages().isEmpty());
}

void TestUnits::unicodeString_data()
{
    QTest::addColumn<int>("unicodeType");
    QTest::addColumn<int>("codePoint");

    QTest::newRow("degree sign") << 0 << 0x00B0;
    QTest::newRow("micro sign") << 1 << 0x00B5;
    QTest::newRow("middle dot") << 2 << 0x00B7;
    QTest::newRow("superscript two") << 3 << 0x00B2;
    QTest::newRow("superscript three") << 4 << 0x00B3;
    QTest::newRow("plus sign") << 5 << 0x002B;
    QTest::newRow("equals sign") << 6 << 0x003D;
    QTest::newRow("rightwards arrow") << 7 << 0x2192;
    QTest::newRow("division slash") << 8 << 0x2215;
}

void TestUnits::unicodeString()
{
    QFETCH(int, unicodeType);
    QFETCH(int, codePoint);

    const QString text = TavShare::getUnicodeString(TavShare::UnicodeType(unicodeType));
    QCOMPARE(text.size(), 1);
    QCOMPARE(int(text.at(0).unicode()), codePoint);
}

void TestUnits::degreeIsTheDegreeSign()
{
    QCOMPARE(TavShare::getUnicodeDegree(), units(u"\u00B0"));
    QCOMPARE(TavShare::getUnicodeDegree(), TavShare::getUnicodeString(TavShare::UnicodeDegreeSign));
}

void TestUnits::unlistedUnitLogsItsValue_data()
{
    QTest::addColumn<int>("unitType");
    QTest::addColumn<QString>("message");

    QTest::newRow("one past the end") << 15 << "Error found at QString TavShare::getUnit(int unitType)  15";
    QTest::newRow("minus one") << -1 << "Error found at QString TavShare::getUnit(int unitType)  -1";
    QTest::newRow("smallest int") << INT_MIN << "Error found at QString TavShare::getUnit(int unitType)  -2147483648";
}

void TestUnits::unlistedUnitLogsItsValue()
{
    QFETCH(int, unitType);
    QFETCH(QString, message);

    TavTest::MessageCapture capture;
    QVERIFY(TavShare::getUnit(TavShare::UnitType(unitType)).isNull());
    QCOMPARE(capture.texts(), QStringList{message});
    QCOMPARE(capture.messages().first().type, QtDebugMsg);
}

void TestUnits::unlistedUnicodeTypeLogs_data()
{
    QTest::addColumn<int>("unicodeType");

    QTest::newRow("one past the end") << 9;
    QTest::newRow("minus one") << -1;
}

void TestUnits::unlistedUnicodeTypeLogs()
{
    QFETCH(int, unicodeType);

    TavTest::MessageCapture capture;
    QVERIFY(TavShare::getUnicodeString(TavShare::UnicodeType(unicodeType)).isNull());
    QCOMPARE(capture.texts(), QStringList{QStringLiteral("no unicode type defined")});
    QCOMPARE(capture.messages().first().type, QtDebugMsg);
}

TAVTEST_MAIN(TestUnits)
#include "tst_units.moc"
