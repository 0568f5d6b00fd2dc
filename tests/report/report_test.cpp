// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a settled sheet, laid out as data and read back: the sheet as it was settled (corrections
// written in), names that fit their places, text from outside kept plain and bounded, the date as the
// record gives it; and the PDF read back with poppler's pdftotext, as a player's search would read it.

#include "app/payments_controller.h"
#include "correction/play.h"
#include "report/report.h"
#include "tests/support/test_sheets.h"
#include "widgets/window_look.h"

#include <QFontMetricsF>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace zelvara;
using engine::Answer;
using engine::Button;
using engine::HeapDivision;
using zelvara::testing::sheetFrom;

namespace {

const QString Example1 = u"H=20/4/12/0;P=10/8/6/10;W12=20;W21=4;W34=6;W41=2"_s;

correction::SettledSheet settle(const engine::SheetTexts &sheet, std::optional<Answer> answer = {},
                                std::string date = "2026-12-08T21:40:00+03:00", std::string note = {})
{
    const engine::SheetRecord record{sheet, {engine::GameType::Sochi, HeapDivision::OnNPlayers}, ',', answer};
    const correction::Played played = correction::play(record);
    if (!std::holds_alternative<correction::Shown>(played))
        qFatal("the test sheet does not settle");
    return {record, std::get<correction::Shown>(played), std::move(date), std::move(note)};
}

report::Report layOut(const correction::SettledSheet &settled)
{
    return report::layOut(settled, correction::explain(settled.record, settled.shown),
                          app::sheetArt(settled.record.sheet.players, 1), {widgets::sansFont(), widgets::narrowFont()});
}

// The lines drawn for a role (and player), in the order drawn.
QStringList drawn(const report::Report &report, const QString &role, int player = -1)
{
    QStringList lines;
    for (const report::Item &item : report.items) {
        if (item.kind == report::Item::Kind::Text && item.role == role && (player < 0 || item.player == player))
            lines << item.text;
    }
    return lines;
}

// Every line of text fits the place it was given, and the report's frame holds every item: nothing
// drawn spills over its neighbours or off the page.
void checkEverythingInPlace(const report::Report &report)
{
    const QRectF frame(QPointF(), report.size);
    for (const report::Item &item : report.items) {
        QVERIFY2(frame.contains(item.rect), qPrintable(item.role + u" lies outside the report"_s));
        if (item.kind != report::Item::Kind::Text)
            continue;
        const qreal width = QFontMetricsF(item.font).horizontalAdvance(item.text);
        QVERIFY2(width <= item.rect.width() + 0.5,
                 qPrintable(item.role + u": «"_s + item.text + u"» is wider than its place"_s));
        for (const QChar ch : item.text)
            QVERIFY2(ch.category() != QChar::Other_Control, qPrintable(item.role + u" draws a control character"_s));
    }
}

} // namespace

class ReportTest : public QObject
{
    Q_OBJECT

private slots:
    void example1_drawsTheSheetTheResultsAndThePayments();
    void correctedSheet_drawsTheFieldsAsCorrected();
    void title_isTheSettlementsOwnTime();
    void names_fitTheirFieldsWhole();
    void textFromOutside_isPlainAndBounded();
    void pdf_givesNamesResultsAndTransfersBackAsText();
};

