// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the print module offers the program. Printing needs Qt Print Support, which no other part of the
// program uses: it lives in a module of its own (libzelvara_print.so), loaded on the first "Печать…"
// through platform::loadModule, so starting the program never loads it. The module knows nothing of
// sheets: it shows the dialogs and asks the program to draw each page.

#include <QPageLayout>
#include <QtPlugin>

#include <functional>

class QPainter;
class QRectF;
class QString;
class QWidget;

namespace zelvara::report {

class Printing
{
public:
    virtual ~Printing() = default;

    // Draws a page's content into `page`, the part of the page that may be printed on, in the painter's
    // coordinates.
    using DrawPage = std::function<void(QPainter &painter, const QRectF &page)>;

    // The print preview of one page on A4 turned as `orientation` says, from which the print dialog
    // chooses a printer (or a PDF file) and prints. Modal over `parent`; true when the page was printed.
    virtual bool print(QWidget *parent, const QString &documentName, QPageLayout::Orientation orientation,
                       const DrawPage &draw) = 0;
};

} // namespace zelvara::report

#define ZELVARA_PRINTING_IID "zelvara.report.Printing/2"
Q_DECLARE_INTERFACE(zelvara::report::Printing, ZELVARA_PRINTING_IID)
