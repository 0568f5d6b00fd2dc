// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The club book's window, "Журнал": not modal, and it follows the book as it changes, here or in another
// program. A period and a player choose what it shows on three tabs:
//   "Пули"   the records, newest first: open one back into its sheet, give it a new date or note, delete
//            it (undone while the window stays open), import sheet files, export CSV;
//   "Итоги"  one row per player by total, and "Кто кому платит за период"; rename and merge players,
//            export CSV;
//   "График" each player's running total over the period; saved as PNG.
// Everything it shows comes from the book (book/); it settles nothing but imported files, through
// book::settleForBook.

#include "book/book.h"

#include <QWidget>

#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

namespace zelvara::app {

class BookChart;
class BookHost;
class BookSession;
class RecordsModel;

class BookWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Period { Everything, ThisMonth, ThisYear, Dates };

    BookWindow(BookSession &session, BookHost &host, QWidget *parent = nullptr);
    ~BookWindow() override;
    Q_DISABLE_COPY_MOVE(BookWindow)

    // Shows the window, read afresh, and brings it forward. False, with the player told why, when the
    // book cannot be read: the window then stays closed.
    bool showBook();

    // What the period and the player choose.
    book::Filter filter() const;
    void setPeriod(Period period);

    RecordsModel &records() const { return *m_records; }
    BookChart &chart() const { return *m_chart; }

    // Records the sheet files in one transaction, each settled as the window settles it; the player is
    // told what was recorded and which files were not, and why.
    void importFiles(const QStringList &paths);

    // The handlers, named after their buttons.
    void OpenRecordClick();
    void EditRecordClick();
    void DeleteRecordClick();
    void UndoDeleteClick();
    void ImportSheetsClick();
    void ExportRecordsClick();
    void RenamePlayerClick();
    void MergePlayersClick();
    void ExportStandingsClick();
    void SaveChartClick();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *recordsTab();
    QWidget *standingsTab();
    QWidget *chartTab();

    // Reads everything the window shows again: after a change, a new period or player.
    void refresh();
    void refreshPlayers();
    void refreshStandings();
    void refreshChart();
    void filterChanged();
    void tabChanged();
    void enableButtons();

    const book::Record *selectedRecord() const;
    QString selectedPlayer() const;
    // The book for a change, or nothing with the player told why.
    book::Book *writer();
    // Tells the player about a failure of the book; the connection is opened again on the next use.
    void fail(const book::BookError &error);
    void tell(const QString &message);
    bool exportText(const QString &caption, const QString &name, const std::string &text);
    char separator() const;

    BookSession &m_session;
    BookHost &m_host;
    RecordsModel *m_records = nullptr;
    BookChart *m_chart = nullptr;
    QComboBox *m_period = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QComboBox *m_player = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTableView *m_recordsView = nullptr;
    QTableWidget *m_standings = nullptr;
    QListWidget *m_payments = nullptr;
    QLabel *m_paymentsNote = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_openRecord = nullptr;
    QPushButton *m_editRecord = nullptr;
    QPushButton *m_deleteRecord = nullptr;
    QPushButton *m_undoDelete = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_rename = nullptr;
    QPushButton *m_merge = nullptr;
    QTimer *m_watch = nullptr;
    bool m_chartStale = true;
    bool m_refreshing = false;
    // What was deleted while the window is open, the last deleted last.
    std::vector<book::RemovedRecord> m_removed;
};

} // namespace zelvara::app
