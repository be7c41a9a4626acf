#include "tavtest.h"

#include "LinePlotData.h"

#include <limits>

// Leaks and double frees of the owned value vectors are caught by the sanitizer build,
// which runs every case here under AddressSanitizer with leak checking.
class TestLinePlotData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newObjectIsEmpty()
    {
        LinePlotData data;
        QVERIFY(!data.parent());
        QVERIFY(data.lines.empty());
        QCOMPARE(data.lines.max_load_factor(), 1.0f);
        QVERIFY(data.firstLabel.empty() && data.secondLabel.empty() && data.thirdLabel.empty());
        QVERIFY(data.baseValues);
        QVERIFY(data.baseValues->empty());
        QVERIFY(data.baseValues->capacity() >= 100);
    }

    void removeZeroEntries_data()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<bool>("kept");

        QTest::newRow("all zero") << QList<double>{0, 0, 0} << false;
        QTest::newRow("negative then zero") << QList<double>{-1, 0} << false;
        QTest::newRow("zero then negative") << QList<double>{0, -1} << false;
        QTest::newRow("negative zero") << QList<double>{-0.0} << false;
        QTest::newRow("zero then NaN") << QList<double>{0, nan} << false;
        QTest::newRow("minus infinity then zero") << QList<double>{-inf, 0} << false;
        QTest::newRow("all negative") << QList<double>{-1, -2} << true;
        QTest::newRow("zero then tiny positive") << QList<double>{0, 1e-300} << true;
        QTest::newRow("zero, positive, zero") << QList<double>{0, 5, 0} << true;
        QTest::newRow("positive") << QList<double>{3} << true;
        QTest::newRow("NaN then zero") << QList<double>{nan, 0} << true;
        QTest::newRow("zero then infinity") << QList<double>{0, inf} << true;
    }

    void removeZeroEntries()
    {
        QFETCH(QList<double>, values);
        QFETCH(bool, kept);

        // Kept neighbours around the entry under test: removing it must not disturb them.
        LinePlotData data;
        data.lines[1] = {"before", new std::vector<double>{1}};
        data.lines[2] = {"tested", new std::vector<double>(values.cbegin(), values.cend())};
        data.lines[3] = {"after", new std::vector<double>{-2}};
        data.removeZeroEntries();

        QCOMPARE(data.lines.count(2), size_t(kept));
        QCOMPARE(data.lines.size(), size_t(kept ? 3 : 2));
        QCOMPARE(data.lines.at(1).lineLabel, std::string("before"));
        QCOMPARE(data.lines.at(3).lineLabel, std::string("after"));
    }

    // Erasing while walking the table: every other line goes.
    void removeZeroEntriesFromLargeTable()
    {
        LinePlotData data;
        for (long key = 0; key < 1000; ++key)
            data.lines[key] = {std::to_string(key), new std::vector<double>{double(key % 2)}};
        data.removeZeroEntries();

        QCOMPARE(data.lines.size(), size_t(500));
        for (const auto &line : data.lines)
            QCOMPARE(line.first % 2, 1L);
    }

    void entriesWithoutValuesStay()
    {
        LinePlotData data;
        data.lines[1] = {"empty", new std::vector<double>};
        data.lines[2] = {"null", nullptr};
        data.removeZeroEntries();
        QCOMPARE(data.lines.size(), size_t(2));

        LinePlotData empty;
        empty.removeZeroEntries();
        QVERIFY(empty.lines.empty());
    }

    void onlyUpdateEmitsChanged()
    {
        LinePlotData data;
        QSignalSpy changed(&data, &LinePlotData::changed);
        data.lines[1] = {"zero", new std::vector<double>{0}};
        data.removeZeroEntries();
        QCOMPARE(changed.count(), 0);

        data.update();
        QCOMPARE(changed.count(), 1);
        data.update();
        QCOMPARE(changed.count(), 2);
    }

    // The destructor frees baseValues and every line's values; the leak checker objects
    // otherwise.
    void destructionFreesOwnedValues()
    {
        auto *data = new LinePlotData;
        data->baseValues->assign(200, 1.5);
        data->lines[1] = {"one", new std::vector<double>(1000, 2.0)};
        data->lines[2] = {"two", new std::vector<double>{0}};
        data->lines[3] = {"none", nullptr};
        delete data;
    }

    void metaObject()
    {
        const QMetaObject &meta = LinePlotData::staticMetaObject;
        QCOMPARE(meta.className(), "LinePlotData");
        QCOMPARE(meta.superClass(), &QObject::staticMetaObject);
        QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);
        QCOMPARE(meta.method(meta.methodOffset()).methodSignature(), QByteArray("changed()"));
        QCOMPARE(meta.method(meta.methodOffset()).methodType(), QMetaMethod::Signal);
        QCOMPARE(meta.method(meta.methodOffset() + 1).methodSignature(), QByteArray("update()"));
        QCOMPARE(meta.method(meta.methodOffset() + 1).methodType(), QMetaMethod::Slot);
        QCOMPARE(meta.propertyCount(), meta.propertyOffset());
        QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
        QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    }
};

TAVTEST_MAIN(TestLinePlotData)
#include "tst_lineplotdata.moc"
