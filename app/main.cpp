// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: one copy per user and display, the application title, the windows created once in order,
// the event loop.

#include "app/about_window.h"
#include "app/correction_controller.h"
#include "app/main_window.h"
#include "app/sheet_file_controller.h"
#include "correction/choice_of_player_dialog.h"
#include "correction/confirm_of_change_dialog.h"
#include "platform/desktop.h"
#include "platform/single_copy.h"
#include "platform/termination_signals.h"
#include "platform/toolkit_translation.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Screen readers find the program by this name; the window captions stay as they are written.
    QApplication::setApplicationName(zelvara::platform::applicationTitle());

    // A running copy comes forward and this one ends before it creates a window or reads a setting.
    zelvara::platform::SingleCopy singleCopy(zelvara::platform::SingleCopy::defaultServerName());
    if (singleCopy.claim() == zelvara::platform::SingleCopy::Claim::HandedOver)
        return 0;

    // The toolkit's own texts (a text field's context menu) in Russian, as the rest of the program.
    zelvara::platform::installToolkitTranslation(app);

    zelvara::platform::SystemDesktop desktop;

    zelvara::app::TZelvara mainWindow(desktop);
    QObject::connect(&singleCopy, &zelvara::platform::SingleCopy::showRequested, &mainWindow,
                     &zelvara::app::TZelvara::bringToFront);
    // Once the loop ends (settings are still to be written), a new start gets a window of its own.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &singleCopy, &zelvara::platform::SingleCopy::release);
    // The About window comes second; "О программе" and the Info menu item open it.
    zelvara::app::TAboutProgram about(&mainWindow);
    QObject::connect(&mainWindow, &zelvara::app::TZelvara::aboutRequested, &about,
                     &zelvara::app::TAboutProgram::showAbout);
    // The correction-by-lot and confirmed-correction dialogs follow it; the controller opens them when a
    // settlement asks and applies their answers.
    zelvara::correction::TChoiceOfPlayer choiceOfPlayer;
    zelvara::correction::TConfirmOfChange confirmOfChange;
    zelvara::app::CorrectionController corrections(mainWindow, choiceOfPlayer, confirmOfChange, desktop);
    // Sheet files: the first commands of the "&Пуля" menu, a file dropped on the window, a file named on
    // the command line. None replaces a sheet whose correction dialog waits for an answer.
    zelvara::app::SheetFileController sheetFiles(mainWindow, desktop, {&choiceOfPlayer, &confirmOfChange});
    mainWindow.show();
    // Opened once the loop runs, so that the sheet, or the message about the file, comes in a window that
    // is already on the screen with its settings applied.
    if (const QString file = zelvara::app::sheetFileArgument(QCoreApplication::arguments()); !file.isEmpty()) {
        QMetaObject::invokeMethod(
            &sheetFiles, [&sheetFiles, file] { sheetFiles.openSheetFile(file); }, Qt::QueuedConnection);
    }

    // A termination signal ends the run like "Выход", so the settings are still written.
    zelvara::platform::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &zelvara::platform::TerminationSignals::terminationRequested, &app,
                     &QApplication::quit);

    return QApplication::exec();
}
