// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef LINEPLOTDATA_H
#define LINEPLOTDATA_H

#include "tavshare_export.h"

#include <QObject>

#include <string>
#include <unordered_map>
#include <vector>

/**
 * The data behind a line plot.
 *
 * A table of lines, each with a label and a value series, plus three plot texts and a
 * value series of the plot as a whole. The programs that draw plots fill the members
 * directly and call update() to tell observers through changed(); what the texts and
 * baseValues mean (a title, axis labels, the shared abscissa values, say) is theirs to
 * decide.
 *
 * Ownership: the object owns baseValues and the lineValues of every entry in lines, and
 * frees them when destroyed. A program that erases an entry itself frees its values.
 *
 * Like any QObject, the object is used from the thread that owns it.
 */
class TAVSHARE_EXPORT LinePlotData : public QObject
{
    Q_OBJECT

public:
    /** One line of the plot. */
    struct LineEntry {
        std::string lineLabel;                     ///< The line's label.
        std::vector<double> *lineValues = nullptr; ///< The line's values; the LinePlotData owns them once the entry is in lines.
    };

    /** Empty table and texts; baseValues empty with room for 100 values. */
    LinePlotData();

    /** Frees baseValues and the values of every line still in the table. */
    ~LinePlotData() override;

    /**
     * Drops, and frees, every line whose largest value equals zero (0.0 or -0.0).
     *
     * A NaN in first place counts as largest and keeps the line; lines without values
     * (an empty or null lineValues) stay. Emits nothing: call update() afterwards to
     * redraw.
     */
    void removeZeroEntries();

    std::unordered_map<long, LineEntry> lines; ///< The lines, by a key the program chooses.
    std::string firstLabel;                    ///< The first plot text; empty at first.
    std::vector<double> *baseValues;           ///< The values of the plot as a whole, owned by this object.
    std::string secondLabel;                   ///< The second plot text; empty at first.
    std::string thirdLabel;                    ///< The third plot text; empty at first.

Q_SIGNALS:
    /** The data changed and observers should redraw; emitted by update() only. */
    void changed();

public Q_SLOTS:
    /** Emits changed(). */
    void update();
};

#endif // LINEPLOTDATA_H
