// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_settings_file.h"

#include "app/main_window.h"
#include "platform/desktop.h"
#include "platform/ini_file.h"
#include "settings/cp1251.h"
#include "settings/settings.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

QString whistValueField(std::size_t sheet)
{
    return QString::fromStdString(engine::fieldName({engine::FieldKind::WhistValue}, SheetOrder.at(sheet)));
}

QString nameField(std::size_t i)
{
    const Seat seat = NameSeats.at(i);
    return QString::fromStdString(engine::fieldName({engine::FieldKind::Name, seat.player}, seat.players));
}

} // namespace

void WindowSettingsFile::read(TZelvara &window)
{
    // Read from where the file will be written: the program folder, or the user's configuration folder.
    m_path = m_desktop.settingsFilePath();
    if (m_path.isEmpty())
        return;
    const char separator = m_desktop.decimalSeparator();
    platform::IniDocument file;
    platform::loadIniFile(file, m_path, decodeSettingsText);
    const StoredSettings stored =
        readSettings([&file](std::string_view key) { return file.value(SettingsSection, key); }, separator);
    const QFont nameFont = window.nameFont();
    const SettingsToApply apply =
        applySettings(stored, separator, window.nameFieldInnerWidth(), [this, &nameFont](const std::string &name) {
            return m_desktop.textWidth(QString::fromStdString(name), nameFont);
        });

    // Game type, then player count (its switch may move the division), then the division.
    const engine::GameType gameType = apply.gameType.value_or(window.options().gameType);
    window.setOptions(gameType, window.options().heapDivision);
    if (apply.players)
        window.selectPlayers(*apply.players);
    window.setOptions(gameType, apply.heapDivision.value_or(window.options().heapDivision));

    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet) {
        if (const auto &text = apply.whistValueTexts[sheet])
            window.setFieldText(whistValueField(sheet), QString::fromStdString(*text));
    }
    for (std::size_t i = 0; i < NameCount; ++i)
        window.setFieldText(nameField(i), QString::fromStdString(apply.names[i]));
}

void WindowSettingsFile::write(const TZelvara &window)
{
    if (m_path.isEmpty())
        return;
    const char separator = m_desktop.decimalSeparator();
    WindowSettings settings;
    settings.players = window.selectedPlayers();
    settings.options = window.options();
    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet)
        settings.whistValueTexts[sheet] = window.fieldText(whistValueField(sheet)).toStdString();
    for (std::size_t i = 0; i < NameCount; ++i)
        settings.names[i] = window.fieldText(nameField(i)).toStdString();
    const auto entries = settingsEntries(collectSettings(settings, separator), separator);
    // The main window is closed by now: the box stands on its own.
    if (!platform::updateIniFile(m_path, SettingsSection, entries, decodeSettingsText))
        m_desktop.showError(nullptr, u"Unable to write to "_s + QDir::toNativeSeparators(m_path) + u'.');
}

} // namespace zelvara::app
