// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The meeting point of the program and the book's module (app/book/, libzelvara_book_window.so): the
// club book's window, its "record" dialog, SQLite and Qt Charts live in the module, which the program
// loads the first time the book is used (platform/modules.h), so that starting the program loads none
// of them. The program hands the module a BookHost; the module's root object is a BookModule.
//
// Both sides are built from one tree at one time: the values passed are the program's own types.

#include <QtPlugin>

class QWidget;
class QString;

namespace zelvara::correction {
struct SettledSheet;
}

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::sheetfile {
struct SheetDocument;
}

namespace zelvara::app {

// What the book's module may ask of the program.
class BookHost
{
public:
    virtual ~BookHost() = default;
    // The main window, over which the "record" dialog opens and beside which the book's window starts.
    virtual QWidget *mainWindow() = 0;
    virtual platform::Desktop &desktop() = 0;
    // The settled sheet whose results are on the screen; nothing while none are.
    virtual const correction::SettledSheet *shownSettlement() const = 0;
    // Puts a recorded sheet on the main window as a sheet file is opened: in its turn, after the question
    // that keeps a typed sheet, results hidden. `source` names it in that question and in any message
    // ("пулей из журнала от 08.12.2026 21:40").
    virtual void openSheet(const sheetfile::SheetDocument &document, const QString &source) = 0;
};

// The book's module, as the program uses it.
class BookModule
{
public:
    virtual ~BookModule() = default;
    // Called once, before anything else; the host outlives the module's windows.
    virtual void start(BookHost &host) = 0;
    // "Записать в журнал…": asks for the date and the note of the shown settled sheet, then records it.
    virtual void recordShownSheet() = 0;
    // "Журнал…": shows the book's window and brings it forward.
    virtual void showBook() = 0;
};

} // namespace zelvara::app

// moc reads the interface's name as a literal, so it is a macro.
#define ZelvaraBookModule_iid "io.github.zelvara.BookModule/1" // NOLINT(cppcoreguidelines-macro-usage)
Q_DECLARE_INTERFACE(zelvara::app::BookModule, ZelvaraBookModule_iid)
