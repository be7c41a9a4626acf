// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include <cmath>
#include <limits>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double twoPi = 6.283185307179586;
constexpr double degreesPerHalfTurn = 180.0;

// Up to a thousand turns from zero an angle is normalised by adding 2 pi step by step,
// and the result carries the rounding of every step (100.0 gives -0.5309649148734152, not
// the exact remainder), as the applications have always had it. The loop's time grows
// with the distance, and it never ends where adding 2 pi changes nothing, so farther out
// the exact remainder takes over. The slowest case, just inside the limit, takes under a
// microsecond.
constexpr double repeatedAdditionLimit = 1000 * twoPi;

} // namespace

double TavShare::getAngleFromDegree(double degree)
{
    return degree * pi / degreesPerHalfTurn;
}

double TavShare::getDegreeFromAngle(double angle)
{
    return angle * degreesPerHalfTurn / pi;
}

double TavShare::getAngleBetweenPis(double angle)
{
    if (std::isinf(angle))
        return std::numeric_limits<double>::quiet_NaN();

    if (std::fabs(angle) > repeatedAdditionLimit) {
        // fmod is exact, and so is the one step into range (the operands are within a
        // factor of two); the ends come out half-open as in the loop below.
        angle = std::fmod(angle, twoPi);
        if (angle > pi)
            angle -= twoPi;
        else if (angle < -pi)
            angle += twoPi;
        return angle;
    }

    while (angle > pi)
        angle += -twoPi;
    while (angle < -pi)
        angle += twoPi;
    return angle;
}

double TavShare::getMiddleAngleBetweenPis(double firstAngle, double secondAngle)
{
    const double first = getAngleBetweenPis(firstAngle);
    const double second = getAngleBetweenPis(secondAngle);
    const double middle = (first + second) * 0.5;
    // Counter-clockwise from a larger to a smaller angle the arc passes through pi.
    if (first > second)
        return getAngleBetweenPis(middle + pi);
    return middle;
}
