// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/records_model.h"

#include "app/book/book_session.h"
#include "app/book/book_texts.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace zelvara::app {

RecordsModel::RecordsModel(BookSession &session, char separator, QObject *parent)
    : QAbstractTableModel(parent), m_session(session), m_separator(separator)
{}

RecordsModel::~RecordsModel() = default;

void RecordsModel::setFilter(book::Filter filter)
{
    m_filter = std::move(filter);
    beginResetModel();
    m_records.clear();
    m_atEnd = false;
    if (auto page = readPage(PageSize))
        m_records = std::move(*page);
    endResetModel();
}

void RecordsModel::reload(book::Filter filter)
{
    const bool same = filter.from == m_filter.from && filter.to == m_filter.to && filter.player == m_filter.player;
    const std::size_t rows = same ? std::clamp(m_records.size(), PageSize, MaxReloaded) : PageSize;
    m_filter = std::move(filter);
    beginResetModel();
    m_records.clear();
    m_atEnd = false;
    if (auto page = readPage(rows))
        m_records = std::move(*page);
    endResetModel();
}

std::optional<std::vector<book::Record>> RecordsModel::readPage(std::size_t count)
{
    QString problem;
    book::Book *book = m_session.reader(&problem);
    if (!book) {
        m_atEnd = true;
        emit failed(problem);
        return std::nullopt;
    }
    try {
        std::optional<book::RecordCursor> after;
        if (!m_records.empty())
            after = book::RecordCursor{m_records.back().utc, m_records.back().id};
        auto page = book->records(m_filter, count, after);
        m_atEnd = page.size() < count;
        return page;
    } catch (const book::BookError &error) {
        m_atEnd = true;
        m_session.close();
        emit failed(bookProblem(error, m_session.path()));
        return std::nullopt;
    }
}

const book::Record *RecordsModel::recordAt(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < m_records.size() ? &m_records[static_cast<std::size_t>(row)]
                                                                        : nullptr;
}

int RecordsModel::rowOf(std::int64_t id) const
{
    const auto found = std::ranges::find(m_records, id, &book::Record::id);
    return found == m_records.end() ? -1 : static_cast<int>(found - m_records.begin());
}

int RecordsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int RecordsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordsModel::data(const QModelIndex &index, int role) const
{
    const book::Record *record = recordAt(index.row());
    if (!record || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole))
        return {};
    QString text;
    switch (index.column()) {
    case DateColumn:
        text = shownDate(record->date);
        break;
    case ResultsColumn:
        text = resultsLine(*record, m_separator);
        break;
    case NoteColumn:
        // One line in the table; the tooltip and a screen reader get it whole.
        text = QString::fromStdString(record->note);
        if (role == Qt::DisplayRole)
            text = text.simplified();
        break;
    default:
        return {};
    }
    return role == Qt::ToolTipRole ? plainToolTip(text) : text;
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case DateColumn:
        return u"Дата"_s;
    case ResultsColumn:
        return u"Игроки и итоги"_s;
    case NoteColumn:
        return u"Примечание"_s;
    default:
        return {};
    }
}

bool RecordsModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void RecordsModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_atEnd)
        return;
    auto page = readPage(PageSize);
    if (!page || page->empty())
        return;
    const auto first = static_cast<int>(m_records.size());
    beginInsertRows({}, first, first + static_cast<int>(page->size()) - 1);
    m_records.insert(m_records.end(), std::make_move_iterator(page->begin()), std::make_move_iterator(page->end()));
    endInsertRows();
}

} // namespace zelvara::app
