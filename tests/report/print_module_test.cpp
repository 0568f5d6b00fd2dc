// SPDX-License-Identifier: GPL-3.0-or-later
// The print module as the program loads it: its root object offers printing, and printing opens Qt's
// print preview of one A4 page, turned as asked and drawn by the program, which the player may close without printing.

#include "report/print/printing.h"

#include <QApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPluginLoader>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

class PrintModuleTest : public QObject
{
    Q_OBJECT

private slots:
    void print_previewsAnA4PageDrawnByTheProgram();
};

void PrintModuleTest::print_previewsAnA4PageDrawnByTheProgram()
{
    QPluginLoader loader(QStringLiteral(ZELVARA_PRINT_MODULE));
    auto *printing = qobject_cast<zelvara::report::Printing *>(loader.instance());
    QVERIFY2(printing, qPrintable(loader.errorString()));

    QWidget owner;
    owner.show();
    QString dialog;
    int pages = 0;
    QPageLayout layout;
    QRectF area;
    // The preview is modal: it is looked at and closed from inside its own loop.
    QTimer::singleShot(0, &owner, [&dialog] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        dialog = QString::fromLatin1(modal->metaObject()->className());
        QVERIFY(modal->isVisible());
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
    const bool printed = printing->print(&owner, u"Пуля 2026-12-08"_s, QPageLayout::Landscape,
                                         [&](QPainter &painter, const QRectF &page) {
                                             ++pages;
                                             layout = static_cast<QPagedPaintDevice *>(painter.device())->pageLayout();
                                             area = page;
                                             painter.drawText(page, u"Запад -81"_s);
                                         });
    QVERIFY(!printed);
    QCOMPARE(dialog, u"QPrintPreviewDialog"_s);
    QVERIFY(pages >= 1);
    QCOMPARE(layout.pageSize().id(), QPageSize::A4);
    QCOMPARE(layout.orientation(), QPageLayout::Landscape);
    // The area handed to the program is the page inside its margins, in the printer's pixels.
    const QSizeF inside = layout.paintRect(QPageLayout::Millimeter).size();
    QVERIFY(!area.isEmpty());
    QVERIFY2(qAbs(area.width() / area.height() - inside.width() / inside.height()) < 0.01,
             qPrintable(QString::number(area.width()) + u" x "_s + QString::number(area.height())));
}

QTEST_MAIN(PrintModuleTest)
#include "print_module_test.moc"
