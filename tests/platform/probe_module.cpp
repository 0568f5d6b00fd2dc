// SPDX-License-Identifier: GPL-3.0-or-later
// The smallest module: a root object that names itself, for the module loader's test.
#include <QObject>

class ProbeModule : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "zelvara.test.ProbeModule")

public:
    ProbeModule() { setObjectName(QStringLiteral("probe module")); }
};

#include "probe_module.moc"
