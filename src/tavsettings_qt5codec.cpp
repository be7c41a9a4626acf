// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"

#include <QTextCodec>

#include <utility>

// Qt 5 writes each value of an INI file one UTF-16 unit at a time, every unit through its
// own call of the file's codec without a conversion state, each call handed the unit's
// place in the value's own buffer. Qt's UTF-8 codec cannot encode half of a surrogate
// pair on its own and drops it, so every character above U+FFFF vanished from the whole
// store at the next save of any key, whichever Qt had stored it. This codec is UTF-8
// except that a call ending in a high surrogate looks at the unit after it in the same
// buffer (the value's next unit, or the NUL that ends every QString's data): a low
// surrogate there is encoded with it, giving the four bytes that Qt 6 writes, and the
// call for that very unit then writes nothing. Nothing is held from one value to the
// next: a high surrogate that ends a value is dropped as Qt's own codec drops it.

namespace {

// The low surrogate encoded already, which the next call of this thread brings.
thread_local const QChar *encodedLowSurrogate = nullptr;

class SurrogatePairingUtf8Codec : public QTextCodec
{
public:
    QByteArray name() const override { return QByteArrayLiteral("TavShare-UTF-8"); }
    // There is no registered number for it; one that no lookup by number asks for.
    int mibEnum() const override { return -7301; }

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override
    {
        // The reader hands over whole runs of bytes, so nothing needs pairing there.
        return m_utf8->toUnicode(in, length, state);
    }

    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *state) const override
    {
        if (state)
            return m_utf8->fromUnicode(in, length, state);
        if (std::exchange(encodedLowSurrogate, nullptr) == in && length > 0) {
            ++in;
            --length;
        }
        if (length > 0 && in[length - 1].isHighSurrogate() && in[length].isLowSurrogate())
            encodedLowSurrogate = in + length++;
        return m_utf8->fromUnicode(in, length);
    }

private:
    const QTextCodec *const m_utf8 = QTextCodec::codecForMib(106);
};

} // namespace

QTextCodec *storeCodec()
{
    // Qt keeps every codec created on the heap in its list and deletes it at exit.
    static QTextCodec *const codec = new SurrogatePairingUtf8Codec;
    return codec;
}
