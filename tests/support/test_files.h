// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files a test writes and reads back whole.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace zelvara::testing {

// Writes `bytes` as the whole file; a failure fails the calling test.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The whole file, or "<unreadable>" (no file's content in these tests) when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace zelvara::testing
