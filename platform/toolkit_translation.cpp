// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/toolkit_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

using namespace Qt::StringLiterals;

namespace zelvara::platform {

bool installToolkitTranslation(QCoreApplication &app)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(u"qtbase_ru"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    // The application keeps the catalogue for the rest of the run.
    translator.release()->setParent(&app);
    return true;
}

} // namespace zelvara::platform
