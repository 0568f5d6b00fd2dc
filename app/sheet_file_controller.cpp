// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sheet_file_controller.h"

#include "app/main_window.h"
#include "platform/desktop.h"
#include "platform/whole_file.h"
#include "sheetfile/sheet_file.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <string_view>
#include <utility>
#include <variant>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

const QString FileFilter = u"Пуля Zelvara (*.zelvara)"_s;
// Opening also offers the file's underlying format and anything at all: a sheet sent through a chat
// may arrive renamed.
const QString OpenFilter = FileFilter + u";;JSON (*.json);;Все файлы (*)"_s;
const QString Extension = u"zelvara"_s;

// A path as the player reads it in a message.
std::string shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
}

std::size_t sheetIndex(int players)
{
    return static_cast<std::size_t>(players - engine::MinPlayers);
}

// The local files a drag brings; empty when anything else comes with them.
QStringList localFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

// The local time with its offset from UTC: "2026-12-08T14:30:00+03:00".
std::string savedNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

} // namespace

SheetFileController::SheetFileController(TZelvara &mainWindow, platform::Desktop &desktop,
                                         QList<QWidget *> holdingDialogs, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_desktop(desktop), m_holdingDialogs(std::move(holdingDialogs))
{
    QMenu *menu = m_mainWindow.poolMenu();
    // The file commands lead the menu, whatever was added to it before.
    QAction *first = menu->actions().value(0);
    m_openSheet = new QAction(u"&Открыть пулю…"_s, menu);
    m_openSheet->setObjectName(u"OpenSheet"_s);
    m_openSheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_saveSheet = new QAction(u"&Сохранить пулю…"_s, menu);
    m_saveSheet->setObjectName(u"SaveSheet"_s);
    m_saveSheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menu->insertAction(first, m_openSheet);
    menu->insertAction(first, m_saveSheet);
    // The menu hides a separator with nothing after it.
    menu->insertSeparator(first);
    connect(m_openSheet, &QAction::triggered, this, &SheetFileController::OpenSheetClick);
    connect(m_saveSheet, &QAction::triggered, this, &SheetFileController::SaveSheetClick);

    // A file dragged over any field lands on the window, not in the field as text: the filter sits on
    // the application, which sees a drag before the widget under it does. It also sees every dialog
    // close, after which a waiting file may have its turn.
    m_mainWindow.setAcceptDrops(true);
    QCoreApplication::instance()->installEventFilter(this);
    connect(&m_mainWindow, &TZelvara::newCalculationStarted, this,
            [this](int players) { m_sheetFiles.at(sheetIndex(players)).clear(); });
}

SheetFileController::~SheetFileController() = default;

void SheetFileController::enqueue(Pending pending)
{
    m_pending.push_back(std::move(pending));
    schedule();
}

void SheetFileController::schedule()
{
    if (m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &SheetFileController::handleNext, Qt::QueuedConnection);
}

bool SheetFileController::heldByDialog() const
{
    return QApplication::activeModalWidget() != nullptr || !m_mainWindow.isEnabled() ||
           std::ranges::any_of(m_holdingDialogs, [](const QWidget *dialog) { return dialog->isVisible(); });
}

void SheetFileController::handleNext()
{
    m_scheduled = false;
    // Inside the loop of a box this controller opened, or behind a dialog: a dialog closing, and the end
    // of the item being handled, call again.
    if (m_handling || m_pending.empty() || heldByDialog())
        return;
    const Pending next = m_pending.front();
    m_pending.pop_front();
    m_handling = true;
    if (!next.message.isEmpty()) {
        refuse(next.message);
    } else if (next.document) {
        putOnScreen({}, next.source, sheetfile::withDecimalSeparator(*next.document, m_desktop.decimalSeparator()));
    } else {
        if (next.handed)
            m_mainWindow.bringToFront();
        openSheetFile(next.path);
    }
    m_handling = false;
    if (!m_pending.empty())
        schedule();
}

void SheetFileController::refuse(const QString &message)
{
    m_desktop.beep();
    m_desktop.showMessage(&m_mainWindow, message);
}

bool SheetFileController::openSheetFile(const QString &path)
{
    const std::string shown = shownPath(path);
    const auto fail = [this](const std::string &message) {
        refuse(QString::fromStdString(message));
        return false;
    };

    // Only a regular file: a folder, a device or a pipe could block or never end.
    const QFileInfo info(path);
    if (info.isDir())
        return fail(sheetfile::russianFolderMessage(shown));
    if (!info.isFile())
        return fail(sheetfile::russianUnreadableMessage(shown));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(sheetfile::russianUnreadableMessage(shown));
    constexpr auto largest = static_cast<qint64>(sheetfile::MaxFileSize);
    const QByteArray bytes = file.read(largest + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(sheetfile::russianUnreadableMessage(shown));
    if (bytes.size() > largest)
        return fail(sheetfile::russianTooLargeMessage(shown));

    const sheetfile::ReadResult result =
        sheetfile::readSheet(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (const auto *error = std::get_if<sheetfile::ReadError>(&result))
        return fail(sheetfile::russianMessage(*error, shown));

    const sheetfile::SheetDocument document =
        sheetfile::withDecimalSeparator(std::get<sheetfile::SheetDocument>(result), m_desktop.decimalSeparator());
    return putOnScreen(path, u"содержимым файла «"_s + QString::fromStdString(shown) + u'»', document);
}

bool SheetFileController::putOnScreen(const QString &path, const QString &source,
                                      const sheetfile::SheetDocument &document)
{
    // The sheet replaces the sheet of its own player count; what the player typed there and has not kept
    // in a file goes only on a "Да".
    const int players = document.sheet.players;
    if (m_mainWindow.typedSinceKept(players) &&
        !m_desktop.ask(&m_mainWindow, u"Заменить введённую пулю "_s + source + u'?'))
        return false;
    m_mainWindow.loadSheet(document.sheet, document.options, {document.saved, document.note.value_or(std::string())});
    // Saving proposes the file the sheet came from; a sheet that came from no file gets a new name.
    m_sheetFiles.at(sheetIndex(players)) = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    return true;
}

void SheetFileController::openSheetDocument(const sheetfile::SheetDocument &document, const QString &source)
{
    enqueue({{}, false, {}, std::make_shared<const sheetfile::SheetDocument>(document), source});
}

void SheetFileController::openHandedFile(const QString &path)
{
    enqueue({path, true});
}

bool SheetFileController::saveSheetFile(const QString &path)
{
    const int players = m_mainWindow.selectedPlayers();
    sheetfile::SheetDocument document;
    document.sheet = m_mainWindow.sheetTexts(players);
    document.options = m_mainWindow.options();
    document.decimalSeparator = m_desktop.decimalSeparator();
    document.saved = savedNow();
    const std::string &note = m_mainWindow.sheetOrigin(players).note;
    if (!note.empty())
        document.note = note;
    const std::string text = sheetfile::writeSheet(document);
    // A file the window could not open again is not written (a note of a megabyte from an opened file).
    if (text.size() > sheetfile::MaxFileSize) {
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow,
                            QString::fromStdString(sheetfile::russianTooLargeToSaveMessage(shownPath(path))));
        return false;
    }

    // The new text goes to a file beside the old one, is flushed to the disk and takes its name only when
    // it is complete, so an interrupted save leaves the old file or the new one, never a mix; another
    // user's link under the chosen name is never written through.
    if (!platform::writeFileAtomically(path, text)) {
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow,
                            QString::fromStdString(sheetfile::russianUnwritableMessage(shownPath(path))));
        return false;
    }
    m_sheetFiles.at(sheetIndex(players)) = QFileInfo(path).absoluteFilePath();
    m_mainWindow.markSheetKept(players);
    m_mainWindow.setSheetOrigin(players, {document.saved, note});
    return true;
}

QString SheetFileController::dialogFolder() const
{
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    // A missing documents folder would leave the dialog in whatever folder the program was started from.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void SheetFileController::OpenSheetClick()
{
    const QString path = m_desktop.openFileName(&m_mainWindow, u"Открыть пулю"_s, dialogFolder(), OpenFilter);
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    openSheetFile(path);
}

void SheetFileController::SaveSheetClick()
{
    // The file the sheet came from, or a new name by the date in the usual folder.
    QString proposed = m_sheetFiles.at(sheetIndex(m_mainWindow.selectedPlayers()));
    if (proposed.isEmpty()) {
        const QString name = u"Пуля "_s + QDate::currentDate().toString(u"yyyy-MM-dd"_s) + u'.' + Extension;
        proposed = QDir(dialogFolder()).filePath(name);
    }
    const QString path = m_desktop.saveFileName(&m_mainWindow, u"Сохранить пулю"_s, proposed, FileFilter, Extension);
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    saveSheetFile(path);
}

bool SheetFileController::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (handleDrop(watched, event))
            return true;
        break;
    case QEvent::Hide:
    case QEvent::EnabledChange:
    case QEvent::WindowUnblocked:
        // A dialog or a box closed, or the main window was given back: a waiting file may go.
        if (!m_pending.empty() && watched->isWidgetType())
            schedule();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool SheetFileController::handleDrop(QObject *watched, QEvent *event)
{
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &m_mainWindow)
        return false;
    // QDragEnterEvent and QDragMoveEvent are drop events too.
    auto *drop = dynamic_cast<QDropEvent *>(event);
    if (!drop)
        return false;
    const QStringList files = localFiles(drop->mimeData());
    const bool oneSheet = files.size() == 1 && files.constFirst().endsWith(u'.' + Extension, Qt::CaseInsensitive);
    // The files are only read: a drag that offers no copy (a move would let the source delete them) is
    // not taken.
    if ((!oneSheet && files.size() < 2) || !(drop->possibleActions() & Qt::CopyAction))
        return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    // Handled once the drop is over: a message box must not keep the dragging program waiting.
    if (event->type() == QEvent::Drop) {
        if (oneSheet)
            enqueue({files.constFirst()});
        else
            enqueue({{}, false, u"За один раз открывается одна пуля: перетащите в окно один файл."_s});
    }
    return true;
}

} // namespace zelvara::app
