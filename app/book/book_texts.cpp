// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/book_texts.h"

#include "book/dates.h"
#include "engine/payments.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace zelvara::app {

QString signedAmount(std::int64_t hundredths, char separator)
{
    const QString amount = QString::fromStdString(engine::amountText(hundredths, separator));
    return hundredths > 0 ? u'+' + amount : amount;
}

QString moneyAmount(std::int64_t hundredths, char separator)
{
    return QString::fromStdString(engine::moneyText(hundredths, separator));
}

QString shownDate(const std::string &date)
{
    QString text = QString::fromStdString(date);
    if (!book::readGameDate(date))
        return text;
    // The date and time as written, before the offset: "2026-12-08T21:40".
    const QDateTime written = QDateTime::fromString(text.left(16), u"yyyy-MM-ddTHH:mm"_s);
    return written.isValid() ? written.toString(u"dd.MM.yyyy HH:mm"_s) : text;
}

QDateTime momentOf(const std::string &date)
{
    const auto read = book::readGameDate(date);
    if (!read)
        return {};
    return QDateTime::fromSecsSinceEpoch(read->utc).toLocalTime();
}

std::optional<book::GameDate> gameDateOf(const QDateTime &moment)
{
    const QDateTime local = moment.toLocalTime();
    return book::readGameDate(local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString());
}

QString resultsLine(const book::Record &record, char separator)
{
    QStringList parts;
    for (const book::RecordedPlayer &player : record.players)
        parts << QString::fromStdString(player.name).trimmed() + u' ' + signedAmount(player.hundredths, separator);
    return parts.join(u"; "_s);
}

QString playersLine(const book::Record &record)
{
    QStringList names;
    for (const book::RecordedPlayer &player : record.players)
        names << QString::fromStdString(player.name).trimmed();
    return names.join(u", "_s);
}

QString plainToolTip(const QString &text)
{
    return text.isEmpty() ? text : u"<p style='white-space:pre-wrap'>"_s + text.toHtmlEscaped() + u"</p>"_s;
}

QString bookProblem(const book::BookError &error, const QString &path)
{
    using Kind = book::BookError::Kind;
    using Cause = book::BookError::Cause;
    const QString file = u"«"_s + path + u"»"_s;
    const QString leftAsIs = u" Файл оставлен как есть."_s;
    switch (error.kind()) {
    case Kind::Unusable:
        switch (error.cause()) {
        case Cause::NotSqlite:
            return u"Файл "_s + file + u" — не журнал Zelvara: это не база данных SQLite."_s + leftAsIs;
        case Cause::Damaged:
            return u"Журнал "_s + file + u" повреждён."_s + leftAsIs;
        case Cause::Newer:
            return u"Журнал "_s + file + u" записан более новой версией Zelvara."_s + leftAsIs;
        case Cause::ForeignLink:
            return u"Журнал "_s + file + u" нельзя использовать: это не обычный файл или ссылка, которая "_s +
                   u"принадлежит другому пользователю."_s;
        case Cause::Other:
            break;
        }
        return u"Журнал "_s + file + u" не удаётся открыть или создать."_s;
    case Kind::ReadOnly:
        return u"Журнал "_s + file + u" доступен только для чтения: изменить его нельзя."_s;
    case Kind::Full:
        return u"Диск заполнен: в журнал "_s + file + u" ничего не записано."_s;
    case Kind::Busy:
        return u"Журнал "_s + file + u" занят другой программой. Попробуйте ещё раз."_s;
    case Kind::NotRecordable:
        return u"Журнал "_s + file + u" не принял изменение: оно противоречит записанному."_s;
    case Kind::NoSuchPlayer:
        return u"В журнале "_s + file + u" больше нет этого игрока."_s;
    case Kind::NoSuchRecord:
        return u"Этой записи уже нет в журнале "_s + file + u": её удалила другая программа."_s;
    case Kind::Failed:
        break;
    }
    return u"Журнал "_s + file + u": ошибка базы данных ("_s + QString::fromStdString(error.what()) + u")."_s;
}

QString notRecordableReason(const book::NotRecordable &refusal)
{
    using Kind = book::NotRecordable::Kind;
    switch (refusal.kind) {
    case Kind::CheckFailed:
        return u"пуля не проходит проверку: "_s + QString::fromStdString(refusal.what);
    case Kind::NeedsAnswer:
        return u"пуля требует поправки, а ответа на её вопрос в файле нет"_s;
    case Kind::WrongAnswer:
        return u"ответ на вопрос поправки не подходит к этой пуле"_s;
    case Kind::TooLarge:
        return u"суммы слишком велики для журнала"_s;
    case Kind::UnnamedPlayer:
        return u"у одного из игроков нет имени, а журнал узнаёт игроков по именам"_s;
    case Kind::SamePlayerTwice:
        return u"у двух игроков одно имя"_s;
    }
    return QString::fromStdString(refusal.what);
}

} // namespace zelvara::app
