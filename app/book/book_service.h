// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The book's module as the program sees it (app/book_module.h): recording the shown settled sheet after
// the "record" dialog, and the book's window. It owns the one connection to the book, the dialog while it
// is open and the window once made. module.cpp makes it the root object of libzelvara_book_window.so;
// the widget tests link it as a library.

#include "app/book_module.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace zelvara::book {
struct SettledSheet;
}

namespace zelvara::app {

class BookSession;
class BookWindow;
class RecordDialog;

class BookService : public QObject, public BookModule
{
    Q_OBJECT
    Q_INTERFACES(zelvara::app::BookModule)

public:
    // The book at `path`; empty: where the player's book lives ($XDG_DATA_HOME/zelvara/book.sqlite).
    explicit BookService(const QString &path = {}, QObject *parent = nullptr);
    ~BookService() override;
    Q_DISABLE_COPY_MOVE(BookService)

    void start(BookHost &host) override;
    void recordShownSheet() override;
    void showBook() override;

    BookSession &session() const { return *m_session; }
    // The window once made, and the "record" dialog while it is open; for the tests.
    BookWindow *window() const { return m_window.get(); }
    RecordDialog *recordDialog() const;

private:
    // Stores the sheet under the date and note the dialog gave, asking first when the book already holds
    // it at that moment.
    void record(const book::SettledSheet &sheet, const RecordDialog &dialog);
    void refuse(const QString &message);

    BookHost *m_host = nullptr;
    std::unique_ptr<BookSession> m_session;
    std::unique_ptr<BookWindow> m_window;
    QPointer<RecordDialog> m_recordDialog;
};

} // namespace zelvara::app
