// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/payments_controller.h"

#include "app/breakdown_window.h"
#include "app/main_window.h"
#include "app/payments_window.h"
#include "app/results_summary.h"
#include "app/sheet_layout.h"
#include "correction/play.h"
#include "platform/desktop.h"
#include "platform/modules.h"
#include "platform/whole_file.h"
#include "report/print/printing.h"
#include "widgets/window_look.h"

#include <QAction>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStandardPaths>

#include <algorithm>
#include <string_view>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

QStringList linesOf(const std::vector<std::string> &lines)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string &line : lines)
        list << QString::fromStdString(line);
    return list;
}

QString nothingShown()
{
    return u"Итоги не показаны."_s;
}

// The usual folder of a kind of file, or home where the desktop has none: a missing folder would leave
// the dialog in whatever folder the program was started from.
QString usualFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

// The name of a report, dated as the sheet files are: "Пуля 2026-12-08", by the day of the settlement
// (today when its date cannot be read).
QString reportName(const correction::SettledSheet &settled)
{
    const QDateTime time = report::settlementTime(settled.date);
    const QDate day = time.isValid() ? time.date() : QDate::currentDate();
    return u"Пуля "_s + day.toString(u"yyyy-MM-dd"_s);
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

report::SheetArt sheetArt(int players, qreal ratio)
{
    report::SheetArt art;
    art.picture = widgets::artwork(u":/images/pool"_s + QString::number(players) + u".jpg"_s, ratio).toImage();
    art.picturePlace = QRect(PicturePlace.left, PicturePlace.top, PicturePlace.width, PicturePlace.height);
    art.whistLabel = QPoint(WhistLabelPlace.left, WhistLabelPlace.top);
    for (const SheetField &row : sheetLayout(players)) {
        const FieldSize size = fieldSize(row.field.kind);
        art.fields.push_back({row.field, QRect(row.left, row.top, size.width, size.height)});
    }
    return art;
}

PaymentsController::PaymentsController(TZelvara &mainWindow, platform::Desktop &desktop, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_desktop(desktop)
{
    QMenu *menu = mainWindow.poolMenu();
    // After the sheet-file commands, if any: a separator at the top of a menu is not drawn. The access
    // keys differ from those of every other item of the menu, the club book's "Ж" and "З" included.
    menu->addSeparator();
    auto item = [menu](const QString &name, const QString &text) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        return action;
    };
    m_payments = item(u"Payments"_s, u"&Кто кому платит…"_s);
    m_breakdown = item(u"Breakdown"_s, u"&Подробный расчёт…"_s);
    m_copyResults = item(u"CopyResults"_s, u"Копировать &итоги"_s);
    m_copyResults->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_savePicture = item(u"SavePicture"_s, u"Сохранить к&артинку…"_s);
    m_print = item(u"Print"_s, u"П&ечать…"_s);
    m_print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_savePdf = item(u"SavePdf"_s, u"Сохранить в P&DF…"_s);

    connect(m_payments, &QAction::triggered, this, &PaymentsController::PaymentsClick);
    connect(m_breakdown, &QAction::triggered, this, &PaymentsController::BreakdownClick);
    connect(m_copyResults, &QAction::triggered, this, &PaymentsController::CopyResultsClick);
    connect(m_savePicture, &QAction::triggered, this, &PaymentsController::SavePictureClick);
    connect(m_print, &QAction::triggered, this, &PaymentsController::PrintClick);
    connect(m_savePdf, &QAction::triggered, this, &PaymentsController::SavePdfClick);
    connect(&mainWindow, &TZelvara::shownSettlementChanged, this, &PaymentsController::shownSettlementChanged);
    shownSettlementChanged();
}

PaymentsController::~PaymentsController() = default;

PaymentsWindow &PaymentsController::paymentsWindow()
{
    if (!m_paymentsWindow)
        m_paymentsWindow = std::make_unique<PaymentsWindow>(&m_mainWindow);
    return *m_paymentsWindow;
}

BreakdownWindow &PaymentsController::breakdownWindow()
{
    if (!m_breakdownWindow)
        m_breakdownWindow = std::make_unique<BreakdownWindow>(&m_mainWindow);
    return *m_breakdownWindow;
}

std::unique_ptr<correction::Explanation> PaymentsController::shownExplanation() const
{
    const correction::SettledSheet *settled = m_mainWindow.shownSettlement();
    if (settled == nullptr)
        return nullptr;
    return std::make_unique<correction::Explanation>(correction::explain(settled->record, settled->shown));
}

qreal PaymentsController::pictureRatio() const
{
    return std::max<qreal>(2, m_mainWindow.devicePixelRatioF());
}

std::optional<report::Report> PaymentsController::shownReport() const
{
    const correction::SettledSheet *settled = m_mainWindow.shownSettlement();
    if (settled == nullptr)
        return std::nullopt;
    const correction::Explanation explanation = correction::explain(settled->record, settled->shown);
    return report::layOut(*settled, explanation, sheetArt(settled->record.sheet.players, pictureRatio()),
                          {widgets::sansFont(), widgets::narrowFont()});
}

void PaymentsController::shownSettlementChanged()
{
    const bool shown = m_mainWindow.shownSettlement() != nullptr;
    for (QAction *action : {m_payments, m_breakdown, m_copyResults, m_savePicture, m_print, m_savePdf})
        action->setEnabled(shown);
    refreshViews();
}

void PaymentsController::refreshViews()
{
    const auto open = [](const QWidget *view) { return view != nullptr && view->isVisible(); };
    if (!open(m_paymentsWindow.get()) && !open(m_breakdownWindow.get()))
        return;
    // Both views are kept up to date once either is open, so the other opens already filled.
    PaymentsWindow &payments = paymentsWindow();
    BreakdownWindow &breakdown = breakdownWindow();
    const std::unique_ptr<correction::Explanation> account = shownExplanation();
    if (!account) {
        payments.showNothing(nothingShown());
        breakdown.showNothing(nothingShown());
        return;
    }
    if (account->payments.available)
        payments.showPayments(linesOf(account->pairLines), linesOf(account->transferLines),
                              QString::fromStdString(account->paymentsNote));
    else
        payments.showNothing(u"Итоги слишком велики, чтобы разбить их на платежи."_s);
    breakdown.showLines(linesOf(account->breakdown.lines));
}

void PaymentsController::PaymentsClick()
{
    paymentsWindow().showBeside();
    refreshViews();
}

void PaymentsController::BreakdownClick()
{
    breakdownWindow().showBeside();
    refreshViews();
}

void PaymentsController::CopyResultsClick()
{
    const correction::SettledSheet *settled = m_mainWindow.shownSettlement();
    if (settled == nullptr)
        return;
    const ResultsSummary summary = resultsSummary(*settled, correction::explain(settled->record, settled->shown));
    auto data = std::make_unique<QMimeData>();
    data->setText(summary.text);
    data->setHtml(summary.html);
    m_desktop.setClipboard(data.release());
}

void PaymentsController::saveReport(const QString &caption, const QString &folder, const QString &extension,
                                    const QString &filter, const QString &what,
                                    const std::function<QByteArray(const report::Report &)> &bytes)
{
    const correction::SettledSheet *settled = m_mainWindow.shownSettlement();
    const std::optional<report::Report> shown = shownReport();
    if (settled == nullptr || !shown)
        return;
    const QString suggested = QDir(folder).filePath(reportName(*settled) + u'.' + extension);
    const QString path = m_desktop.saveFileName(&m_mainWindow, caption, suggested, filter, extension);
    if (path.isEmpty())
        return;
    const QByteArray content = bytes(*shown);
    // Written whole or not at all, never through another user's link.
    if (content.isEmpty() ||
        !platform::writeFileAtomically(
            path, std::string_view(content.constData(), static_cast<std::size_t>(content.size())))) {
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow, u"Не удалось сохранить "_s + what + u" в файл "_s +
                                               QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + u'.');
    }
}

