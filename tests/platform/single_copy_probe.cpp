// SPDX-License-Identifier: GPL-3.0-or-later
// Claims the single-copy socket named on the command line, as a program start would, and prints
// "first", "handed-over" or "failed". A first copy then stays, printing "shown" for each later start
// that asks it to come forward, until it is killed or a minute has passed.

#include "platform/single_copy.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

using namespace Qt::StringLiterals;
using zelvara::platform::SingleCopy;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2)
        return 2;

    QTextStream out(stdout);
    SingleCopy copy(args.at(1));
    switch (copy.claim()) {
    case SingleCopy::Claim::HandedOver:
        out << "handed-over\n";
        return 0;
    case SingleCopy::Claim::Failed:
        out << "failed\n";
        return 1;
    case SingleCopy::Claim::First:
        break;
    }
    out << "first\n";
    out.flush();
    QObject::connect(&copy, &SingleCopy::showRequested, &app, [&out] {
        out << "shown\n";
        out.flush();
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
