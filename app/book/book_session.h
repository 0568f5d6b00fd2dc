// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one connection of the program's windows to the club book, shared by the "record" dialog and the
// book's window, and the news that the book changed: by a change made here, or by another program
// (another copy, zelvara-book) whose commit the book's data version shows.

#include "book/book.h"

#include <QObject>
#include <QString>

#include <optional>

namespace zelvara::app {

class BookSession : public QObject
{
    Q_OBJECT

public:
    explicit BookSession(QString path, QObject *parent = nullptr);
    ~BookSession() override;
    Q_DISABLE_COPY_MOVE(BookSession)

    const QString &path() const { return m_path; }

    // The book to read; nothing, with the player's message in `problem`, when it cannot be used. A book
    // that does not exist yet reads as empty and is not created by looking at it.
    book::Book *reader(QString *problem);
    // The book to change, created (its folder 0700) when it does not exist yet.
    book::Book *writer(QString *problem);
    // Whether the book can be changed: false for a read-only file, and while it cannot be opened.
    bool writable();
    // Forgets the connection after a failure, so that the next use opens the book again and says why.
    void close();

    // A change made through this session: every view reads the book again.
    void changedHere();
    // Whether another program changed the book since the last look; the views are told if so.
    void look();

signals:
    void changed();

private:
    book::Book *open(book::Book::Access access, QString *problem);

    QString m_path;
    std::optional<book::Book> m_book;
    bool m_exists = false; // the book was there when it was opened
    std::int64_t m_version = 0;
};

} // namespace zelvara::app
