// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef LINEPLOTDATA_H
#define LINEPLOTDATA_H

#include "tavshare_export.h"

#include <QObject>

#include <string>
#include <unordered_map>
#include <vector>

/*
 * The data behind a line plot: a table of lines, each with a label and a value series,
 * plus three plot texts and a value series of the plot as a whole. Programs fill the
 * members directly and call update() to tell observers through changed().
 *
 * Ownership: the object owns baseValues and the lineValues of every entry in lines, and
 * frees them when destroyed. A program that erases an entry itself frees its values.
 */
class TAVSHARE_EXPORT LinePlotData : public QObject
{
    Q_OBJECT

public:
    struct LineEntry {
        std::string lineLabel;
        std::vector<double> *lineValues = nullptr;
    };

    // Empty table and texts; baseValues empty with room for 100 values.
    LinePlotData();
    ~LinePlotData() override;

    // Drops, and frees, every line whose largest value equals zero (0.0 or -0.0). A NaN
    // in first place counts as largest and keeps the line; lines without values stay.
    // Emits nothing: call update() afterwards to redraw.
    void removeZeroEntries();

    std::unordered_map<long, LineEntry> lines;
    std::string firstLabel;
    std::vector<double> *baseValues;
    std::string secondLabel;
    std::string thirdLabel;

Q_SIGNALS:
    void changed();

public Q_SLOTS:
    // Emits changed().
    void update();
};

#endif // LINEPLOTDATA_H
