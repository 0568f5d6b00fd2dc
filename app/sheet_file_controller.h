// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sheet files for the main window: "Открыть пулю…" and "Сохранить пулю…" in the "&Пуля" menu, a file
// named on the command line or handed over by a later start, and a file dropped on the window. The
// format itself lives in sheetfile/; this side reads and writes the bytes, asks the player for names
// and puts the sheet on the screen through the main window's own functions.
//
// Files from outside the window come at any moment, many at once if need be. They wait in a queue and
// are opened one at a time, each in its own turn of the event loop: never inside the modal loop of a
// box that another file's message opened (where the next would open its box, and the next, until the
// stack runs out), and never while a dialog is open, whose answer must still apply to the sheet it was
// opened over.

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QWidget;

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::sheetfile {
struct SheetDocument;
}

namespace zelvara::app {

class TZelvara;

class SheetFileController : public QObject
{
    Q_OBJECT

public:
    // Besides modal boxes and dialogs, which every file waits for, the windows in `holdingDialogs` hold
    // the main window while they are visible (a correction dialog waiting for its answer, the About
    // window): files from outside wait for them too.
    SheetFileController(TZelvara &mainWindow, platform::Desktop &desktop, QList<QWidget *> holdingDialogs,
                        QObject *parent = nullptr);
    ~SheetFileController() override;
    Q_DISABLE_COPY_MOVE(SheetFileController)

    // Puts the sheet of the file on the screen; on any failure one message says what is wrong and the
    // window stays as it was. A sheet the player has typed into since it was last kept is replaced only
    // after a "Да" to the question. Returns whether the sheet was opened.
    bool openSheetFile(const QString &path);
    // A file that comes from outside the window (the command line, a later start): it joins the queue,
    // and when its turn comes the window comes forward first, so the sheet or the message is seen.
    void openHandedFile(const QString &path);
    // A sheet that comes as a document (a record of the club book): it joins the queue and is put on the
    // screen as a file is, results hidden, after the same question for a typed sheet. `source` completes
    // that question, "Заменить введённую пулю …?" ("пулей из журнала от 08.12.2026 21:40"). The sheet's
    // own "saved" and note become its origin, as a file's do.
    void openSheetDocument(const sheetfile::SheetDocument &document, const QString &source);
    // Writes the shown sheet as it stands, with the note of the file it came from; on failure a message
    // names the path and an earlier file of that name is left as it was. Returns whether the file was
    // written.
    bool saveSheetFile(const QString &path);

    // The handlers of the menu items, named after them.
    void OpenSheetClick();
    void SaveSheetClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Something from outside waiting for its turn: a file to open, or a message to show.
    struct Pending
    {
        QString path{};
        bool handed = false; // from outside the window: it comes forward first
        QString message{};
        std::shared_ptr<const sheetfile::SheetDocument> document{}; // a sheet that is no file
        QString source{};                                           // the document's words in the question
    };
    void enqueue(Pending pending);
    // Handles the first waiting item in a later turn of the event loop.
    void schedule();
    void handleNext();
    // A dialog or box is open, or the main window is held by one of the holding dialogs.
    bool heldByDialog() const;
    // Takes a drag of files onto the main window: one sheet file opens, several get a message.
    bool handleDrop(QObject *watched, QEvent *event);
    // `path` is the file the sheet came from, empty for a document; `source` its words in the question.
    bool putOnScreen(const QString &path, const QString &source, const sheetfile::SheetDocument &document);

    void refuse(const QString &message);
    // Where the file dialogs start: the folder last chosen in one of them during this run, otherwise the
    // player's documents.
    QString dialogFolder() const;

    TZelvara &m_mainWindow;
    platform::Desktop &m_desktop;
    QList<QWidget *> m_holdingDialogs;
    QAction *m_openSheet = nullptr;
    QAction *m_saveSheet = nullptr;
    QString m_lastFolder;
    std::deque<Pending> m_pending;
    bool m_scheduled = false;
    bool m_handling = false;

    // The file each sheet (2, 3, 4 players) was last opened from or saved to, whose name saving proposes.
    // The note the file carried stays with the sheet in the main window (TZelvara::sheetOrigin), so that
    // saving keeps the player's remark. A new calculation on the sheet starts a game of its own.
    std::array<QString, 3> m_sheetFiles;
};

} // namespace zelvara::app
