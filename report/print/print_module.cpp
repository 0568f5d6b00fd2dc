// SPDX-License-Identifier: GPL-3.0-or-later
// The print module: Qt's print preview and print dialog over a page the program draws.
#include "report/print/printing.h"

#include <QGuiApplication>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>

#include <algorithm>

namespace zelvara::report {

namespace {

// At its own size the preview hides "Печать" behind the tool bar's overflow button: it opens wide
// enough for the whole tool bar and most of a page, as far as the screen allows.
void fitToScreen(QPrintPreviewDialog &preview)
{
    const QScreen *screen =
        preview.parentWidget() ? preview.parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect room = screen->availableGeometry();
    int toolBar = 0;
    if (const auto *bar = preview.findChild<QToolBar *>())
        toolBar = bar->sizeHint().width() + 40;
    preview.resize(std::min(room.width() * 9 / 10, std::max(toolBar, 900)), room.height() * 9 / 10);
}

} // namespace

class PrintModule final : public QObject, public Printing
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ZELVARA_PRINTING_IID)
    Q_INTERFACES(zelvara::report::Printing)

public:
    bool print(QWidget *parent, const QString &documentName, QPageLayout::Orientation orientation,
               const DrawPage &draw) override
    {
        QPrinter printer(QPrinter::HighResolution);
        // A4 whatever the locale's paper: the club's board and most of the world use it; the dialog
        // still offers every other size.
        printer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        printer.setDocName(documentName);
        printer.setCreator(documentName);
        QPrintPreviewDialog preview(&printer, parent);
        preview.setObjectName(QStringLiteral("PrintPreview"));
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&draw](QPrinter *target) {
            QPainter painter(target);
            draw(painter, QRectF(QPointF(), target->pageLayout().paintRectPixels(target->resolution()).size()));
        });
        fitToScreen(preview);
        return preview.exec() == QDialog::Accepted;
    }
};

} // namespace zelvara::report

#include "print_module.moc"
