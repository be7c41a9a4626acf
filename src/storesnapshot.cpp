// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "storesnapshot_p.h"

#include <QList>

namespace {

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if ((u | 0x20) >= 'a' && (u | 0x20) <= 'f')
        return (u | 0x20) - 'a' + 10;
    return -1;
}

// A key as QSettings escapes it in the file: "%XX" and "%UXXXX" for characters outside
// its plain set, "\" for the group separator.
QString unescapedKey(const QString &key)
{
    QString result;
    for (int i = 0; i < key.size(); ++i) {
        const QChar c = key.at(i);
        const bool wide = c == QLatin1Char('%') && key.mid(i + 1, 1) == QLatin1String("U");
        const int digits = wide ? 4 : 2;
        const QString hex = key.mid(i + (wide ? 2 : 1), digits);
        bool ok = c == QLatin1Char('%') && hex.size() == digits;
        const ushort code = ok ? hex.toUShort(&ok, 16) : 0;
        if (ok) {
            result += QChar(code);
            i += digits + (wide ? 1 : 0);
        } else {
            result += c == QLatin1Char('\\') ? QLatin1Char('/') : c;
        }
    }
    return result;
}

// value with every "\x" escape replaced by the character it stands for; QSettings reads
// as many hex digits as follow, so a writer escapes a hex digit after one. Other escapes
// are written alike by both Qt majors and stay as they are.
QString resolvedValue(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('\\') || value.mid(i + 1, 1) != QLatin1String("x")) {
            result += value.at(i);
            if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size())
                result += value.at(++i);
            continue;
        }
        ushort code = 0;
        i += 2;
        for (; i < value.size() && hexValue(value.at(i)) >= 0; ++i)
            code = ushort(code * 16 + hexValue(value.at(i)));
        --i;
        result += QChar(code);
    }
    return result;
}

} // namespace

QHash<QString, QString> parseStoreText(const QByteArray &text)
{
    QHash<QString, QString> values;
    QString section;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const int end = line.lastIndexOf(']');
            section = unescapedKey(QString::fromUtf8(line.mid(1, end < 0 ? -1 : end - 1)));
            // "[General]" holds the keys of no group; a group of that name is "[%General]".
            if (section == QLatin1String("General"))
                section.clear();
            else if (section == QLatin1String("%General"))
                section = QStringLiteral("General");
            continue;
        }
        const int equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString key = unescapedKey(QString::fromUtf8(line.left(equals).trimmed()));
        values.insert(section.isEmpty() ? key : section + QLatin1Char('/') + key,
                      resolvedValue(QString::fromUtf8(line.mid(equals + 1).trimmed())));
    }
    return values;
}