void ReportTest::example1_drawsTheSheetTheResultsAndThePayments()
{
    const correction::SettledSheet settled = settle(sheetFrom(4, Example1, ','));
    const report::Report report = layOut(settled);
    checkEverythingInPlace(report);

    QCOMPARE(drawn(report, u"HeapOfP1For4"_s), QStringList{u"20"_s});
    QCOMPARE(drawn(report, u"WhistsOfP1ToP2For4"_s), QStringList{u"20"_s});
    QCOMPARE(drawn(report, u"WhistsOfP2ToP3For4"_s), QStringList{QString()});
    QCOMPARE(drawn(report, u"NameOfP3For4"_s), QStringList{u"Восток"_s});
    QCOMPARE(drawn(report, u"ValueOfWhistFor4"_s), QStringList{u"1"_s});
    // Each result twice: in its field on the sheet and beside its player's name, in the tone's colour.
    const QStringList results = {u"-81"_s, u"+29"_s, u"-49"_s, u"+101"_s};
    const QStringList names = {u"Запад"_s, u"Север"_s, u"Восток"_s, u"Юг"_s};
    for (int player = 1; player <= 4; ++player) {
        const QString field = u"ResultOfP"_s + QString::number(player) + u"For4"_s;
        const QString &result = results[player - 1];
        QCOMPARE(drawn(report, field), QStringList{result});
        QCOMPARE(drawn(report, u"result"_s, player), QStringList{result});
        QCOMPARE(drawn(report, u"name"_s, player), QStringList{names[player - 1]});
        for (const report::Item &item : report.items) {
            if (item.kind == report::Item::Kind::Text && (item.role == field || item.role == u"result"_s) &&
                item.player == player)
                QCOMPARE(item.ink, result.startsWith(u'-') ? QColor(255, 0, 0) : QColor(0, 0, 128));
        }
    }
    QCOMPARE(drawn(report, u"options"_s),
             QStringList{u"Сочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1"_s});
    QCOMPARE(drawn(report, u"transfer"_s),
             (QStringList{u"Запад платит Северу 29,00"_s, u"Запад платит Югу 52,00"_s, u"Восток платит Югу 49,00"_s}));
    // Nothing was rounded: no pairs, no note, no note of the players either.
    QVERIFY(drawn(report, u"pair"_s).isEmpty());
    QVERIFY(drawn(report, u"paymentsNote"_s).isEmpty());
    QVERIFY(drawn(report, u"note"_s).isEmpty());
    QCOMPARE(std::count_if(report.items.begin(), report.items.end(),
                           [](const report::Item &item) { return item.kind == report::Item::Kind::Picture; }),
             1);
    QVERIFY(!report.picture.isNull());
}

void ReportTest::correctedSheet_drawsTheFieldsAsCorrected()
{
    // A heap of 37 does not divide among four; the correction by lot, accepted for West, changes West's
    // heap and the whists, and the report shows the sheet as corrected, the results with it.
    const correction::SettledSheet settled = settle(sheetFrom(4, u"H=21/4/12/0;P=10/8/6/10;W12=20"_s, ','), Answer{});
    QVERIFY(!settled.shown.writes.empty());
    const report::Report report = layOut(settled);
    checkEverythingInPlace(report);
    for (const correction::FieldWrite &write : settled.shown.writes) {
        const QString field = QString::fromStdString(engine::fieldName(write.field, 4));
        QCOMPARE(drawn(report, field), QStringList{QString::fromStdString(write.text)});
    }
    QCOMPARE(drawn(report, u"HeapOfP1For4"_s).value(0), QString::fromStdString(settled.shown.writes.front().text));
    QVERIFY(drawn(report, u"HeapOfP1For4"_s).value(0) != u"21"_s);
    for (int player = 1; player <= 4; ++player)
        QCOMPARE(drawn(report, u"result"_s, player),
                 QStringList{QString::fromStdString(settled.shown.results[static_cast<std::size_t>(player - 1)].text)});

    // Declined instead, with a whist worth a third of a rouble: the pairs are rounded, and the report
    // lists them beside the note that names them.
    const correction::SettledSheet declined =
        settle(sheetFrom(4, u"H=21/4/12/0;P=10/8/6/10;W12=20;V=0,33"_s, ','), Answer{Button::Cancel, 1});
    const report::Report rounded = layOut(declined);
    checkEverythingInPlace(rounded);
    QVERIFY(!drawn(rounded, u"pair"_s).isEmpty());
    QVERIFY2(drawn(rounded, u"paymentsNote"_s).join(u' ').contains(u"по парам"_s),
             qPrintable(drawn(rounded, u"paymentsNote"_s).join(u' ')));
}

void ReportTest::title_isTheSettlementsOwnTime()
{
    const engine::SheetTexts sheet = sheetFrom(2, u"P=10/8"_s, ',');
    // The wall clock where it was settled, whatever this machine's zone.
    QCOMPARE(layOut(settle(sheet, {}, "2026-12-08T21:40:00+03:00")).title, u"Пуля от 08.12.2026, 21:40"_s);
    QCOMPARE(layOut(settle(sheet, {}, "2027-01-01T00:05:00-10:00")).title, u"Пуля от 01.01.2027, 00:05"_s);
    // A file may carry anything as its time: the report is then simply undated.
    for (const std::string &date :
         std::vector<std::string>{"", "вчера", "2026-13-45T99:00:00", std::string(10000, '2')})
        QCOMPARE(layOut(settle(sheet, {}, date)).title, u"Пуля"_s);
    QCOMPARE(drawn(layOut(settle(sheet, {}, "вчера")), u"title"_s), QStringList{u"Пуля"_s});
}