void PaymentsController::SavePictureClick()
{
    const qreal ratio = pictureRatio();
    saveReport(u"Сохранить картинку"_s, usualFolder(QStandardPaths::PicturesLocation), u"png"_s, u"PNG (*.png)"_s,
               u"картинку"_s, [ratio](const report::Report &shown) { return pngBytes(report::picture(shown, ratio)); });
}

void PaymentsController::SavePdfClick()
{
    saveReport(u"Сохранить в PDF"_s, usualFolder(QStandardPaths::DocumentsLocation), u"pdf"_s, u"PDF (*.pdf)"_s,
               u"PDF"_s, [](const report::Report &shown) { return report::pdf(shown); });
}

void PaymentsController::PrintClick()
{
    const std::optional<report::Report> shown = shownReport();
    if (!shown)
        return;
    // Qt Print Support comes with the module, on the first print of the run.
    QString problem;
    auto *printing = qobject_cast<report::Printing *>(platform::loadModule(u"zelvara_print"_s, &problem));
    if (printing == nullptr) {
        qWarning("zelvara: printing is not available: %s", qUtf8Printable(problem));
        m_desktop.beep();
        m_desktop.showError(&m_mainWindow, u"Печать недоступна: модуль печати libzelvara_print.so не найден или "
                                           u"не загружается."_s);
        return;
    }
    const report::Report &page = *shown;
    printing->print(&m_mainWindow, reportName(*m_mainWindow.shownSettlement()), report::orientation(page),
                    [&page](QPainter &painter, const QRectF &area) { report::paint(painter, page, area); });
}

} // namespace zelvara::app
