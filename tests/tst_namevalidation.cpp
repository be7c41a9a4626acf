// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include <TavShare.h>

class TestNameValidation : public QObject
{
    Q_OBJECT

private slots:
    void listInItsOrder();
    void firstForbiddenString_data();
    void firstForbiddenString();
};

void TestNameValidation::listInItsOrder()
{
    const QStringList expected{QStringLiteral(";"), QStringLiteral("("), QStringLiteral(")"), QStringLiteral("\""),
                               QStringLiteral("!"), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("xml")};
    QCOMPARE(TavShare::listOfIllegalChars(), expected);
}

void TestNameValidation::firstForbiddenString_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << "" << QString();
    QTest::newRow("plain words and digits") << "cell membrane 2" << QString();
    QTest::newRow("parenthesis") << "f(x)" << "(";
    QTest::newRow("list order, not text order") << "a>b;c" << ";";
    QTest::newRow("quote before exclamation") << "wow!\"" << "\"";
    QTest::newRow("less-than") << "a<b" << "<";
    QTest::newRow("closing parenthesis alone") << "x)" << ")";
    QTest::newRow("xml inside a word") << "myxmlfile" << "xml";
    QTest::newRow("upper-case XML") << "XML" << QString();
    QTest::newRow("mixed-case Xml") << "Xml" << QString();
    QTest::newRow("x m l apart") << "x m l" << QString();
    QTest::newRow("apostrophe, slash, ampersand") << "cell's a/b & c" << QString();
    QTest::newRow("non-ASCII") << QString::fromUtf8("Zelle µm² → Kern") << QString();
}

void TestNameValidation::firstForbiddenString()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);

    const QString found = TavShare::hasIllegalChars(name);
    QCOMPARE(found, expected);
    QCOMPARE(found.isNull(), expected.isNull());
}

TAVTEST_MAIN(TestNameValidation)
#include "tst_namevalidation.moc"
