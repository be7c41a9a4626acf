// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

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

static Uuid uuidOfBytes(std::initializer_list<quint8> bytes)
{
    Uuid uuid = boost::uuids::nil_uuid();
    std::copy(bytes.begin(), bytes.end(), uuid.begin());
    return uuid;
}

class TestIdentifiers : public QObject
{
    Q_OBJECT

private slots:
    // Runs first, so that nothing has drawn from the engine yet. The library was loaded at
    // or shortly before this test started.
    void engineSeededWithLoadTime()
    {
        const std::time_t now = std::time(nullptr);
        const boost::mt19937::result_type first = TavShare::MersenneTwister();
        const boost::mt19937::result_type second = TavShare::MersenneTwister();
        bool found = false;
        for (std::time_t seed = now; seed >= now - 120 && !found; --seed) {
            boost::mt19937 engine(static_cast<std::uint32_t>(seed));
            found = engine() == first && engine() == second;
        }
        QVERIFY2(found, "the engine is not seeded with a time at or just before the test's start");
    }

    // Rows marked canonical hold the text form of the identifier; the others only parse to it.
    void conversions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Uuid>("uuid");
        QTest::addColumn<bool>("canonical");

        const Uuid nil = boost::uuids::nil_uuid();
        const Uuid counting = uuidOfBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
        const Uuid halves = uuidOfBytes({0xa0, 0x0b, 0xc1, 0x2d, 0x3e, 0xf4, 0x50, 0x06,
                                         0x70, 0x80, 0x09, 0x90, 0xab, 0xcd, 0xef, 0x01});
        QTest::newRow("nil") << "00000000-0000-0000-0000-000000000000" << nil << true;
        QTest::newRow("bytes 1 to 16") << "01020304-0506-0708-090a-0b0c0d0e0f10" << counting << true;
        QTest::newRow("high and low halves") << "a00bc12d-3ef4-5006-7080-0990abcdef01" << halves << true;
        QTest::newRow("mixed case") << "01020304-0506-0708-090A-0b0C0d0E0f10" << counting << false;
        QTest::newRow("leading blanks") << " \t\n01020304-0506-0708-090a-0b0c0d0e0f10" << counting << false;
        QTest::newRow("blanks between characters") << "0102 0304 -05\t06-0708-090a-0b0c0d0e0f 10" << counting << false;
        QTest::newRow("trailing text ignored") << "01020304-0506-0708-090a-0b0c0d0e0f10}xyz" << counting << false;
        QTest::newRow("empty") << "" << nil << false;
        QTest::newRow("braces") << "{01020304-0506-0708-090a-0b0c0d0e0f10}" << nil << false;
        QTest::newRow("too short") << "01020304-0506-0708-090a-0b0c0d0e0f1" << nil << false;
        QTest::newRow("bad last digit") << "01020304-0506-0708-090a-0b0c0d0e0f1g" << nil << false;
        QTest::newRow("no dashes") << "0102030405060708090a0b0c0d0e0f10" << nil << false;
        QTest::newRow("misplaced dash") << "0102030-40506-0708-090a-0b0c0d0e0f10" << nil << false;
        QTest::newRow("beyond Latin-1") << "0102030\u0664-0506-0708-090a-0b0c0d0e0f10" << nil << false;
    }

    void conversions()
    {
        QFETCH(QString, text);
        QFETCH(Uuid, uuid);
        QFETCH(bool, canonical);
        QCOMPARE(TavShare::qString2boostUuid(text), uuid);
        if (canonical) {
            QCOMPARE(TavShare::boostUuid2QString(uuid), text);
            QCOMPARE(TavShare::boostUuid2QUuid(uuid), QUuid(text));
            QCOMPARE(TavShare::qString2boostUuid(text.toUpper()), uuid);
        }
    }

    void roundTrip()
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
};

TAVTEST_MAIN(TestIdentifiers)
#include "tst_identifiers.moc"
