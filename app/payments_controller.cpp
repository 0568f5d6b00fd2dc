// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/payments_controller.h"

#include "app/breakdown_window.h"
#include "app/main_window.h"
#include "app/payments_window.h"
#include "app/results_summary.h"
#include "correction/play.h"
#include "platform/desktop.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStandardPaths>

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

QString today()
{
    return QDate::currentDate().toString(u"dd.MM.yyyy"_s);
}

// The day of a settled sheet's date ("2026-12-08T21:40:00+03:00") as the player writes it: "08.12.2026".
std::string dayOf(const std::string &date)
{
    const QDate day = QDate::fromString(QString::fromStdString(date.substr(0, 10)), Qt::ISODate);
    return (day.isValid() ? day : QDate::currentDate()).toString(u"dd.MM.yyyy"_s).toStdString();
}

} // namespace

PaymentsController::PaymentsController(TZelvara &mainWindow, platform::Desktop &desktop, QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_desktop(desktop)
{
    QMenu *menu = mainWindow.poolMenu();
    // After the sheet-file commands, if any: a separator at the top of a menu is not drawn.
    menu->addSeparator();
    auto item = [menu](const QString &name, const QString &text) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        return action;
    };
    m_payments = item(u"Payments"_s, u"&Кто кому платит…"_s);
    m_breakdown = item(u"Breakdown"_s, u"&Подробный расчет…"_s);
    m_copyResults = item(u"CopyResults"_s, u"&Копировать итоги"_s);
    m_copyResults->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_savePicture = item(u"SavePicture"_s, u"Сохранить &картинку…"_s);

    connect(m_payments, &QAction::triggered, this, &PaymentsController::PaymentsClick);
    connect(m_breakdown, &QAction::triggered, this, &PaymentsController::BreakdownClick);
    connect(m_copyResults, &QAction::triggered, this, &PaymentsController::CopyResultsClick);
    connect(m_savePicture, &QAction::triggered, this, &PaymentsController::SavePictureClick);
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

void PaymentsController::shownSettlementChanged()
{
    const bool shown = m_mainWindow.shownSettlement() != nullptr;
    for (QAction *action : {m_payments, m_breakdown, m_copyResults, m_savePicture})
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
    const ResultsSummary summary =
        resultsSummary(*settled, correction::explain(settled->record, settled->shown), dayOf(settled->date));
    auto data = std::make_unique<QMimeData>();
    data->setText(QString::fromStdString(summary.text));
    data->setHtml(QString::fromStdString(summary.html));
    m_desktop.setClipboard(data.release());
}

QImage PaymentsController::sheetPicture(const QString &under) const
{
    auto *panel = m_mainWindow.findChild<QWidget *>(u"PanelFor"_s + QString::number(m_mainWindow.selectedPlayers()));
    if (!panel)
        return {};
    const QPixmap sheet = panel->grab();
    const QSizeF logical = sheet.deviceIndependentSize();
    constexpr int Margin = 8;
    const QFontMetrics metrics(panel->font());
    const int textWidth = static_cast<int>(logical.width()) - 2 * Margin;
    const QRect textBox = metrics.boundingRect(QRect(0, 0, textWidth, 10000), Qt::TextWordWrap, under);
    const QSize size(static_cast<int>(logical.width()),
                     static_cast<int>(logical.height()) + textBox.height() + 2 * Margin);

    const qreal ratio = sheet.devicePixelRatio();
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(panel->palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawPixmap(0, 0, sheet);
    painter.setFont(panel->font());
    painter.setPen(panel->palette().color(QPalette::WindowText));
    painter.drawText(QRect(Margin, static_cast<int>(logical.height()) + Margin, textWidth, textBox.height()),
                     Qt::TextWordWrap, under);
    return image;
}

void PaymentsController::SavePictureClick()
{
    const std::unique_ptr<correction::Explanation> account = shownExplanation();
    if (!account)
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString suggested = QDir(folder).filePath(u"Пуля "_s + today() + u".png"_s);
    const QString path =
        m_desktop.saveFileName(&m_mainWindow, u"Сохранить картинку"_s, suggested, u"PNG (*.png)"_s, u"png"_s);
    if (path.isEmpty())
        return;
    const QImage picture = sheetPicture(QString::fromStdString(account->optionsLine));
    if (picture.isNull() || !picture.save(path, "PNG"))
        m_desktop.showError(&m_mainWindow,
                            u"Не удалось сохранить картинку в файл "_s + QDir::toNativeSeparators(path) + u'.');
}

} // namespace zelvara::app
