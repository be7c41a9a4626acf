// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"

#include <QTextCodec>

// Qt 5 writes each value of an INI file one UTF-16 unit at a time, every unit through its
// own call of the file's codec without a conversion state. Qt's UTF-8 codec cannot encode
// half of a surrogate pair on its own and drops it, so every character above U+FFFF
// vanished from the whole store at the next save of any key, whichever Qt had stored it.
// This codec is UTF-8 except that a high surrogate ending a stateless call is held back
// and encoded together with the low surrogate the next call brings: the file gets the
// same four bytes that Qt 6 writes.

namespace {

// The calls of one write come from the thread that writes the file.
thread_local QChar heldHighSurrogate;

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

        QByteArray bytes;
        if (!heldHighSurrogate.isNull()) {
            if (length > 0 && in->isLowSurrogate()) {
                const QChar pair[2] = {heldHighSurrogate, *in};
                bytes = m_utf8->fromUnicode(pair, 2);
                ++in;
                --length;
            }
            // Without its low half the high one is dropped, as Qt's own codec drops it.
            heldHighSurrogate = QChar();
        }
        if (length > 0 && in[length - 1].isHighSurrogate()) {
            heldHighSurrogate = in[length - 1];
            --length;
        }
        bytes += m_utf8->fromUnicode(in, length);
        return bytes;
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
