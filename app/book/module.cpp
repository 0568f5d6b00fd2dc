// SPDX-License-Identifier: GPL-3.0-or-later
// The root object of libzelvara_book_window.so: the book's module, on the player's own book.

#include "app/book/book_service.h"

namespace zelvara::app {

class BookWindowModule : public BookService
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ZelvaraBookModule_iid)
    Q_INTERFACES(zelvara::app::BookModule)

public:
    BookWindowModule() = default;
};

} // namespace zelvara::app

#include "module.moc"
