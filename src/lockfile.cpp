// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "lockfile_p.h"
#include "lockholder_p.h"
#include "logging_p.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>

namespace {

const char cantOpenFile[] = "Can't open file ";
const char cantReadFile[] = "Can't read file ";

// The two debug messages of every failure: where it was found, then what could not be
// done with which lock file. A third one gives the reason when the library refused.
void reportFailure(const char *where, const char *what, const QString &lockFilePath, const QString &reason = QString())
{
    tavDebug() << where;
    tavDebug() << what << lockFilePath;
    if (!reason.isEmpty())
        tavDebug().noquote() << reason;
}

// Why the library refused to read or to rewrite the lock file, if it did.
QString refusalOf(const LockFileHandle &lockFile)
{
    if (lockFile.status() == LockFileHandle::CannotOpen || lockFile.refusal().isEmpty())
        return QString();
    return QStringLiteral("The lock file ") + lockFile.refusal();
}

const char unlistablePath[] = "A path with a line break, an unpaired surrogate or more than 16 MiB cannot be listed in a lock file";

// The UTF-8 bytes of one entry. Entries are handled as bytes so that a lock file of a
// thousand entries costs no thousand string allocations per call.
using Line = std::string_view;

Line asLine(const QByteArray &bytes)
{
    return Line(bytes.constData(), size_t(bytes.size()));
}

// The white space QString::trimmed removes, as far as ASCII goes.
bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isAscii(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

const Line byteOrderMark = "\xef\xbb\xbf";

// The entry of a line that ends in a character beyond ASCII, whose white space QString
// knows, or that holds a carriage return, which text reading drops wherever it stands.
QByteArray entryOf(Line line)
{
    QByteArray bytes(line.data(), int(line.size()));
    bytes.truncate(int(std::remove(bytes.begin(), bytes.end(), '\r') - bytes.begin()));
    // QString::fromUtf8 would drop a byte order mark that starts the line.
    const bool marked = asLine(bytes).substr(0, byteOrderMark.size()) == byteOrderMark;
    const QString text = marked ? QChar(0xfeff) + QString::fromUtf8(bytes.mid(int(byteOrderMark.size()))) : QString::fromUtf8(bytes);
    return text.trimmed().toUtf8();
}

// Calls use(entry, inContent) for every entry of content in order: each line, cut at
// "\n" only as QTextStream::readLine does, trimmed of white space, unless that leaves it
// empty. A line that starts or ends in a character beyond ASCII, or holds a carriage
// return, goes through entryOf; inContent is then false, as the entry lives in a buffer
// of its own until use returns. Any other line is used in place, byte for byte.
template <typename Use>
void forEachEntry(const QByteArray &content, Use use)
{
    Line rest = asLine(content);
    // Searched once for the whole content rather than line by line: most lock files hold none.
    const bool carriageReturns = rest.find('\r') != Line::npos;
    // A byte order mark at the start tells the encoding; it is no part of the first line.
    if (rest.substr(0, byteOrderMark.size()) == byteOrderMark)
        rest.remove_prefix(byteOrderMark.size());
    for (;;) {
        const size_t lineEnd = rest.find('\n');
        Line line = rest.substr(0, lineEnd);
        while (!line.empty() && isAsciiSpace(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && isAsciiSpace(line.back()))
            line.remove_suffix(1);
        if (line.empty() || (isAscii(line.front()) && isAscii(line.back()) && (!carriageReturns || line.find('\r') == Line::npos))) {
            if (!line.empty())
                use(line, true);
        } else {
            const QByteArray trimmed = entryOf(line);
            if (!trimmed.isEmpty())
                use(asLine(trimmed), false);
        }
        if (lineEnd == Line::npos)
            return;
        rest.remove_prefix(lineEnd + 1);
    }
}

// The entries of content except those equal to removed, joined by "\n", with room
// reserved for the caller to add that many bytes; removedCount tells how many were left
// out. Entries that stand in content exactly so, one "\n" apart, are copied as one run: a
// lock file this library wrote is copied in one or two pieces, not line by line.
QByteArray joinEntries(const QByteArray &content, const QByteArray &removed, qsizetype room, int *removedCount)
{
    QByteArray joined;
    joined.reserve(int(content.size() + room));
    auto appendToJoined = [&joined](Line entries) {
        if (!joined.isEmpty())
            joined += '\n';
        joined.append(entries.data(), int(entries.size()));
    };
    const Line removedEntry = asLine(removed);
    Line run;
    *removedCount = 0;
    forEachEntry(content, [&](Line entry, bool inContent) {
        if (entry == removedEntry) {
            ++*removedCount;
            return;
        }
        if (inContent && !run.empty() && entry.data() == run.data() + run.size() + 1) {
            run = Line(run.data(), run.size() + 1 + entry.size());
            return;
        }
        if (!run.empty())
            appendToJoined(run);
        run = Line();
        if (inContent)
            run = entry;
        else
            appendToJoined(entry);
    });
    if (!run.empty())
        appendToJoined(run);
    return joined;
}

// Where entry stands in content. Plain content is what this library writes: its entries
// one "\n" apart, byte for byte, and nothing else; an entry is then added or taken out
// by writing what changes, without copying the others.
struct Scan
{
    int listed = 0;
    qsizetype at = -1; // of the first line naming entry, in plain content
    bool plain = true;
};

Scan scanFor(const QByteArray &content, const QByteArray &entry)
{
    Scan scan;
    const Line wanted = asLine(entry);
    const char *next = content.constData(); // where the next entry starts in plain content
    forEachEntry(content, [&](Line line, bool inContent) {
        scan.plain = scan.plain && inContent && line.data() == next;
        next = line.data() + line.size() + 1;
        if (line == wanted && scan.listed++ == 0 && inContent)
            scan.at = line.data() - content.constData();
    });
    scan.plain = scan.plain && (content.isEmpty() || next == content.constData() + content.size() + 1);
    return scan;
}

// The length of the longest common start of a and b.
qsizetype commonStart(const QByteArray &a, const QByteArray &b)
{
    const qsizetype length = std::min(a.size(), b.size());
    // Whole blocks through memcmp, which is many times faster than a loop over bytes.
    const qsizetype block = 1024;
    qsizetype same = 0;
    while (same + block <= length && std::memcmp(a.constData() + same, b.constData() + same, size_t(block)) == 0)
        same += block;
    while (same < length && a.at(same) == b.at(same))
        ++same;
    return same;
}

// What this process learnt of a lock file's content by its last change: where entry
// stands in the content it then wrote. A release right after a take, or a take right
// after a release, finds the same bytes unless another process changed them between, and
// then needs no pass over the lines: comparing the bytes costs a fraction of that.
class Learnt
{
public:
    Scan scanFor(const QByteArray &content, const QByteArray &entry)
    {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            if (entry == m_entry && content == m_content)
                return m_scan;
        }
        return ::scanFor(content, entry);
    }

    void learn(const QByteArray &content, const QByteArray &entry, const Scan &scan)
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_content = content;
        m_entry = entry;
        m_scan = scan;
    }

private:
    std::mutex m_mutex;
    QByteArray m_content;
    QByteArray m_entry;
    Scan m_scan;
};

Learnt learnt;

// Whether line, added to plain content, keeps it plain: an entry that reads back as itself.
bool readsBackAsItself(Line line)
{
    return !line.empty() && isAscii(line.front()) && !isAsciiSpace(line.front()) && isAscii(line.back()) && !isAsciiSpace(line.back());
}

} // namespace

