// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/book_session.h"

#include "app/book/book_texts.h"

#include <QFile>
#include <QFileInfo>

namespace zelvara::app {

BookSession::BookSession(QString path, QObject *parent) : QObject(parent), m_path(std::move(path)) {}

BookSession::~BookSession() = default;

book::Book *BookSession::open(book::Book::Access access, QString *problem)
{
    try {
        const bool exists = QFileInfo::exists(m_path);
        // A book that is there opens for writing (deleting, renaming), or for reading when its file may
        // not be written; one that is not there reads as empty until something is recorded.
        m_book.emplace(
            book::Book::open(QFile::encodeName(m_path).toStdString(), exists ? book::Book::Access::Write : access));
        m_exists = exists || access == book::Book::Access::Write;
        m_version = m_book->dataVersion();
        return &*m_book;
    } catch (const book::BookError &error) {
        m_book.reset();
        if (problem)
            *problem = bookProblem(error, m_path);
        return nullptr;
    }
}

book::Book *BookSession::reader(QString *problem)
{
    return m_book ? &*m_book : open(book::Book::Access::Read, problem);
}

book::Book *BookSession::writer(QString *problem)
{
    if (m_book && m_exists)
        return &*m_book;
    m_book.reset();
    return open(book::Book::Access::Write, problem);
}

bool BookSession::writable()
{
    book::Book *book = reader(nullptr);
    // A book not yet there is created by the first change.
    return book != nullptr && (!m_exists || !book->readOnly());
}

void BookSession::close()
{
    m_book.reset();
}

void BookSession::changedHere()
{
    if (m_book) {
        try {
            m_version = m_book->dataVersion();
        } catch (const book::BookError &) {
            m_book.reset();
        }
    }
    emit changed();
}

void BookSession::look()
{
    if (!m_book)
        return;
    if (!m_exists) {
        // Another program made the book: read it from now on.
        if (QFileInfo::exists(m_path)) {
            m_book.reset();
            emit changed();
        }
        return;
    }
    try {
        const std::int64_t version = m_book->dataVersion();
        if (version == m_version)
            return;
        m_version = version;
    } catch (const book::BookError &) {
        // The views meet the failure when they read again, and say it.
        m_book.reset();
    }
    emit changed();
}

} // namespace zelvara::app
