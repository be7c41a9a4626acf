#include "tavtest.h"

#include <TavShare.h>

#include <cmath>
#include <limits>

// The listed values are exact doubles: every comparison here is bit for bit.

static constexpr double pi = 3.141592653589793;
static constexpr double twoPi = 6.283185307179586;
static const double nanValue = std::numeric_limits<double>::quiet_NaN();
static const double infinity = std::numeric_limits<double>::infinity();

class TestAngles : public QObject
{
    Q_OBJECT

private slots:
    void degreesAndRadians();
    void normalise_data();
    void normalise();
    void nanAndInfinities_data();
    void nanAndInfinities();
    void middle_data();
    void middle();
};

void TestAngles::degreesAndRadians()
{
    QVERIFY(TavShare::getAngleFromDegree(180.0) == 3.141592653589793);
    QVERIFY(TavShare::getDegreeFromAngle(3.141592653589793) == 180.0);
    QVERIFY(TavShare::getAngleFromDegree(1.0) == 0.017453292519943295);
    QVERIFY(TavShare::getDegreeFromAngle(1.0) == 57.29577951308232);
}

void TestAngles::normalise_data()
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

    // Far out the remainder is exact. 2^20 turns plus a small integer is exactly
    // representable, so the remainder is that integer (or it minus one turn, exactly).
    const double manyTurns = std::ldexp(twoPi, 20);
    QTest::newRow("2^20 turns + 1") << manyTurns + 1.0 << 1.0;
    QTest::newRow("-(2^20 turns + 1)") << -(manyTurns + 1.0) << -1.0;
    QTest::newRow("2^20 turns + 4") << manyTurns + 4.0 << 4.0 - twoPi;
    QTest::newRow("-(2^20 turns + 4)") << -(manyTurns + 4.0) << twoPi - 4.0;
    QTest::newRow("2^1000 turns") << std::ldexp(twoPi, 1000) << 0.0;
}

void TestAngles::normalise()
{
    QFETCH(double, angle);
    QFETCH(double, expected);

    QVERIFY2(TavShare::getAngleBetweenPis(angle) == expected,
             qPrintable(QString::number(TavShare::getAngleBetweenPis(angle), 'g', 17)));
}

void TestAngles::nanAndInfinities_data()
{
    QTest::addColumn<double>("angle");

    QTest::newRow("nan") << nanValue;
    QTest::newRow("inf") << infinity;
    QTest::newRow("-inf") << -infinity;
}

void TestAngles::nanAndInfinities()
{
    QFETCH(double, angle);

    QVERIFY(std::isnan(TavShare::getAngleBetweenPis(angle)));
    QVERIFY(std::isnan(TavShare::getMiddleAngleBetweenPis(angle, 1.0)));
    QVERIFY(std::isnan(TavShare::getMiddleAngleBetweenPis(1.0, angle)));
}

void TestAngles::middle_data()
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
}

void TestAngles::middle()
{
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(double, expected);

    QVERIFY2(TavShare::getMiddleAngleBetweenPis(first, second) == expected,
             qPrintable(QString::number(TavShare::getMiddleAngleBetweenPis(first, second), 'g', 17)));
}

TAVTEST_MAIN(TestAngles)
#include "tst_angles.moc"
