// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The commands of the "&Пуля" menu that work on the shown results: who pays whom, the detailed
// breakdown, copying the results, and the report as a picture, on paper and as a PDF. Everything they
// show comes from the record of the shown settlement (TZelvara::shownSettlement), never from the fields
// as they stand now, so after an edit or a failed "Рассчитать" they still agree with the results on the
// screen. The commands are enabled only while the shown sheet's results are on the screen.

#include "report/report.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QByteArray;
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

// The blank sheet of `players` that reports draw on: its picture for a screen of `ratio` device pixels
// per pixel, and the places of the fields as the window lays them out.
report::SheetArt sheetArt(int players, qreal ratio);

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

    // The report of the shown settlement, as the picture, the PDF and the printed page draw it; nothing
    // when no results are shown.
    std::optional<report::Report> shownReport() const;
    // How many device pixels a picture gives each of the report's: twice, or the screen's own ratio
    // where that is more.
    qreal pictureRatio() const;

private:
    // The handlers, named after their menu items.
    void PaymentsClick();
    void BreakdownClick();
    void CopyResultsClick();
    void SavePictureClick();
    void PrintClick();
    void SavePdfClick();

    // Enables the commands by what the main window shows and brings open views up to date.
    void shownSettlementChanged();
    void refreshViews();
    // Who pays whom and the breakdown of the shown results, or nothing when none are shown.
    std::unique_ptr<correction::Explanation> shownExplanation() const;
    // Asks where to write the shown report and writes `bytes(report)` there; a failure is named in a box.
    void saveReport(const QString &caption, const QString &folder, const QString &extension, const QString &filter,
                    const QString &what, const std::function<QByteArray(const report::Report &)> &bytes);

    TZelvara &m_mainWindow;
    platform::Desktop &m_desktop;
    QAction *m_payments = nullptr;
    QAction *m_breakdown = nullptr;
    QAction *m_copyResults = nullptr;
    QAction *m_savePicture = nullptr;
    QAction *m_print = nullptr;
    QAction *m_savePdf = nullptr;
    std::unique_ptr<PaymentsWindow> m_paymentsWindow;
    std::unique_ptr<BreakdownWindow> m_breakdownWindow;
};

} // namespace zelvara::app
