// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_window.h"

#include "ui_about_window.h"
#include "widgets/frame_centring.h"
#include "widgets/window_look.h"
#include "zelvara/version.h"

#include <QCloseEvent>
#include <QLabel>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace zelvara::app {

TAboutProgram::TAboutProgram(QWidget *mainWindow)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_ui(std::make_unique<Ui::TAboutProgram>()), m_mainWindow(mainWindow)
{
    setFont(widgets::sansFont());
    m_ui->setupUi(this);
    // The pictures are read here rather than by the form, which would have the toolkit guess their format.
    m_ui->ProgramIcon->setPixmap(widgets::artwork(u":/icons/zelvara.png"_s, devicePixelRatio()));
    m_ui->Close1->setIcon(widgets::pngIcon(u":/images/close.png"_s));
    QFont title = font();
    title.setPointSize(14);
    m_ui->StaticText->setFont(title);
    m_ui->StaticText->setText(u"Zelvara "_s + QLatin1StringView(Version));
    for (QLabel *label : findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    setFixedSize(377, 328);
    // Closing the main window ends the program even while this window is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(m_ui->Close1, &QPushButton::clicked, this, &TAboutProgram::Close1Click);
}

TAboutProgram::~TAboutProgram() = default;

void TAboutProgram::showAbout()
{
    // Centred by the frames of both windows the first time; afterwards it comes back where it was left.
    // Placed before its native window is made, so that the window manager takes the place as the frame's.
    if (!m_placed && m_mainWindow) {
        (new widgets::FrameCentring(this))->centreOver(m_mainWindow);
        m_placed = true;
    }
    if (m_mainWindow) {
        // Kept above the main window by the window manager, as a dialog of it.
        winId();
        if (QWindow *own = windowHandle(); own && m_mainWindow->windowHandle())
            own->setTransientParent(m_mainWindow->windowHandle());
    }
    show();
    raise();
    activateWindow();
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

void TAboutProgram::closeEvent(QCloseEvent *event)
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
    // Hidden, not closed: an accepted close would give up the native window, and the same window is to
    // come back next time.
    event->ignore();
    hide();
}

void TAboutProgram::Close1Click()
{
    close();
}

} // namespace zelvara::app
