// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book_controller.h"

#include "app/main_window.h"
#include "app/sheet_file_controller.h"
#include "platform/desktop.h"
#include "platform/modules.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace zelvara::app {

BookController::BookController(TZelvara &mainWindow, SheetFileController &sheetFiles, platform::Desktop &desktop,
                               ModuleLoader loader, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_sheetFiles(sheetFiles), m_desktop(desktop),
      m_loader(std::move(loader))
{
    if (!m_loader)
        m_loader = [](QString *problem) { return platform::loadModule(u"zelvara_book_window"_s, problem); };
    QMenu *menu = mainWindow.poolMenu();
    menu->addSeparator();
    m_record = menu->addAction(u"&Записать в журнал…"_s);
    m_record->setObjectName(u"RecordInBook"_s);
    m_record->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_show = menu->addAction(u"&Журнал…"_s);
    m_show->setObjectName(u"ShowBook"_s);
    m_show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    connect(m_record, &QAction::triggered, this, &BookController::RecordInBookClick);
    connect(m_show, &QAction::triggered, this, &BookController::ShowBookClick);
    connect(&mainWindow, &TZelvara::shownSettlementChanged, this, &BookController::shownSettlementChanged);
    shownSettlementChanged();
}

// The module's windows go with its root object, before the main window they refer to.
BookController::~BookController() = default;

void BookController::shownSettlementChanged()
{
    m_record->setEnabled(m_mainWindow.shownSettlement() != nullptr);
}

BookModule *BookController::module()
{
    if (m_module)
        return m_module;
    QString problem;
    QObject *root = m_loader(&problem);
    auto *module = qobject_cast<BookModule *>(root);
    if (!module) {
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow, u"Журнал недоступен: не удалось загрузить его модуль ("_s +
                                               (root ? u"модуль другой версии"_s : problem) + u")."_s);
        return nullptr;
    }
    // Owned from now on, so that its windows close with the program's, not after them.
    root->setParent(this);
    m_module = module;
    m_module->start(*this);
    return m_module;
}

void BookController::RecordInBookClick()
{
    if (!m_mainWindow.shownSettlement())
        return;
    if (BookModule *book = module())
        book->recordShownSheet();
}

void BookController::ShowBookClick()
{
    if (BookModule *book = module())
        book->showBook();
}

QWidget *BookController::mainWindow()
{
    return &m_mainWindow;
}

platform::Desktop &BookController::desktop()
{
    return m_desktop;
}

const correction::SettledSheet *BookController::shownSettlement() const
{
    return m_mainWindow.shownSettlement();
}

void BookController::openSheet(const sheetfile::SheetDocument &document, const QString &source)
{
    m_sheetFiles.openSheetDocument(document, source);
}

} // namespace zelvara::app
