// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/book.h"
#include "book/names.h"
#include "book/sqlite.h"
#include "tests/support/test_sheets.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sys/stat.h>

using namespace zelvara;
using namespace zelvara::book;

namespace {

const QString Data = QStringLiteral(BOOK_TEST_DATA);

GameDate dateOf(const char *text)
{
    return *readGameDate(text);
}

sheetfile::SheetDocument documentOf(const engine::SheetTexts &sheet, engine::Options options, char separator = ',')
{
    sheetfile::SheetDocument document;
    document.sheet = sheet;
    document.options = options;
    document.decimalSeparator = separator;
    return document;
}

// Example 1 with the names given.
SettledSheet example1(const std::array<const char *, 4> &names)
{
    auto sheet = testing::sheetFrom(4, u"H=20/4/12/0;P=10/8/6/10;W12=20;W21=4;W34=6;W41=2"_qs, ',');
    for (std::size_t i = 0; i < 4; ++i) {
        sheet.names[i] = names[i];
    }
    return std::get<SettledSheet>(settleForBook(documentOf(sheet, {})));
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::int64_t userVersion(const QString &path)
{
    book::sqlite::Database db(path.toStdString(), book::sqlite::Database::Mode::ReadOnly);
    return db.integer("PRAGMA user_version");
}

// Opening must fail as unusable, for the cause given, with a message that names the file.
void expectRefusal(const QString &path, Book::Access access, BookError::Cause cause)
{
    try {
        Book::open(path.toStdString(), access);
        QFAIL("the book opened");
    } catch (const BookError &error) {
        QCOMPARE(error.kind(), BookError::Kind::Unusable);
        QCOMPARE(error.cause(), cause);
        QVERIFY2(std::string(error.what()).find(path.toStdString()) != std::string::npos, error.what());
    }
}

// Each player's total and games, by the name the book shows.
std::map<std::string, std::pair<std::int64_t, std::int64_t>> totalsOf(const std::vector<Standing> &standings)
{
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> totals;
    for (const Standing &s : standings) {
        totals[s.name] = {s.hundredths, s.games};
    }
    return totals;
}

} // namespace

class BookTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void settleForBook_recordsWhatTheWindowShows();
    void settleForBook_refusesWhatItCannotRecord();
    void season_totalsAreSumsOfSheetsAndAddUpToZero();
    void names_renameAndMerge();
    void migration_fromVersion1();
    void refusal_fileIsLeftByteForByte();
    void fullDisk_nothingHalfWritten();
    void missingBook_readsEmptyAndIsNotCreated();
    void records_deleteRestoreAndChange();
    void recorded_findsTheSameSheetAtTheSameMoment();
    void timeline_runningTotalsEndOnTheStandings();
    void dataVersion_changesWithAnotherWriter();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void BookTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void BookTest::settleForBook_recordsWhatTheWindowShows()
{
    // The lot answered "OK" with player 2: the same amounts and correction as the dialog shows.
    auto sheet = testing::sheetFrom(4, u"H=21/4/12/0;P=10/8/6/10;W12=20;W21=4;W34=6;W41=2"_qs, ',');
    auto document = documentOf(sheet, {});
    document.answer = sheetfile::Answer{sheetfile::Button::OK, 2};
    document.note = "Пятница";
    const auto settled = std::get<SettledSheet>(settleForBook(document));
    std::vector<std::int64_t> amounts;
    for (const PlayerResult &p : settled.players) {
        amounts.push_back(p.hundredths);
    }
    QCOMPARE(amounts, (std::vector<std::int64_t>{-8900, 3300, -4700, 10300}));
    QCOMPARE(settled.players[1].whists, 33.0);
    QVERIFY(settled.correction.starts_with("Поправка по жребию («OK»)"));
    QCOMPARE(settled.note, std::string("Пятница"));
    // The record of the sheet is the sheet file's text and reads back as the same document.
    QCOMPARE(settled.sheetText, sheetfile::writeSheet(document));
    QVERIFY(std::get<sheetfile::SheetDocument>(sheetfile::readSheet(settled.sheetText)) == document);

    // The lot declined, thirds rounded one by one: the balanced totals still add up to exactly zero.
    auto thirds = documentOf(testing::sheetFrom(3, u"H=1/0/0;V=1"_qs, ','), {});
    thirds.answer = sheetfile::Answer{sheetfile::Button::Cancel, 1};
    const auto rounded = std::get<SettledSheet>(settleForBook(thirds));
    std::int64_t sum = 0;
    for (const PlayerResult &p : rounded.players) {
        sum += p.hundredths;
    }
    QCOMPARE(sum, std::int64_t{0});
}

void BookTest::settleForBook_refusesWhatItCannotRecord()
{
    using Kind = NotRecordable::Kind;
    const auto kindOf = [](const sheetfile::SheetDocument &document) {
        const auto outcome = settleForBook(document);
        return std::holds_alternative<NotRecordable>(outcome) ? std::get<NotRecordable>(outcome).kind
                                                              : static_cast<Kind>(-1);
    };
    auto lot = documentOf(testing::sheetFrom(4, u"H=21/4/12/0;P=10/8/6/10"_qs, ','), {});
    QCOMPARE(kindOf(lot), Kind::NeedsAnswer);
    lot.answer = sheetfile::Answer{sheetfile::Button::OK, 4};
    QVERIFY(std::holds_alternative<SettledSheet>(settleForBook(lot)));
    lot.answer = sheetfile::Answer{sheetfile::Button::OK, 7};
    QCOMPARE(kindOf(lot), Kind::WrongAnswer);

    QCOMPARE(kindOf(documentOf(testing::sheetFrom(4, u"V=abc"_qs, ','), {})), Kind::CheckFailed);
    QCOMPARE(kindOf(documentOf(testing::sheetFrom(4, u"N1=Аня;N2= АНЯ"_qs, ','), {})), Kind::SamePlayerTwice);
    QCOMPARE(kindOf(documentOf(testing::sheetFrom(2, u"V=100000000;H=500/0"_qs, ','), {})), Kind::TooLarge);
}

void BookTest::season_totalsAreSumsOfSheetsAndAddUpToZero()
{
    // Sheets of four, three and two players drawn from ten names, written in varying case and with ё.
    const std::array<const char *, 10> names{"Аня", "Гоша", "Алёна", "Pete", "Саша",
                                             "Юля", "Олег", "Ира",   "Дима", "Вера"};
    const std::array<const char *, 10> variants{" аня", "ГОША", "Алена", "PETE ", "саша",
                                                "ЮЛЯ",  "олег", "ИРА",   "дима",  "вера"};
    Book book = Book::open(path(u"book.sqlite"_qs).toStdString(), Book::Access::Write);
    testing::SheetGenerator generator(42);
    std::map<std::string, std::int64_t> expected;
    std::map<std::string, std::int64_t> december;
    int recorded = 0;
    for (int round = 0; round < 400 && recorded < 150; ++round) {
        auto c = generator.next(',');
        for (int i = 0; i < c.sheet.players; ++i) {
            const auto pick = static_cast<std::size_t>((round * 3 + i * 7) % 10);
            c.sheet.names[static_cast<std::size_t>(i)] = (round % 2 == 0 ? names : variants)[pick];
        }
        auto document = documentOf(c.sheet, c.options);
        document.answer = sheetfile::Answer{round % 3 == 0 ? sheetfile::Button::Cancel : sheetfile::Button::OK,
                                            1 + round % c.sheet.players};
        const auto outcome = settleForBook(document);
        const auto *settled = std::get_if<SettledSheet>(&outcome);
        if (settled == nullptr) {
            continue;
        }
        const bool inDecember = recorded % 2 == 0;
        const std::string date = inDecember ? "2026-12-08T21:40:00+03:00" : "2026-11-08T21:40:00+03:00";
        book.add(*settled, *readGameDate(date), "");
        ++recorded;
        std::int64_t sheetSum = 0;
        for (const PlayerResult &p : settled->players) {
            expected[nameKey(p.name)] += p.hundredths;
            december[nameKey(p.name)] += inDecember ? p.hundredths : 0;
            sheetSum += p.hundredths;
        }
        QCOMPARE(sheetSum, std::int64_t{0});
    }
    QVERIFY(recorded >= 100);
    QCOMPARE(book.recordCount(), std::int64_t{recorded});

    for (const auto &[filter, sums] :
         {std::pair{Filter{}, expected}, std::pair{Filter{"2026-12-01", "2026-12-31", {}}, december}}) {
        const std::vector<Standing> standings = book.standings(filter);
        std::int64_t total = 0;
        std::int64_t previous = INT64_MAX;
        for (const Standing &s : standings) {
            QCOMPARE(s.hundredths, sums.at(nameKey(s.name)));
            QVERIFY(s.hundredths <= previous);
            QVERIFY(s.worst <= s.average && s.average <= s.best);
            previous = s.hundredths;
            total += s.hundredths;
        }
        QCOMPARE(standings.size(), std::size_t{10});
        QCOMPARE(total, std::int64_t{0});

        // The season's transfers settle every total.
        std::map<std::string, std::int64_t> settled;
        for (const SeasonTransfer &t : book.payments(filter).transfers) {
            settled[nameKey(t.from)] -= t.hundredths;
            settled[nameKey(t.to)] += t.hundredths;
        }
        for (const Standing &s : standings) {
            QCOMPARE(settled[nameKey(s.name)], s.hundredths);
        }
    }
    // One player's records and row.
    const std::vector<Record> hers = book.records(Filter{{}, {}, " АНЯ"}, 1000);
    QVERIFY(!hers.empty());
    QCOMPARE(book.standings(Filter{{}, {}, "аня"}).size(), std::size_t{1});
    QCOMPARE(book.standings(Filter{{}, {}, "аня"})[0].games, static_cast<std::int64_t>(hers.size()));
    QCOMPARE(book.integrityCheck(), std::string("ok"));
}

void BookTest::names_renameAndMerge()
{
    Book book = Book::open(path(u"book.sqlite"_qs).toStdString(), Book::Access::Write);
    book.add(example1({"Саша", "Аня", "Гоша", "Юля"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    book.add(example1({"Александр", "аня", "ГОША", "Юля"}), dateOf("2026-12-02T20:00:00+03:00"), "");
    QCOMPARE(book.standings({}).size(), std::size_t{5});

    // Саша and Александр never sat at one sheet: they can be one player, shown as Саша.
    book.merge("саша", "Александр");
    const auto standings = book.standings({});
    QCOMPARE(standings.size(), std::size_t{4});
    QCOMPARE(standings.back().name, std::string("Саша"));
    QCOMPARE(standings.back().games, std::int64_t{2});
    QCOMPARE(standings.back().hundredths, std::int64_t{-16200});
    // The records keep the names as typed and show the player's name beside them.
    const auto records = book.records({}, 10);
    QCOMPARE(records[0].players[0].name, std::string("Александр"));
    QCOMPARE(records[0].players[0].player, std::string("Саша"));
    QCOMPARE(records[0].players[1].name, std::string("аня"));
    QCOMPARE(records[0].players[1].player, std::string("Аня"));

    // A sheet with both names now seats one player twice: refused, nothing written.
    QVERIFY_THROWS_EXCEPTION(
        BookError, book.add(example1({"Саша", "Александр", "Гоша", "Юля"}), dateOf("2026-12-03T20:00:00+03:00"), ""));
    QCOMPARE(book.recordCount(), std::int64_t{2});
    QCOMPARE(book.integrityCheck(), std::string("ok"));

    // Players who sat at one sheet are two people.
    QVERIFY_THROWS_EXCEPTION(BookError, book.merge("Аня", "Гоша"));

    // A rename shows the new name and matches it from now on; a name of another player is refused.
    book.rename("АНЯ", "Анна");
    QCOMPARE(book.standings(Filter{{}, {}, "анна"})[0].name, std::string("Анна"));
    QCOMPARE(book.standings(Filter{{}, {}, "аня"})[0].name, std::string("Анна"));
    QVERIFY_THROWS_EXCEPTION(BookError, book.rename("Анна", "гоша"));
    try {
        book.standings(Filter{{}, {}, "Незнакомец"});
        QFAIL("an unknown player was found");
    } catch (const BookError &error) {
        QCOMPARE(error.kind(), BookError::Kind::NoSuchPlayer);
    }
}

void BookTest::migration_fromVersion1()
{
    const QString file = path(u"book.sqlite"_qs);
    QVERIFY(QFile::copy(Data + u"/book-v1.sqlite"_qs, file));
    QCOMPARE(userVersion(file), std::int64_t{1});
    {
        // Reading an old book upgrades it in place.
        Book book = Book::open(file.toStdString(), Book::Access::Read);
        const auto november = book.standings(Filter{"2026-11-01", "2026-11-30", {}});
        QCOMPARE(november.size(), std::size_t{4});
        QCOMPARE(november.front().name, std::string("Юг"));
        QCOMPARE(november.front().hundredths, std::int64_t{10100});
        const auto all = book.standings({});
        QCOMPARE(all.size(), std::size_t{4});
        QCOMPARE(all[2].name, std::string("Запад"));
        QCOMPARE(all[2].hundredths, std::int64_t{-1500});
        QCOMPARE(all[2].games, std::int64_t{2});
        const auto records = book.records({}, 10);
        QCOMPARE(records.size(), std::size_t{2});
        QCOMPARE(records[0].note, std::string("Декабрь"));
        book.add(example1({"Запад", "Север", "Восток", "Юг"}), dateOf("2026-12-20T20:00:00+03:00"), "");
        QCOMPARE(book.integrityCheck(), std::string("ok"));
    }
    QCOMPARE(userVersion(file), std::int64_t{Book::SchemaVersion});
    book::sqlite::Database db(file.toStdString(), book::sqlite::Database::Mode::ReadOnly);
    QCOMPARE(db.integer("SELECT count(*) FROM results WHERE day = ''"), std::int64_t{0});
    QCOMPARE(db.integer("SELECT count(*) FROM sqlite_schema WHERE name = 'results_by_player_day'"), std::int64_t{1});
}

void BookTest::refusal_fileIsLeftByteForByte()
{
    // Not SQLite.
    const QString text = path(u"notes.txt"_qs);
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Пуля у Андрея: -81, +29, -49, +101\n" + QByteArray(5000, 'x'));
    }
    const QByteArray textBytes = bytesOf(text);
    expectRefusal(text, Book::Access::Write, BookError::Cause::NotSqlite);
    QCOMPARE(bytesOf(text), textBytes);

    // A newer version.
    const QString newer = path(u"newer.sqlite"_qs);
    {
        Book book = Book::open(newer.toStdString(), Book::Access::Write);
        book.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    }
    {
        book::sqlite::Database db(newer.toStdString(), book::sqlite::Database::Mode::ReadWrite);
        db.execute("PRAGMA user_version = 3");
    }
    const QByteArray newerBytes = bytesOf(newer);
    expectRefusal(newer, Book::Access::Write, BookError::Cause::Newer);
    expectRefusal(newer, Book::Access::Read, BookError::Cause::Newer);
    QCOMPARE(bytesOf(newer), newerBytes);
    QVERIFY(!QFile::exists(newer + u"-wal"_qs));

    // Damaged: the page that lists the tables is overwritten.
    const QString damaged = path(u"damaged.sqlite"_qs);
    {
        Book book = Book::open(damaged.toStdString(), Book::Access::Write);
        book.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    }
    {
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(100);
        file.write(QByteArray(400, '\x5A'));
    }
    const QByteArray damagedBytes = bytesOf(damaged);
    expectRefusal(damaged, Book::Access::Write, BookError::Cause::Damaged);
    expectRefusal(damaged, Book::Access::Read, BookError::Cause::Damaged);
    QCOMPARE(bytesOf(damaged), damagedBytes);
}

void BookTest::fullDisk_nothingHalfWritten()
{
    const std::string file = path(u"book.sqlite"_qs).toStdString();
    std::int64_t recorded = 0;
    {
        Book book = Book::open(file, Book::Access::Write);
        book.setMaxPageCount(12);
        bool full = false;
        for (int i = 0; i < 200 && !full; ++i) {
            try {
                book.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"),
                         std::string(static_cast<std::size_t>(i) * 40, 'n'));
                ++recorded;
            } catch (const BookError &error) {
                QCOMPARE(error.kind(), BookError::Kind::Full);
                QVERIFY(std::string(error.what()).find("nothing was written") != std::string::npos);
                full = true;
            }
        }
        QVERIFY(full);
        QVERIFY(recorded > 0);
        QCOMPARE(book.recordCount(), recorded);
    }
    // Every record that is there is whole, and the book goes on once there is room.
    Book book = Book::open(file, Book::Access::Write);
    QCOMPARE(book.recordCount(), recorded);
    for (const Record &record : book.records({}, 1000)) {
        QCOMPARE(record.players.size(), std::size_t{4});
    }
    QCOMPARE(book.integrityCheck(), std::string("ok"));
    book.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    QCOMPARE(book.standings({})[0].games, recorded + 1);
}

void BookTest::missingBook_readsEmptyAndIsNotCreated()
{
    const QString folder = path(u"zelvara"_qs);
    const QString file = folder + u"/book.sqlite"_qs;
    {
        Book book = Book::open(file.toStdString(), Book::Access::Read);
        QVERIFY(book.records({}, 10).empty());
        QVERIFY(book.standings({}).empty());
        QVERIFY(book.payments({}).transfers.empty());
        QVERIFY_THROWS_EXCEPTION(BookError,
                                 book.add(example1({"А", "Б", "В", "Г"}), dateOf("2026-12-01T20:00:00Z"), ""));
    }
    QVERIFY(!QFile::exists(folder));
    Book::open(file.toStdString(), Book::Access::Write);
    struct stat info
    {};
    QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777U, 0700U);
}

void BookTest::records_deleteRestoreAndChange()
{
    Book book = Book::open(path(u"book.sqlite"_qs).toStdString(), Book::Access::Write);
    const std::int64_t first =
        book.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-11-01T20:00:00+03:00"), "");
    const std::int64_t second =
        book.add(example1({"Гоша", "Аня", "Саша", "Юля"}), dateOf("2026-12-01T20:00:00+03:00"), "Пятница");
    const std::int64_t third =
        book.add(example1({"Юля", "Саша", "Аня", "Вера"}), dateOf("2026-12-05T20:00:00+03:00"), "");
    const auto before = book.standings({});
    const auto listed = book.records({}, 10);

    // Deleting takes the record and its share of every total, best and worst game included; Вера, who
    // played only then, leaves the standings.
    const RemovedRecord removed = book.remove(third);
    QCOMPARE(book.recordCount(), std::int64_t{2});
    QCOMPARE(book.standings({}).size(), std::size_t{4});
    const auto afterRemoval = totalsOf(book.standings({}));
    QCOMPARE(afterRemoval.at("Аня"), (std::pair<std::int64_t, std::int64_t>{-8100 + 2900, 2}));
    const auto yulia = book.standings(Filter{{}, {}, "Юля"}).front();
    QCOMPARE(yulia.worst, std::int64_t{-4900});
    QCOMPARE(yulia.best, std::int64_t{10100});
    QVERIFY(!book.sheetText(third));
    QCOMPARE(book.integrityCheck(), std::string("ok"));
    try {
        book.remove(third);
        QFAIL("a record was deleted twice");
    } catch (const BookError &error) {
        QCOMPARE(error.kind(), BookError::Kind::NoSuchRecord);
    }

    // Restored, it is the same record in the same place, and the totals are as they were.
    QCOMPARE(book.restore(removed), third);
    QCOMPARE(book.standings({}).size(), before.size());
    QCOMPARE(totalsOf(book.standings({})), totalsOf(before));
    const auto relisted = book.records({}, 10);
    QCOMPARE(relisted.size(), listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        QCOMPARE(relisted[i].id, listed[i].id);
        QCOMPARE(relisted[i].date, listed[i].date);
        QCOMPARE(relisted[i].players.size(), listed[i].players.size());
        QCOMPARE(relisted[i].players[0].name, listed[i].players[0].name);
        QCOMPARE(relisted[i].players[0].hundredths, listed[i].players[0].hundredths);
    }

    // A record added while one was deleted may take its id: the deleted one comes back under another.
    const RemovedRecord again = book.remove(third);
    const std::int64_t newcomer =
        book.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-06T20:00:00+03:00"), "");
    QCOMPARE(newcomer, third);
    const std::int64_t back = book.restore(again);
    QVERIFY(back != third);
    QCOMPARE(*book.sheetText(back), again.sheetText);
    book.remove(newcomer);

    // A new date moves the record in the list and between periods; a new note changes only the note.
    book.setDate(first, dateOf("2026-12-10T18:30:00+03:00"));
    book.setNote(first, "Перенесли");
    const auto moved = book.records({}, 10);
    QCOMPARE(moved.front().id, first);
    QCOMPARE(moved.front().date, std::string("2026-12-10T18:30:00+03:00"));
    QCOMPARE(moved.front().note, std::string("Перенесли"));
    QCOMPARE(book.records(Filter{"2026-11-01", "2026-11-30", {}}, 10).size(), std::size_t{0});
    QCOMPARE(book.standings(Filter{"2026-12-10", "2026-12-10", {}}).size(), std::size_t{4});
    QCOMPARE(book.records({}, 10)[1].id, back);
    QCOMPARE(book.records({}, 10)[2].id, second);
    QCOMPARE(book.records({}, 10)[2].note, std::string("Пятница"));
    QVERIFY_THROWS_EXCEPTION(BookError, book.setNote(third, "нет такой"));
    QCOMPARE(book.integrityCheck(), std::string("ok"));
}

void BookTest::recorded_findsTheSameSheetAtTheSameMoment()
{
    Book book = Book::open(path(u"book.sqlite"_qs).toStdString(), Book::Access::Write);
    const SettledSheet sheet = example1({"Аня", "Гоша", "Юля", "Саша"});
    const GameDate date = dateOf("2026-12-01T20:00:00+03:00");
    QVERIFY(book.recorded(sheet, date).empty());
    const std::int64_t id = book.add(sheet, date, "");

    // The same moment written in another zone, and a note of its own, are still the same game.
    SettledSheet noted = sheet;
    auto document = std::get<sheetfile::SheetDocument>(sheetfile::readSheet(sheet.sheetText));
    document.note = "Пятница";
    document.saved = "2026-12-01T21:00:00+03:00";
    noted.sheetText = sheetfile::writeSheet(document);
    QCOMPARE(book.recorded(noted, dateOf("2026-12-01T17:00:00Z")), std::vector<std::int64_t>{id});

    // Another moment, another whist value or other names are another game.
    QVERIFY(book.recorded(sheet, dateOf("2026-12-01T20:01:00+03:00")).empty());
    document.sheet.whistValue = "2";
    SettledSheet dearer = sheet;
    dearer.sheetText = sheetfile::writeSheet(document);
    QVERIFY(book.recorded(dearer, date).empty());
    QVERIFY(book.recorded(example1({"Аня", "Гоша", "Юля", "Вера"}), date).empty());
}

void BookTest::timeline_runningTotalsEndOnTheStandings()
{
    Book book = Book::open(path(u"book.sqlite"_qs).toStdString(), Book::Access::Write);
    // Two games on the first of each month for a year, the seats turning.
    const std::array<const char *, 4> names{"Аня", "Гоша", "Юля", "Саша"};
    for (int month = 1; month <= 12; ++month) {
        for (int game = 0; game < 2; ++game) {
            std::array<const char *, 4> seats{};
            for (std::size_t i = 0; i < 4; ++i) {
                seats[i] = names[(i + static_cast<std::size_t>(month + game)) % 4];
            }
            char date[40];
            std::snprintf(date, sizeof date, "2026-%02d-01T%02d:00:00+03:00", month, 18 + game);
            book.add(example1(seats), dateOf(date), "");
        }
    }
    for (const Filter &filter : {Filter{}, Filter{"2026-03-01", "2026-08-31", {}}}) {
        const auto standings = book.standings(filter);
        const auto lines = book.timeline(filter, 1000);
        QCOMPARE(lines.size(), standings.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            QCOMPARE(lines[i].name, standings[i].name);
            QCOMPARE(lines[i].points.back().hundredths, standings[i].hundredths);
            QCOMPARE(lines[i].points.size(), static_cast<std::size_t>(filter.from ? 6 : 12));
            QCOMPARE(lines[i].points.front().day, std::string(filter.from ? "2026-03-01" : "2026-01-01"));
        }
        // A day's two games are one step of the line.
        const auto &first = lines.front().points;
        std::int64_t twoGames = 0;
        for (const Record &record : book.records(Filter{first.front().day, first.front().day, {}}, 10)) {
            for (const RecordedPlayer &p : record.players) {
                twoGames += p.player == lines.front().name ? p.hundredths : 0;
            }
        }
        QCOMPARE(first.front().hundredths, twoGames);
    }
    // Thinned to five points, each still a true running total, the year's end among them.
    const auto full = book.timeline({}, 1000);
    const auto thin = book.timeline({}, 5);
    for (std::size_t i = 0; i < full.size(); ++i) {
        QCOMPARE(thin[i].points.size(), std::size_t{5});
        QCOMPARE(thin[i].points.back().day, std::string("2026-12-01"));
        for (const TimelinePoint &point : thin[i].points) {
            QVERIFY(std::ranges::any_of(full[i].points, [&](const TimelinePoint &p) {
                return p.day == point.day && p.hundredths == point.hundredths;
            }));
        }
    }
    // The runs are counted in calendar days, from year 1 to 9999.
    QCOMPARE(dayOfNumber(*dayNumber("2026-12-08") + 24), std::string("2027-01-01"));
    QCOMPARE(dayOfNumber(*dayNumber("2024-02-28") + 1), std::string("2024-02-29"));
    for (std::int64_t n = *dayNumber("0001-01-01"); n <= *dayNumber("9999-12-31"); n += 997) {
        QCOMPARE(*dayNumber(dayOfNumber(n)), n);
    }
    const auto hers = book.timeline(Filter{{}, {}, "юля"}, 1000);
    QCOMPARE(hers.size(), std::size_t{1});
    QCOMPARE(hers[0].name, std::string("Юля"));
}

void BookTest::dataVersion_changesWithAnotherWriter()
{
    const std::string file = path(u"book.sqlite"_qs).toStdString();
    Book window = Book::open(file, Book::Access::Write);
    Book other = Book::open(file, Book::Access::Write);
    const std::int64_t seen = window.dataVersion();
    window.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    QCOMPARE(window.dataVersion(), seen);
    other.setNote(1, "Пятница");
    QVERIFY(window.dataVersion() != seen);
    QCOMPARE(window.records({}, 1)[0].note, std::string("Пятница"));
}

QTEST_APPLESS_MAIN(BookTest)
#include "book_test.moc"
