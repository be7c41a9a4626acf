// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "LinePlotData.h"

namespace {

// Largest by plain '>': equal values and NaN never replace the current largest, so a NaN
// in first place stays the largest. The series must not be empty.
double largestValue(const std::vector<double> &values)
{
    double largest = values.front();
    for (const double value : values) {
        if (value > largest)
            largest = value;
    }
    return largest;
}

bool hasValues(const LinePlotData::LineEntry &entry)
{
    return entry.lineValues && !entry.lineValues->empty();
}

} // namespace

LinePlotData::LinePlotData()
    : QObject(nullptr)
    , baseValues(new std::vector<double>)
{
    baseValues->reserve(100);
}

LinePlotData::~LinePlotData()
{
    delete baseValues;
    for (const auto &line : lines)
        delete line.second.lineValues;
}

void LinePlotData::removeZeroEntries()
{
    for (auto it = lines.begin(); it != lines.end();) {
        // -0.0 == 0.0, so both signs of zero count.
        if (hasValues(it->second) && largestValue(*it->second.lineValues) == 0.0) {
            delete it->second.lineValues;
            it = lines.erase(it);
        } else {
            ++it;
        }
    }
}

void LinePlotData::update()
{
    Q_EMIT changed();
}
