// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands of the "&Пуля" menu that work on the shown results: who pays whom, the detailed
// breakdown, copying the results and saving a picture of the sheet. Everything they show comes from the
// engine's account of the main window's shown settlement; the commands are enabled only while the
// shown sheet's results are on the screen.

#include <QObject>

#include <memory>

class QAction;
class QImage;
class QString;

namespace zelvara::correction {
struct Explanation;
}

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::app {

class BreakdownWindow;
class PaymentsWindow;
class TZelvara;

class PaymentsController : public QObject
{
    Q_OBJECT

public:
    PaymentsController(TZelvara &mainWindow, platform::Desktop &desktop, QObject *parent = nullptr);
    ~PaymentsController() override;
    Q_DISABLE_COPY_MOVE(PaymentsController)

    // The two views, made on first use: most runs never open them.
    PaymentsWindow &paymentsWindow();
    BreakdownWindow &breakdownWindow();

    // The picture "Сохранить картинку…" writes: the shown sheet as it is drawn, `under` written below.
    QImage sheetPicture(const QString &under) const;

private:
    // The handlers, named after their menu items.
    void PaymentsClick();
    void BreakdownClick();
    void CopyResultsClick();
    void SavePictureClick();

    // Enables the commands by what the main window shows and brings open views up to date.
    void shownSettlementChanged();
    void refreshViews();
    // Who pays whom and the breakdown of the shown results, or nothing when none are shown.
    std::unique_ptr<correction::Explanation> shownExplanation() const;

    TZelvara &m_mainWindow;
    platform::Desktop &m_desktop;
    QAction *m_payments = nullptr;
    QAction *m_breakdown = nullptr;
    QAction *m_copyResults = nullptr;
    QAction *m_savePicture = nullptr;
    std::unique_ptr<PaymentsWindow> m_paymentsWindow;
    std::unique_ptr<BreakdownWindow> m_breakdownWindow;
};

} // namespace zelvara::app
