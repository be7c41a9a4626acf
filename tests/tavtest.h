// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVTEST_H
#define TAVTEST_H

// Shared by the test executables: every test runs against a settings store and a
// temporary folder of its own, never against the user's.

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace TavTest {

// Points XDG_CONFIG_HOME and TMPDIR at a fresh folder. Construct it before the
// application object, since QSettings fixes the store's location at its first use. The
// temporary folder is shared like /tmp, so that a case may act there as another user.
class Sandbox
{
public:
    Sandbox()
    {
        const QString config = m_root.filePath(QStringLiteral("config")), temp = m_root.filePath(QStringLiteral("tmp"));
        QDir().mkpath(config);
        QDir().mkpath(temp);
        ::chmod(QFile::encodeName(m_root.path()).constData(), 0711);
        ::chmod(QFile::encodeName(temp).constData(), 01777);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qputenv("TMPDIR", QFile::encodeName(temp));
    }

private:
    QTemporaryDir m_root;
};

// The file behind the suite's preference store in this sandbox.
inline QString storeFile()
{
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Zentrabio/Tavrelle.conf");
}

// A file's bytes, null when it cannot be opened.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes path hold content, and nothing else; whether it could.
inline bool writeFile(const QString &path, const QByteArray &content = QByteArray())
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// How many inotify instances the process (0: this one) has open.
inline int inotifyInstances(qint64 pid = 0)
{
    const QString descriptors = pid ? QStringLiteral("/proc/%1/fd").arg(pid) : QStringLiteral("/proc/self/fd");
    int instances = 0;
    for (const QFileInfo &link : QDir(descriptors).entryInfoList(QDir::System))
        instances += link.symLinkTarget().endsWith(QLatin1String("anon_inode:inotify"));
    return instances;
}

// Collects the texts of the messages written while it exists.
class MessageCapture
{
public:
    MessageCapture() { s_current = this; m_previous = qInstallMessageHandler(&MessageCapture::handle); }
    ~MessageCapture() { qInstallMessageHandler(m_previous); s_current = nullptr; }
    const QStringList &texts() const { return m_texts; }

private:
    static void handle(QtMsgType, const QMessageLogContext &, const QString &text) { s_current->m_texts.append(text); }
    static inline MessageCapture *s_current = nullptr;
    QtMessageHandler m_previous;
    QStringList m_texts;
};

} // namespace TavTest

// A QTest main that sets up the sandbox before the application object exists.
#define TAVTEST_MAIN(TestObject)                                                                   \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TavTest::Sandbox sandbox;                                                                  \
        QCoreApplication app(argc, argv);                                                          \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

#endif // TAVTEST_H
