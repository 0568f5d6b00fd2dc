// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The club book in the "&Пуля" menu: "Записать в журнал…" and "Журнал…" at its end. The book itself
// lives in a module (app/book_module.h) loaded on the first use of either item; until then this is two
// menu items and nothing else, so the program starts as it did without a book.

#include "app/book_module.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;

namespace zelvara::app {

class SheetFileController;
class TZelvara;

class BookController : public QObject, public BookHost
{
    Q_OBJECT

public:
    // Loads the module: its root object, or nothing with the reason. The program's loader looks for
    // libzelvara_book_window.so (platform::loadModule); tests hand in the module's code linked in.
    using ModuleLoader = std::function<QObject *(QString *problem)>;

    BookController(TZelvara &mainWindow, SheetFileController &sheetFiles, platform::Desktop &desktop,
                   ModuleLoader loader = {}, QObject *parent = nullptr);
    ~BookController() override;
    Q_DISABLE_COPY_MOVE(BookController)

    // The handlers, named after their menu items.
    void RecordInBookClick();
    void ShowBookClick();

    // BookHost
    QWidget *mainWindow() override;
    platform::Desktop &desktop() override;
    const correction::SettledSheet *shownSettlement() const override;
    void openSheet(const sheetfile::SheetDocument &document, const QString &source) override;

private:
    // The module, loaded and started on first use; nothing (the player told why) when it cannot be.
    BookModule *module();
    void shownSettlementChanged();

    TZelvara &m_mainWindow;
    SheetFileController &m_sheetFiles;
    platform::Desktop &m_desktop;
    ModuleLoader m_loader;
    QAction *m_record = nullptr;
    QAction *m_show = nullptr;
    BookModule *m_module = nullptr;
};

} // namespace zelvara::app
