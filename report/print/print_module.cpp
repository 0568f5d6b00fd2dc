// SPDX-License-Identifier: GPL-3.0-or-later
// The print module: Qt's print preview and print dialog over a page the program draws.
#include "report/print/printing.h"

#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace zelvara::report {

class PrintModule final : public QObject, public Printing
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ZELVARA_PRINTING_IID)
    Q_INTERFACES(zelvara::report::Printing)

public:
    bool print(QWidget *parent, const QString &documentName, const DrawPage &draw) override
    {
        QPrinter printer(QPrinter::HighResolution);
        // A4 whatever the locale's paper: the club's board and most of the world use it; the dialog
        // still offers every other size.
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        printer.setDocName(documentName);
        printer.setCreator(documentName);
        QPrintPreviewDialog preview(&printer, parent);
        preview.setObjectName(QStringLiteral("PrintPreview"));
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&draw](QPrinter *target) {
            QPainter painter(target);
            draw(painter, QRectF(QPointF(), target->pageLayout().paintRectPixels(target->resolution()).size()));
        });
        return preview.exec() == QDialog::Accepted;
    }
};

} // namespace zelvara::report

#include "print_module.moc"
