// SPDX-License-Identifier: GPL-3.0-or-later
// How long the report of a settled sheet takes, as "Сохранить картинку…" makes it: the blank sheet's
// picture read at twice the size, the report laid out and painted at twice its size. Medians and the
// slowest of many runs, for the first worked example and for a sheet whose names and note fill every
// line they may; the PDF beside it. Figures only, never a pass or a fail.
//
//     zelvara-report-bench [--runs N] [--write FOLDER]
//
// --write also leaves the pictures and PDFs of both in FOLDER (report-example1.png, report-crowded.pdf, ...).
#include "app/payments_controller.h"
#include "correction/play.h"
#include "report/report.h"
#include "widgets/window_look.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <variant>
#include <vector>

using namespace Qt::StringLiterals;
using namespace zelvara;

namespace {

engine::SheetRecord example1()
{
    engine::SheetRecord record;
    record.sheet = engine::SheetTexts::withDesignTexts(4);
    record.sheet.heaps = {"20", "4", "12", "0"};
    record.sheet.pools = {"10", "8", "6", "10"};
    record.sheet.whists[0][1] = "20";
    record.sheet.whists[1][0] = "4";
    record.sheet.whists[2][3] = "6";
    record.sheet.whists[3][0] = "2";
    return record;
}

// Every name and the note as long as the report lets them be, and a heap that does not divide, its
// correction declined, so that the pairs are rounded and listed.
engine::SheetRecord crowded()
{
    engine::SheetRecord record = example1();
    record.sheet.heaps[0] = "21";
    record.sheet.whistValue = "0,33";
    record.answer = engine::Answer{engine::Button::Cancel, 1};
    for (std::size_t i = 0; i < record.sheet.names.size(); ++i)
        record.sheet.names[i] = "Александра Константиновна Преображенская-Кржижановская " + std::to_string(i + 1);
    return record;
}

correction::SettledSheet settled(const engine::SheetRecord &record, const std::string &note)
{
    correction::Played played = correction::play(record);
    if (const auto *failure = std::get_if<engine::ValidationFailure>(&played))
        std::fprintf(stderr, "not settled: %s\n", failure->message.c_str());
    auto shown = std::get<correction::Shown>(std::move(played));
    return {record, std::move(shown), "2026-12-08T21:40:00+03:00", note};
}

double milliseconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct Figures
{
    std::vector<double> runs;
    double median()
    {
        std::sort(runs.begin(), runs.end());
        return runs[runs.size() / 2];
    }
    double slowest() const { return *std::max_element(runs.begin(), runs.end()); }
};

void measure(const char *what, int runs, const std::function<void()> &step)
{
    Figures figures;
    step(); // the first run loads the fonts: not what a player waits for after the first time
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        figures.runs.push_back(milliseconds(timer));
    }
    std::printf("%-58s median %7.2f ms   slowest %7.2f ms\n", what, figures.median(), figures.slowest());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addOption({u"runs"_s, u"runs of each figure"_s, u"N"_s, u"50"_s});
    parser.addOption({u"write"_s, u"leave the first example's picture and PDF here"_s, u"FOLDER"_s});
    parser.process(application);
    const int runs = std::max(1, parser.value(u"runs"_s).toInt());

    const report::Faces faces{widgets::sansFont(), widgets::narrowFont()};
    const std::string note = "Пятничная пуля у Петра Ильича. " + std::string(40, 'x') + "\nВторая строка примечания";
    const struct
    {
        const char *name;
        correction::SettledSheet sheet;
    } sheets[] = {{"first worked example", settled(example1(), {})}, {"crowded sheet", settled(crowded(), note)}};

    std::printf("the report at twice its size, %d runs\n", runs);
    for (const auto &[name, sheet] : sheets) {
        const correction::Explanation explanation = correction::explain(sheet.record, sheet.shown);
        const report::Report laidOut = report::layOut(sheet, explanation, app::sheetArt(4, 2), faces);
        std::printf("%s: %d x %d pixels\n", name, static_cast<int>(laidOut.size.width() * 2),
                    static_cast<int>(laidOut.size.height() * 2));
        measure("  drawn: sheet's picture read, laid out, painted", runs, [&] {
            const report::Report report = report::layOut(sheet, explanation, app::sheetArt(4, 2), faces);
            report::picture(report, 2);
        });
        measure("  laid out only", runs, [&] { report::layOut(sheet, explanation, app::sheetArt(4, 2), faces); });
        measure("  painted only", runs, [&] { report::picture(laidOut, 2); });
        const QImage picture = report::picture(laidOut, 2);
        measure("  picture written as PNG (beside the drawing, not part of it)", runs, [&] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
        });
        measure("  PDF", runs, [&] { report::pdf(laidOut); });
    }

    if (parser.isSet(u"write"_s)) {
        const QDir folder(parser.value(u"write"_s));
        for (const auto &[name, sheet] : sheets) {
            const QString base = folder.filePath(name == sheets[0].name ? u"report-example1"_s : u"report-crowded"_s);
            const report::Report report =
                report::layOut(sheet, correction::explain(sheet.record, sheet.shown), app::sheetArt(4, 2), faces);
            report::picture(report, 2).save(base + u".png"_s, "PNG");
            QFile pdf(base + u".pdf"_s);
            if (pdf.open(QIODevice::WriteOnly))
                pdf.write(report::pdf(report));
        }
    }
    return 0;
}
