// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The records of the book as a table, newest first: date, players with their results, note. Rows are
// read a page at a time as the view scrolls to them (canFetchMore/fetchMore over Book::records and its
// cursor), so a book of a hundred thousand records opens at once and scrolls without a pause.

#include "book/book.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

namespace zelvara::app {

class BookSession;

class RecordsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { DateColumn, ResultsColumn, NoteColumn, ColumnCount };
    // Records read at a time: a screenful and more, a few milliseconds of the book's time.
    static constexpr std::size_t PageSize = 200;
    // The most rows read again at once after a change: a few tens of milliseconds.
    static constexpr std::size_t MaxReloaded = 20 * PageSize;

    RecordsModel(BookSession &session, char separator, QObject *parent = nullptr);
    ~RecordsModel() override;
    Q_DISABLE_COPY_MOVE(RecordsModel)

    // Which records to show; reads the first page again.
    void setFilter(book::Filter filter);
    // Reads the book again after it changed: with the same filter as many rows as were read before (the
    // first page at least, MaxReloaded at most), so that the rows in view stay in view.
    void reload(book::Filter filter);
    // The record of a row; nothing for a row that is not there.
    const book::Record *recordAt(int row) const;
    // The row of a record among those read; -1 when it is not among them.
    int rowOf(std::int64_t id) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    // Reading failed: the player's message. The rows read so far stay.
    void failed(const QString &message);

private:
    // Up to `count` records after those read; nothing when the book failed (failed() says why).
    std::optional<std::vector<book::Record>> readPage(std::size_t count);

    BookSession &m_session;
    char m_separator;
    book::Filter m_filter;
    std::vector<book::Record> m_records;
    bool m_atEnd = true;
};

} // namespace zelvara::app