LockFileHandle::LockFileHandle(const QString &path, OpenMode mode)
    : m_status(openAndLock(path, mode))
{
}

bool LockFileHandle::canList(const QString &entry)
{
    // At most three bytes of UTF-8 for one UTF-16 unit.
    const bool fits = entry.size() <= maximumSize / 3 || entry.toUtf8().size() <= maximumSize;
    return fits && !entry.contains(QLatin1Char('\n')) && !entry.contains(QLatin1Char('\r')) && entry.isValidUtf16();
}

QStringList LockFileHandle::entries() const
{
    QStringList entries;
    forEachEntry(m_content, [&entries](Line entry, bool) { entries.append(QString::fromUtf8(entry.data(), int(entry.size()))); });
    return entries;
}

bool LockFileHandle::rewrite(const QStringList &entries)
{
    return m_status == Open && replaceContent(entries.join(QLatin1Char('\n')).toUtf8());
}

LockFileHandle::Outcome LockFileHandle::append(const QString &entry)
{
    if (m_status != Open)
        return WriteFailed;
    const QByteArray added = entry.toUtf8();
    const Scan scan = learnt.scanFor(m_content, added);
    if (scan.listed > 0)
        return Unchanged;
    if (scan.plain) {
        const qsizetype at = m_content.isEmpty() ? 0 : m_content.size() + 1;
        if (!replaceTail(m_content.size(), m_content.isEmpty() ? added : '\n' + added))
            return WriteFailed;
        if (readsBackAsItself(asLine(added)))
            learnt.learn(m_content, added, Scan{1, at, true});
        return Rewritten;
    }
    int listed;
    QByteArray content = joinEntries(m_content, added, 1 + added.size(), &listed);
    if (!content.isEmpty())
        content += '\n';
    content += added;
    return replaceContent(content) ? Rewritten : WriteFailed;
}

