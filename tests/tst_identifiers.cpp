#include "TavShare.h"
#include "tavtest.h"

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include <QRandomGenerator>

#include <ctime>

using Uuid = boost::uuids::uuid;
Q_DECLARE_METATYPE(Uuid)

namespace boost::uuids {
// Found by QCOMPARE to print identifiers that differ.
char *toString(const uuid &value)
{
    return qstrdup(to_string(value).c_str());
}
} // namespace boost::uuids

namespace {

Uuid uuidOfBytes(std::initializer_list<quint8> bytes)
{
    Uuid uuid = boost::uuids::nil_uuid();
    std::copy(bytes.begin(), bytes.end(), uuid.begin());
    return uuid;
}

const Uuid countingUuid = uuidOfBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});

} // namespace

class TestIdentifiers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void engineSeededWithLoadTime();
    void textForm_data();
    void textForm();
    void roundTrip();
    void parse_data();
    void parse();

private:
    std::time_t m_startTime = 0;
};

void TestIdentifiers::initTestCase()
{
    m_startTime = std::time(nullptr);
}

// Runs first so that nothing has drawn from the engine yet.
void TestIdentifiers::engineSeededWithLoadTime()
{
    const boost::mt19937::result_type first = TavShare::MersenneTwister();
    const boost::mt19937::result_type second = TavShare::MersenneTwister();
    QVERIFY(first != boost::mt19937()()); // not Boost's default seed

    // The library was loaded at or shortly before this test started.
    const int allowedStartupSeconds = 120;
    bool found = false;
    for (std::time_t seed = m_startTime; seed >= m_startTime - allowedStartupSeconds && !found; --seed) {
        boost::mt19937 engine(static_cast<std::uint32_t>(seed));
        found = engine() == first && engine() == second;
    }
    QVERIFY2(found, "the engine is not seeded with a time at or just before the test's start");
}

void TestIdentifiers::textForm_data()
{
    QTest::addColumn<Uuid>("uuid");
    QTest::addColumn<QString>("text");

    QTest::newRow("nil") << boost::uuids::nil_uuid() << "00000000-0000-0000-0000-000000000000";
    QTest::newRow("bytes 1 to 16") << countingUuid << "01020304-0506-0708-090a-0b0c0d0e0f10";
    QTest::newRow("all bits") << uuidOfBytes({255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255})
                              << "ffffffff-ffff-ffff-ffff-ffffffffffff";
    QTest::newRow("high and low halves")
        << uuidOfBytes({0xa0, 0x0b, 0xc1, 0x2d, 0x3e, 0xf4, 0x50, 0x06, 0x70, 0x80, 0x09, 0x90, 0xab, 0xcd, 0xef, 0x01})
        << "a00bc12d-3ef4-5006-7080-0990abcdef01";
}

void TestIdentifiers::textForm()
{
    QFETCH(Uuid, uuid);
    QFETCH(QString, text);
    QCOMPARE(TavShare::boostUuid2QString(uuid), text);
    QCOMPARE(TavShare::boostUuid2QUuid(uuid), QUuid(text));
    QCOMPARE(TavShare::qString2boostUuid(text), uuid);
    QCOMPARE(TavShare::qString2boostUuid(text.toUpper()), uuid);
}

void TestIdentifiers::roundTrip()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 1000; ++round) {
        Uuid uuid;
        for (quint8 &byte : uuid)
            byte = quint8(random.bounded(256));
        const QString text = TavShare::boostUuid2QString(uuid);
        QCOMPARE(TavShare::qString2boostUuid(text), uuid);
        QCOMPARE(TavShare::boostUuid2QUuid(uuid), QUuid(text));
    }
}

void TestIdentifiers::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Uuid>("expected");

    const Uuid nil = boost::uuids::nil_uuid();
    QTest::newRow("mixed case") << "01020304-0506-0708-090A-0b0C0d0E0f10" << countingUuid;
    QTest::newRow("leading blanks") << " \t\n01020304-0506-0708-090a-0b0c0d0e0f10" << countingUuid;
    QTest::newRow("blanks between characters") << "0102 0304 -05\t06-0708-090a-0b0c0d0e0f 10" << countingUuid;
    QTest::newRow("trailing text ignored") << "01020304-0506-0708-090a-0b0c0d0e0f10}xyz" << countingUuid;
    QTest::newRow("empty") << "" << nil;
    QTest::newRow("blanks only") << "   " << nil;
    QTest::newRow("braces") << "{01020304-0506-0708-090a-0b0c0d0e0f10}" << nil;
    QTest::newRow("too short") << "01020304-0506-0708-090a-0b0c0d0e0f1" << nil;
    QTest::newRow("bad last digit") << "01020304-0506-0708-090a-0b0c0d0e0f1g" << nil;
    QTest::newRow("no dashes") << "0102030405060708090a0b0c0d0e0f10" << nil;
    QTest::newRow("misplaced dash") << "0102030-40506-0708-090a-0b0c0d0e0f10" << nil;
    QTest::newRow("beyond Latin-1") << "0102030\u0664-0506-0708-090a-0b0c0d0e0f10" << nil;
}

void TestIdentifiers::parse()
{
    QFETCH(QString, text);
    QFETCH(Uuid, expected);
    QCOMPARE(TavShare::qString2boostUuid(text), expected);
}

TAVTEST_MAIN(TestIdentifiers)
#include "tst_identifiers.moc"
