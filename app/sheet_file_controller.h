// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sheet files for the main window: "Открыть пулю…" and "Сохранить пулю…" in the "&Пуля" menu, a file
// named on the command line or handed over by a later start, and a file dropped on the window. The
// format itself lives in sheetfile/; this side reads and writes the bytes, asks the player for names
// and puts the sheet on the screen through the main window's own functions.

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <optional>
#include <string>

class QAction;
class QMimeData;
class QWidget;

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::app {

class TZelvara;

class SheetFileController : public QObject
{
    Q_OBJECT

public:
    // While one of `correctionDialogs` is visible the shown sheet waits for its answer, and no file may
    // replace it.
    SheetFileController(TZelvara &mainWindow, platform::Desktop &desktop, QList<QWidget *> correctionDialogs,
                        QObject *parent = nullptr);
    ~SheetFileController() override;
    Q_DISABLE_COPY_MOVE(SheetFileController)

    // Puts the sheet of the file on the screen; on any failure one message says what is wrong and the
    // window stays as it was. Returns whether the sheet was opened.
    bool openSheetFile(const QString &path);
    // A file that comes from outside the window (a later start, the desktop): the window comes forward
    // first, so the sheet or the message is seen.
    void openHandedFile(const QString &path);
    // Writes the shown sheet as it stands; on failure a message names the path and an earlier file of
    // that name is left as it was. Returns whether the file was written.
    bool saveSheetFile(const QString &path);

    // The handlers of the menu items, named after them.
    void OpenSheetClick();
    void SaveSheetClick();

signals:
    // A sheet file was dropped on the window; it opens once the drop is over.
    void sheetDropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool correctionOpen() const;
    QWidget *messageParent() const;
    void refuse(const QString &message);
    // Where the file dialogs start: the folder last chosen in one of them during this run, otherwise the
    // player's documents.
    QString dialogFolder() const;
    // The one local sheet file a drag brings, or nothing.
    static QString droppedSheetFile(const QMimeData *data);

    TZelvara &m_mainWindow;
    platform::Desktop &m_desktop;
    QList<QWidget *> m_correctionDialogs;
    QAction *m_openSheet = nullptr;
    QAction *m_saveSheet = nullptr;
    QString m_lastFolder;

    // The note of the file last opened into each sheet (2, 3, 4 players): saving that sheet back over the
    // same file keeps the player's remark, which the window has no field for.
    struct OpenedNote
    {
        QString path;
        std::optional<std::string> note;
    };
    std::array<OpenedNote, 3> m_notes;
};

} // namespace zelvara::app
