// SPDX-License-Identifier: GPL-3.0-or-later
// The real desktop's message box as the player meets it, with Qt's Russian texts loaded.

#include "platform/desktop.h"
#include "platform/toolkit_translation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class DesktopTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void toolkitTexts_areRussian();
    void messageBox_hasCaptionTextAndOneOkButton();
};

void DesktopTest::initTestCase()
{
    QVERIFY2(zelvara::platform::installToolkitTranslation(*QCoreApplication::instance()),
             "Qt's Russian catalogue (qt6-translations-l10n) is missing");
}

void DesktopTest::toolkitTexts_areRussian()
{
    // The text field's context menu and the standard buttons come from the catalogue.
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy").isEmpty(), false);
    QVERIFY(QCoreApplication::translate("QLineEdit", "&Copy") != u"&Copy"_s);
}

void DesktopTest::messageBox_hasCaptionTextAndOneOkButton()
{
    QString caption;
    QString text;
    QStringList buttons;
    bool answered = false;
    // Reads the box from inside its modal loop and presses its button, as the player would.
    QTimer reader;
    reader.setInterval(10);
    connect(&reader, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        caption = box->windowTitle();
        text = box->text();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        answered = true;
        QTest::mouseClick(box->buttons().constFirst(), Qt::LeftButton);
    });
    // A box that cannot be answered must end the test, not hang it.
    QTimer::singleShot(5000, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    reader.start();

    zelvara::platform::SystemDesktop desktop;
    desktop.showMessage(nullptr, u"Пожалуйста, укажите имена всех игроков."_s);
    reader.stop();

    QVERIFY(answered);
    QCOMPARE(caption, u"Zelvara"_s);
    QCOMPARE(text, u"Пожалуйста, укажите имена всех игроков."_s);
    QCOMPARE(buttons, QStringList{u"OK"_s});
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
