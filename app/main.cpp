// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the command line, one copy per user and display, the application title, the windows created
// once in order, the event loop.

#include "app/about_window.h"
#include "app/book_controller.h"
#include "app/command_line.h"
#include "app/correction_controller.h"
#include "app/main_window.h"
#include "app/payments_controller.h"
#include "app/sheet_file_controller.h"
#include "app/window_settings_file.h"
#include "correction/dialogs/choice_of_player_dialog.h"
#include "correction/dialogs/confirm_of_change_dialog.h"
#include "platform/desktop.h"
#include "platform/single_copy.h"
#include "platform/termination_signals.h"
#include "platform/toolkit_translation.h"
#include "widgets/window_look.h"

#include <QApplication>
#include <QFile>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

void print(std::FILE *stream, const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // Under a file size limit a write beyond it would end the program, losing the typed sheet and the
    // settings; ignored, the write fails, the player is told and the old file stays.
    std::signal(SIGXFSZ, SIG_IGN);
    // The command line and the handover to a running copy come before anything of the toolkit is set
    // up, so that --help, --version and a later start end as quickly as a program can.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const zelvara::app::CommandLine commandLine = zelvara::app::parseCommandLine(arguments);
    switch (commandLine.action) {
    case zelvara::app::CommandLine::Action::Help:
        print(stdout, zelvara::app::helpText());
        return 0;
    case zelvara::app::CommandLine::Action::Version:
        print(stdout, zelvara::app::versionText());
        return 0;
    case zelvara::app::CommandLine::Action::UsageError:
        print(stderr, "zelvara: " + commandLine.problem + "\nUsage: zelvara [FILE]   (zelvara --help tells more)\n");
        return 2;
    case zelvara::app::CommandLine::Action::Run:
        break;
    }
    const QString file = zelvara::app::absoluteFilePath(commandLine.file);

    // A running copy comes forward (opening the file) and this one ends before it creates a window or
    // reads a setting. Without a safe place for the channel the program runs on its own.
    std::string channelProblem;
    zelvara::platform::SingleCopy singleCopy(zelvara::platform::defaultSocketPath(&channelProblem));
    if (!channelProblem.empty())
        print(stderr, "zelvara: no single-copy channel: " + channelProblem + "\n");
    if (singleCopy.claim(QFile::encodeName(file).toStdString()) == zelvara::platform::SingleCopy::Claim::HandedOver)
        return 0;

    // The toolkit sees no arguments: the command line is settled above, and a file name must not be
    // taken for one of its options.
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    // Screen readers find the program by this name; the window captions stay as they are written.
    QApplication::setApplicationName(zelvara::platform::applicationTitle());

    // The toolkit's own texts (a text field's context menu) in Russian, as the rest of the program.
    zelvara::platform::installToolkitTranslation(app);
    // The style reads its own pictures as the PNG files they are, before the first window is made.
    zelvara::widgets::useProgramStyle();

    zelvara::platform::SystemDesktop desktop;

    zelvara::app::TZelvara mainWindow(desktop);
    // The settings file is read into the main window before anything is shown.
    zelvara::app::WindowSettingsFile settings(desktop);
    settings.read(mainWindow);
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
    // Sheet files: the first commands of the "&Пуля" menu, a file dropped on the window, a file from the
    // desktop. A file from outside waits while a correction dialog or the About window holds the window.
    zelvara::app::SheetFileController sheetFiles(mainWindow, desktop, {&choiceOfPlayer, &confirmOfChange, &about});
    // Who pays whom, the breakdown, copying and saving the results: the "&Пуля" menu's last commands.
    zelvara::app::PaymentsController payments(mainWindow, desktop);
    // The club book: the "&Пуля" menu's last commands; the book's module is loaded when one is first used.
    zelvara::app::BookController book(mainWindow, sheetFiles, desktop);
    mainWindow.show();
    // Every sheet file the program is asked to open joins the controller's queue: one that came with this
    // start (opened once the loop runs, so that the sheet, or the message about the file, comes in a
    // window already on the screen with its settings applied), each one handed over by a later start.
    // They are opened one at a time, never behind an open dialog. A path is only ever opened as a file.
    QObject::connect(&singleCopy, &zelvara::platform::SingleCopy::openRequested, &sheetFiles,
                     &zelvara::app::SheetFileController::openHandedFile);
    singleCopy.answer();
    if (!file.isEmpty())
        sheetFiles.openHandedFile(file);

    // A termination signal ends the run like "Выход", so the settings are still written.
    zelvara::platform::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &zelvara::platform::TerminationSignals::terminationRequested, &app,
                     &QApplication::quit);

    const int status = QApplication::exec();
    // The loop has ended (the main window closed, "Выход", or a termination signal): the settings are
    // written from the window as the player left it.
    settings.write(mainWindow);
    return status;
}
