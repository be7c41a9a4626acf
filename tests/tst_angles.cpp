// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavtest.h"

#include <TavShare.h>

#include <cmath>
#include <limits>

static constexpr double pi = 3.141592653589793;
static constexpr double twoPi = 6.283185307179586;
static const double nanValue = std::numeric_limits<double>::quiet_NaN();
static const double infinity = std::numeric_limits<double>::infinity();

// The listed values are exact doubles: the comparison is bit for bit, NaN matching NaN.
static void compareExact(double actual, double expected)
{
    QVERIFY2(actual == expected || (std::isnan(actual) && std::isnan(expected)),
             qPrintable(QString::number(actual, 'g', 17)));
}

class TestAngles : public QObject
{
    Q_OBJECT

private slots:
    void degreesAndRadians()
    {
        compareExact(TavShare::getAngleFromDegree(180.0), 3.141592653589793);
        compareExact(TavShare::getDegreeFromAngle(3.141592653589793), 180.0);
        compareExact(TavShare::getAngleFromDegree(1.0), 0.017453292519943295);
        compareExact(TavShare::getDegreeFromAngle(1.0), 57.29577951308232);
    }

    void normalise_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("expected");

        QTest::newRow("pi") << pi << pi;
        QTest::newRow("-pi") << -pi << -pi;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("2 pi") << twoPi << 0.0;
        QTest::newRow("-2 pi") << -twoPi << 0.0;
        QTest::newRow("3 pi ends at the upper end") << 3 * pi << pi;
        QTest::newRow("-3 pi ends at the lower end") << -3 * pi << -pi;
        QTest::newRow("7") << 7.0 << 0.7168146928204138;
        QTest::newRow("100, rounding of sixteen steps") << 100.0 << -0.5309649148734152;
        // Far out the remainder is exact: 2^20 turns plus a small integer is representable.
        QTest::newRow("-(2^20 turns + 1)") << -(std::ldexp(twoPi, 20) + 1.0) << -1.0;
        QTest::newRow("2^20 turns + 4") << std::ldexp(twoPi, 20) + 4.0 << 4.0 - twoPi;
        QTest::newRow("2^1000 turns") << std::ldexp(twoPi, 1000) << 0.0;
        QTest::newRow("nan") << nanValue << nanValue;
        QTest::newRow("inf") << infinity << nanValue;
        QTest::newRow("-inf") << -infinity << nanValue;
    }

    void normalise()
    {
        QFETCH(double, angle);
        QFETCH(double, expected);
        compareExact(TavShare::getAngleBetweenPis(angle), expected);
    }

    void middle_data()
    {
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<double>("expected");

        QTest::newRow("increasing: the mean") << 0.0 << pi / 2 << 0.7853981633974483;
        QTest::newRow("decreasing: through pi") << pi / 2 << 0.0 << -2.356194490192345;
        QTest::newRow("3pi/4 to -3pi/4") << 3 * pi / 4 << -3 * pi / 4 << pi;
        QTest::newRow("-3pi/4 to 3pi/4") << -3 * pi / 4 << 3 * pi / 4 << 0.0;
        QTest::newRow("pi to -pi") << pi << -pi << pi;
        QTest::newRow("-pi to pi") << -pi << pi << 0.0;
        QTest::newRow("equal angles") << 1.25 << 1.25 << 1.25;
        QTest::newRow("2pi normalised first") << 0.1 << twoPi << -3.0915926535897933;
        QTest::newRow("nan first") << nanValue << 1.0 << nanValue;
        QTest::newRow("inf second") << 1.0 << infinity << nanValue;
        QTest::newRow("-inf first") << -infinity << 1.0 << nanValue;
    }

    void middle()
    {
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(double, expected);
        compareExact(TavShare::getMiddleAngleBetweenPis(first, second), expected);
    }
};

TAVTEST_MAIN(TestAngles)
#include "tst_angles.moc"
