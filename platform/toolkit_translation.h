// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

namespace zelvara::platform {

// Loads Qt's own Russian texts (a text field's context menu, standard buttons) so that nothing the
// toolkit draws is left in English. False when the catalogue is not installed; the program runs on.
bool installToolkitTranslation(QCoreApplication &app);

} // namespace zelvara::platform
