// SPDX-License-Identifier: GPL-3.0-or-later
// Claims the single-copy socket at the path named on the command line ("-": the default place), as a
// program start would, handing over the optional FILE, and prints "first", "handed-over" or "failed".
// A first copy then stays, printing "shown" for each later start that asks it to come forward and
// "open <path>" for each file handed over, until it is killed or a minute has passed.

#include "platform/single_copy.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <string>

using zelvara::platform::SingleCopy;

int main(int argc, char *argv[])
{
    if (argc < 2 || argc > 3)
        return 2;
    // Claimed before the application object exists, as the program does.
    const std::string path = std::string(argv[1]) == "-" ? zelvara::platform::defaultSocketPath() : argv[1];
    SingleCopy copy(path);
    const SingleCopy::Claim claim = copy.claim(argc == 3 ? argv[2] : "");

    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    switch (claim) {
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
    QObject::connect(&copy, &SingleCopy::openRequested, &app, [&out](const QString &file) {
        out << "open " << file << "\n";
        out.flush();
    });
    copy.answer();
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