void ReportTest::names_fitTheirFieldsWhole()
{
    engine::SheetTexts sheet = sheetFrom(4, Example1, ',');
    // Twice as long as a name field shows in the window: written whole on the sheet.
    sheet.names = {"Александр Петров", "Север", "Константинопольский", "Ю"};
    const report::Report report = layOut(settle(sheet));
    checkEverythingInPlace(report);
    QCOMPARE(drawn(report, u"NameOfP1For4"_s).join(u' '), u"Александр Петров"_s);
    QCOMPARE(drawn(report, u"NameOfP3For4"_s).join(QString()), u"Константинопольский"_s);
    QCOMPARE(drawn(report, u"NameOfP4For4"_s), QStringList{u"Ю"_s});
    QCOMPARE(drawn(report, u"name"_s, 1), QStringList{u"Александр Петров"_s});

    // Three players, one named by a blank: the results name the seat's player by number.
    engine::SheetTexts three = sheetFrom(3, u"P=10/8/6"_s, ',');
    three.names[1] = " ";
    const report::Report report3 = layOut(settle(three));
    QCOMPARE(drawn(report3, u"name"_s, 2), QStringList{u"Игрок 2"_s});
}

void ReportTest::textFromOutside_isPlainAndBounded()
{
    engine::SheetTexts sheet = sheetFrom(4, Example1, ',');
    // Names of a hundred thousand characters (a sheet file may hold them), with markup and control
    // characters; a note of thousands of lines.
    for (std::size_t i = 0; i < sheet.names.size(); ++i)
        sheet.names[i] =
            "<b>Имя" + std::to_string(i) + "</b>\t\x01\r\n" + std::string(100000, 'a' + static_cast<char>(i));
    std::string note;
    for (int line = 0; line < 5000; ++line)
        note += "строка " + std::to_string(line) + "\n";
    const correction::SettledSheet settled = settle(sheet, {}, "2026-12-08T21:40:00+03:00", note);
    const report::Report report = layOut(settled);
    checkEverythingInPlace(report);
    // Shown as written, tags and all, never as markup; and each name keeps to two lines beside its result.
    QVERIFY(drawn(report, u"name"_s, 1).value(0).startsWith(u"<b>Имя0</b>"_s));
    QCOMPARE(drawn(report, u"name"_s, 1).size(), 2);
    QVERIFY(drawn(report, u"name"_s, 1).value(1).endsWith(u'…'));
    QVERIFY(drawn(report, u"note"_s).size() <= 8);
    QVERIFY2(report.size.height() < 1600, qPrintable(QString::number(report.size.height())));
    QCOMPARE(report::picture(report, 1).size(), report.size.toSize());
}

void ReportTest::pdf_givesNamesResultsAndTransfersBackAsText()
{
#ifndef ZELVARA_PDFTOTEXT
    QFAIL("pdftotext (poppler-utils) was not found when the build was configured: scripts/setup test installs it");
#else
    engine::SheetTexts sheet = sheetFrom(4, Example1, ',');
    sheet.names[0] = "Александр Петров";
    const correction::SettledSheet settled = settle(sheet, {}, "2026-12-08T21:40:00+03:00", "Пятница у Ильи");
    const QByteArray document = report::pdf(layOut(settled));
    QVERIFY(document.startsWith("%PDF-"));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(u"report.pdf"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(document) == document.size());
    file.close();

    const auto run = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString text = run(QStringLiteral(ZELVARA_PDFTOTEXT), {u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
    const QStringList expected = {
        u"Пуля от 08.12.2026, 21:40"_s,
        u"Сочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1"_s,
        u"Примечание: Пятница у Ильи"_s,
        u"Александр Петров"_s,
        u"Север"_s,
        u"Восток"_s,
        u"Юг"_s,
        u"-81"_s,
        u"+29"_s,
        u"-49"_s,
        u"+101"_s,
        u"Кто кому платит"_s,
        u"Александр Петров платит Северу 29,00"_s,
        u"Александр Петров платит Югу 52,00"_s,
        u"Восток платит Югу 49,00"_s,
    };
    for (const QString &part : expected)
        QVERIFY2(text.contains(part), qPrintable(part + u" is not in the PDF's text:\n"_s + text));

    // Every face is embedded: the PDF reads the same on a machine without these fonts.
    const QString fonts = run(QStringLiteral(ZELVARA_PDFFONTS), {path});
    const QStringList rows = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY2(!rows.isEmpty(), qPrintable(fonts));
    for (const QString &row : rows)
        QVERIFY2(row.section(u' ', -5, -5, QString::SectionSkipEmpty) == u"yes"_s, qPrintable(fonts));
#endif
}

QTEST_MAIN(ReportTest)
#include "report_test.moc"
