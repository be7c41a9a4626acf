#include "TavShare.h"

#include <QStringView>

#include <vector>

QString TavShare::getReverseMappingCode(const QString &code)
{
    const QList<QStringView> entries = QStringView(code).split(QLatin1Char(';'));
    const qsizetype count = entries.size();

    // Values outside 0..count-1 never reach the result, so a vector indexed by value holds
    // every record that matters. A later position of the same value replaces an earlier one.
    std::vector<qsizetype> reverse(static_cast<std::size_t>(count), 0);
    for (qsizetype position = 0; position < count; ++position) {
        const int value = entries.at(position).toInt(); // anything but a number counts as 0
        if (value >= 0 && value < count)
            reverse[static_cast<std::size_t>(value)] = position;
    }

    QString result;
    for (qsizetype position = 0; position < count; ++position) {
        if (position > 0)
            result += QLatin1Char(';');
        result += QString::number(reverse[static_cast<std::size_t>(position)]);
    }
    return result;
}
