// SPDX-License-Identifier: GPL-3.0-or-later
// The real desktop's boxes as the player meets them, with Qt's Russian texts loaded: the message with its
// one button and the yes/no question, both showing whatever text they get as it is written.

#include "platform/desktop.h"
#include "platform/toolkit_translation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
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
    void question_answersByTheButtonPressed_data();
    void question_answersByTheButtonPressed();

private:
    struct Box
    {
        QString caption;
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QString shownText; // what the box's text label holds
        QStringList buttons;
        QString defaultButton;
        bool answered = false;
    };
    // Reads the next box from inside its modal loop and presses the button captioned `press` (the first
    // one when empty), as the player would.
    void answerNextBox(Box &box, const QString &press);
    QTimer m_reader;
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

void DesktopTest::answerNextBox(Box &box, const QString &press)
{
    m_reader.disconnect();
    m_reader.setInterval(10);
    connect(&m_reader, &QTimer::timeout, this, [this, &box, press] {
        auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!shown)
            return;
        m_reader.stop();
        box.caption = shown->windowTitle();
        box.text = shown->text();
        box.format = shown->textFormat();
        if (const auto *label = shown->findChild<QLabel *>(u"qt_msgbox_label"_s))
            box.shownText = label->textFormat() == Qt::PlainText ? label->text() : u"<not plain>"_s;
        QAbstractButton *target = nullptr;
        for (QAbstractButton *button : shown->buttons()) {
            box.buttons << button->text();
            if (button->text() == press || (press.isEmpty() && !target))
                target = button;
        }
        if (shown->defaultButton())
            box.defaultButton = shown->defaultButton()->text();
        box.answered = true;
        QTest::mouseClick(target, Qt::LeftButton);
    });
    // A box that cannot be answered must end the test, not hang it.
    QTimer::singleShot(5000, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    m_reader.start();
}

void DesktopTest::messageBox_hasCaptionTextAndOneOkButton()
{
    // Markup from a file (a key, a name) is shown as the characters it is: no picture is loaded, no link
    // drawn. A picture of /dev/zero would be read until memory runs out, so the test names a missing one.
    for (const QString &text :
         {u"Пожалуйста, укажите имена всех игроков."_s,
          u"Неизвестный ключ «<b>x</b><img src=\"/nonexistent.png\"><a href=\"https://example.org\">a</a>»"_s}) {
        Box box;
        answerNextBox(box, {});
        zelvara::platform::SystemDesktop desktop;
        desktop.showMessage(nullptr, text);

        QVERIFY(box.answered);
        QCOMPARE(box.caption, u"Zelvara"_s);
        QCOMPARE(box.text, text);
        QCOMPARE(box.format, Qt::PlainText);
        QCOMPARE(box.shownText, text);
        QCOMPARE(box.buttons, QStringList{u"OK"_s});
    }
}

void DesktopTest::question_answersByTheButtonPressed_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<bool>("expected");
    QTest::newRow("yes") << u"Да"_s << true;
    QTest::newRow("no") << u"Нет"_s << false;
}

void DesktopTest::question_answersByTheButtonPressed()
{
    QFETCH(QString, press);
    QFETCH(bool, expected);
    const QString question = u"Заменить введённую пулю содержимым файла «<i>a</i>.zelvara»?"_s;
    Box box;
    answerNextBox(box, press);
    zelvara::platform::SystemDesktop desktop;
    QCOMPARE(desktop.ask(nullptr, question), expected);

    QVERIFY(box.answered);
    QCOMPARE(box.caption, u"Zelvara"_s);
    QCOMPARE(box.shownText, question);
    QCOMPARE(box.buttons, (QStringList{u"Да"_s, u"Нет"_s}));
    // A hasty Enter keeps the sheet on the screen.
    QCOMPARE(box.defaultButton, u"Нет"_s);
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
