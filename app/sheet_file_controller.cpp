// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sheet_file_controller.h"

#include "app/main_window.h"
#include "platform/desktop.h"
#include "sheetfile/sheet_file.h"

#include <QAction>
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
#include <QSaveFile>
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
const QString Extension = u"zelvara"_s;

// A path as the player reads it in a message.
std::string shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
}

std::size_t noteIndex(int players)
{
    return static_cast<std::size_t>(players - engine::MinPlayers);
}

// The local time with its offset from UTC: "2026-12-08T14:30:00+03:00".
std::string savedNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

} // namespace

SheetFileController::SheetFileController(TZelvara &mainWindow, platform::Desktop &desktop,
                                         QList<QWidget *> correctionDialogs, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_desktop(desktop), m_correctionDialogs(std::move(correctionDialogs))
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
    // the application, which sees a drag before the widget under it does.
    m_mainWindow.setAcceptDrops(true);
    connect(this, &SheetFileController::sheetDropped, this, &SheetFileController::openSheetFile, Qt::QueuedConnection);
    QCoreApplication::instance()->installEventFilter(this);
}

SheetFileController::~SheetFileController() = default;

bool SheetFileController::correctionOpen() const
{
    return std::ranges::any_of(m_correctionDialogs, [](const QWidget *dialog) { return dialog->isVisible(); });
}

QWidget *SheetFileController::messageParent() const
{
    // Over an open correction dialog, so that the box is not hidden behind it.
    for (QWidget *dialog : m_correctionDialogs) {
        if (dialog->isVisible())
            return dialog;
    }
    return &m_mainWindow;
}

void SheetFileController::refuse(const QString &message)
{
    m_desktop.beep();
    m_desktop.showMessage(messageParent(), message);
}

bool SheetFileController::openSheetFile(const QString &path)
{
    const std::string shown = shownPath(path);
    if (correctionOpen()) {
        refuse(u"Файл «"_s + QString::fromStdString(shown) +
               u"» не открыт: программа ждёт ответа в окне коррекции. Нажмите в нём «OK» или «Отмена» и "
               u"откройте файл снова."_s);
        return false;
    }
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
    m_mainWindow.loadSheet(document.sheet, document.options);
    m_notes[noteIndex(document.sheet.players)] = {QFileInfo(path).absoluteFilePath(), document.note};
    return true;
}

void SheetFileController::openHandedFile(const QString &path)
{
    m_mainWindow.bringToFront();
    openSheetFile(path);
}

bool SheetFileController::saveSheetFile(const QString &path)
{
    const int players = m_mainWindow.selectedPlayers();
    sheetfile::SheetDocument document;
    document.sheet = m_mainWindow.sheetTexts(players);
    document.options = m_mainWindow.options();
    document.decimalSeparator = m_desktop.decimalSeparator();
    document.saved = savedNow();
    const OpenedNote &opened = m_notes[noteIndex(players)];
    if (opened.path == QFileInfo(path).absoluteFilePath())
        document.note = opened.note;
    const std::string text = sheetfile::writeSheet(document);
    // A file the window could not open again is not written (a note of a megabyte from an opened file).
    if (text.size() > sheetfile::MaxFileSize) {
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow,
                            QString::fromStdString(sheetfile::russianTooLargeToSaveMessage(shownPath(path))));
        return false;
    }

    // The new text goes to a file beside the old one and takes its name only when it is complete, so an
    // interrupted save leaves the old file or the new one, never a mix. The text is flushed here: Qt's own
    // commit overlooks a failed flush (a full disk, a size limit) and would put a cut file in place.
    QSaveFile file(path);
    const auto size = static_cast<qint64>(text.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), size) != size || !file.flush() ||
        file.error() != QFileDevice::NoError || !file.commit()) {
        file.cancelWriting();
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow,
                            QString::fromStdString(sheetfile::russianUnwritableMessage(shownPath(path))));
        return false;
    }
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
    const QString path = m_desktop.openFileName(&m_mainWindow, u"Открыть пулю"_s, dialogFolder(), FileFilter);
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    openSheetFile(path);
}

void SheetFileController::SaveSheetClick()
{
    const QString name = u"Пуля "_s + QDate::currentDate().toString(u"yyyy-MM-dd"_s) + u'.' + Extension;
    const QString path = m_desktop.saveFileName(&m_mainWindow, u"Сохранить пулю"_s, QDir(dialogFolder()).filePath(name),
                                                FileFilter, Extension);
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    saveSheetFile(path);
}

QString SheetFileController::droppedSheetFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    const QString path = urls.constFirst().toLocalFile();
    return path.endsWith(u'.' + Extension, Qt::CaseInsensitive) ? path : QString();
}

bool SheetFileController::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != &m_mainWindow)
        return QObject::eventFilter(watched, event);

    // QDragEnterEvent and QDragMoveEvent are drop events too.
    auto *drop = dynamic_cast<QDropEvent *>(event);
    const QString path = drop ? droppedSheetFile(drop->mimeData()) : QString();
    // The sheet is only read: a drag that offers no copy (a move would let the source delete the file)
    // is not taken.
    if (path.isEmpty() || !(drop->possibleActions() & Qt::CopyAction))
        return QObject::eventFilter(watched, event);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // Opened once the drop is over: a message box must not keep the dragging program waiting.
        emit sheetDropped(path);
    }
    return true;
}

} // namespace zelvara::app
