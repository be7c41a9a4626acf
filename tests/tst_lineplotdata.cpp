// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include "LinePlotData.h"

#include <limits>

// Ownership is checked by the sanitizer build: every object here is destroyed with owned
// value vectors in it, and removed entries must have theirs freed, under AddressSanitizer
// with leak checking.
class TestLinePlotData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A new object is empty; only update() tells observers, once per call.
    void changedOnlyByUpdate()
    {
        LinePlotData data;
        QVERIFY(data.lines.empty() && data.baseValues && data.baseValues->empty());
        QSignalSpy changed(&data, &LinePlotData::changed);
        data.lines[1] = {"zero", new std::vector<double>{0}};
        data.removeZeroEntries();
        QVERIFY(data.lines.empty());
        QCOMPARE(changed.count(), 0);
        data.update();
        data.update();
        QCOMPARE(changed.count(), 2);
    }

    void removeZeroEntries_data()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<bool>("kept");

        QTest::newRow("negative then zero") << QList<double>{-1, 0} << false;
        QTest::newRow("negative zero") << QList<double>{-0.0} << false;
        QTest::newRow("zero then NaN") << QList<double>{0, nan} << false;
        QTest::newRow("all negative") << QList<double>{-1, -2} << true;
        QTest::newRow("zero then tiny positive") << QList<double>{0, 1e-300} << true;
        QTest::newRow("zero, positive, zero") << QList<double>{0, 5, 0} << true;
        QTest::newRow("NaN then zero") << QList<double>{nan, 0} << true;
        QTest::newRow("no values") << QList<double>{} << true;
    }

    void removeZeroEntries()
    {
        QFETCH(QList<double>, values);
        QFETCH(bool, kept);

        // Among neighbours of which every other one goes, and one without a value vector:
        // erasing while walking the table must not disturb the others.
        LinePlotData data;
        for (long key = 0; key < 200; ++key)
            data.lines[key] = {"neighbour", new std::vector<double>{double(key % 2)}};
        data.lines[1000] = {"tested", new std::vector<double>(values.cbegin(), values.cend())};
        data.lines[1001] = {"null", nullptr};
        data.removeZeroEntries();

        QCOMPARE(data.lines.count(1000), size_t(kept));
        QCOMPARE(data.lines.size(), size_t(kept ? 102 : 101));
        for (const auto &line : data.lines)
            QVERIFY(line.first >= 1000 || line.first % 2 == 1);
    }
};

TAVTEST_MAIN(TestLinePlotData)
#include "tst_lineplotdata.moc"
