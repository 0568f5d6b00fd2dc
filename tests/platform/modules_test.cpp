// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/modules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using zelvara::platform::loadModule;
using zelvara::platform::trustedCode;

class ModulesTest : public QObject
{
    Q_OBJECT

private slots:
    void trustedCode_onlyFilesNobodyElseMayChange();
    void loadModule_findsTheModuleBesideTheProgram();
};

void ModulesTest::trustedCode_onlyFilesNobodyElseMayChange()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString module = folder.filePath(u"libzelvara_x.so"_s);
    QFile file(module);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const auto mode = [](const QString &path, mode_t bits) {
        return ::chmod(QFile::encodeName(path).constData(), bits) == 0;
    };
    QVERIFY(mode(folder.path(), 0755) && mode(module, 0644));
    QVERIFY(trustedCode(module, ::getuid()));

    // Anyone in the group could swap the file, or anyone at all the folder's entries.
    QVERIFY(mode(module, 0664));
    QVERIFY(!trustedCode(module, ::getuid()));
    QVERIFY(mode(module, 0644) && mode(folder.path(), 0777));
    QVERIFY(!trustedCode(module, ::getuid()));
    QVERIFY(mode(folder.path(), 0755));

    // A link is never followed, and another user's file (neither the player's nor root's) is not run.
    const QString link = folder.filePath(u"libzelvara_link.so"_s);
    QVERIFY(QFile::link(module, link));
    QVERIFY(!trustedCode(link, ::getuid()));
    if (::getuid() == 0) {
        QVERIFY(::chown(QFile::encodeName(module).constData(), 65534, 65534) == 0);
        QVERIFY(!trustedCode(module, 1000));
        QVERIFY(trustedCode(module, 65534));
    }
    QVERIFY(!trustedCode(folder.filePath(u"missing.so"_s), ::getuid()));
}

void ModulesTest::loadModule_findsTheModuleBesideTheProgram()
{
    QString problem;
    QObject *root = loadModule(u"zelvara_probe_module"_s, &problem);
    QVERIFY2(root, qPrintable(problem));
    QCOMPARE(root->objectName(), u"probe module"_s);
    // Asked for again, the same instance.
    QCOMPARE(loadModule(u"zelvara_probe_module"_s), root);

    QVERIFY(!loadModule(u"zelvara_no_such_module"_s, &problem));
    QCOMPARE(problem, u"no module libzelvara_no_such_module.so"_s);
}

QTEST_GUILESS_MAIN(ModulesTest)
#include "modules_test.moc"