LockFileHandle::Outcome LockFileHandle::remove(const QString &entry)
{
    if (m_status != Open)
        return WriteFailed;
    const QByteArray removed = entry.toUtf8();
    const Scan scan = learnt.scanFor(m_content, removed);
    if (scan.listed == 0)
        return Unchanged;
    if (scan.plain && scan.listed == 1) {
        // The last line goes with the line feed before it; any other with the one after.
        const qsizetype end = scan.at + removed.size();
        const bool last = end == m_content.size();
        const QByteArray tail = last ? QByteArray() : m_content.mid(int(end + 1));
        if (!replaceTail(last ? std::max<qsizetype>(scan.at - 1, 0) : scan.at, tail))
            return WriteFailed;
        learnt.learn(m_content, removed, Scan{0, -1, true});
        return Rewritten;
    }
    int listed;
    const QByteArray content = joinEntries(m_content, removed, 0, &listed);
    return replaceContent(content) ? Rewritten : WriteFailed;
}

bool LockFileHandle::replaceContent(const QByteArray &content)
{
    const qsizetype same = commonStart(m_content, content);
    return replaceTail(same, content.mid(int(same)));
}

QString lockFilePathFor(const QString &applicationName)
{
    return QDir::tempPath() + QLatin1Char('/') + applicationName + QLatin1String(".lock");
}

QString TavShare::getLockFilePath()
{
    return lockFilePathFor(QCoreApplication::applicationName());
}

int TavShare::getLock(const QString &file)
{
    const QString entry = QFileInfo(file).absoluteFilePath();
    const QString lockFilePath = getLockFilePath();
    // The entry cannot be written, so the lock file is not touched.
    if (!LockFileHandle::canList(entry)) {
        reportFailure("Error found at bool TavShare::getLock(const QString & file) 3", cantOpenFile, lockFilePath, QLatin1String(unlistablePath));
        return 3;
    }
    LockFileHandle lockFile(lockFilePath, LockFileHandle::CreateIfMissing);
    switch (lockFile.status()) {
    case LockFileHandle::CannotCreate:
        reportFailure("Error found at bool TavShare::getLock(const QString & file) 1", cantOpenFile, lockFilePath);
        return 3;
    case LockFileHandle::CannotOpen:
    case LockFileHandle::Refused:
        reportFailure("Error found at bool TavShare::getLock(const QString & file) 2", cantReadFile, lockFilePath, refusalOf(lockFile));
        return 2;
    case LockFileHandle::Open:
        break;
    }

    // This process's record lists the entry before the lock file does: a holder killed in
    // between leaves a path in its record that the lock file does not list, never an
    // entry that no record lists.
    const bool noted = LockHolders::noteTaken(lockFilePath, entry);
    const LockFileHandle::Outcome outcome = lockFile.append(entry);
    if (outcome != LockFileHandle::Rewritten && noted)
        LockHolders::noteReleased(lockFilePath, entry);
    switch (outcome) {
    case LockFileHandle::Rewritten:
        return 0;
    case LockFileHandle::Unchanged:
        return 1;
    case LockFileHandle::WriteFailed:
        break;
    }
    reportFailure("Error found at bool TavShare::getLock(const QString & file) 3", cantOpenFile, lockFilePath, refusalOf(lockFile));
    return 3;
}

bool TavShare::releaseLock(const QString &file)
{
    const QFileInfo fileInfo(file);
    if (!fileInfo.exists())
        return false;

    const QString entry = fileInfo.absoluteFilePath();
    const QString lockFilePath = getLockFilePath();
    // Such an entry cannot have been written: its bytes would name other files.
    if (!LockFileHandle::canList(entry)) {
        reportFailure("Error found at TavShare::releaseLock(const QString & file) 2", cantOpenFile, lockFilePath, QLatin1String(unlistablePath));
        return false;
    }
    LockFileHandle lockFile(lockFilePath, LockFileHandle::OpenExisting);
    if (lockFile.status() != LockFileHandle::Open) {
        reportFailure("Error found at bool TavShare::releaseLock(const QString & file) 1", cantReadFile, lockFilePath, refusalOf(lockFile));
        return false;
    }

    switch (lockFile.remove(entry)) {
    case LockFileHandle::Rewritten:
        LockHolders::noteReleased(lockFilePath, entry);
        return true;
    case LockFileHandle::Unchanged:
        return false;
    case LockFileHandle::WriteFailed:
        break;
    }
    // This one message has always been written without the return type.
    reportFailure("Error found at TavShare::releaseLock(const QString & file) 2", cantOpenFile, lockFilePath);
    return false;
}
