// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a window's captioned controls are announced by exactly what they show: every push and radio
// button, group box, label with text, menu and menu item. Returns one line per control that is not.

#include <QAbstractButton>
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QWidget>

namespace zelvara::testing {

// The caption as the screen shows it: "&Файл" is "Файл", "&&" a single "&".
inline QString shownCaption(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&')
            ++i;
        if (i < text.size())
            shown += text[i];
    }
    return shown;
}

inline QString announcedName(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface != nullptr ? iface->text(QAccessible::Name) : QString();
}

inline QStringList captionMismatches(QWidget *window)
{
    QStringList wrong;
    const auto check = [&wrong](const QString &what, const QString &announced, const QString &caption) {
        if (announced != shownCaption(caption))
            wrong << what + QStringLiteral(": announced \"") + announced + QStringLiteral("\", shows \"") +
                         shownCaption(caption) + u'"';
    };
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!button->text().isEmpty())
            check(button->objectName(), announcedName(button), button->text());
    }
    for (QGroupBox *group : window->findChildren<QGroupBox *>())
        check(group->objectName(), announcedName(group), group->title());
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            check(label->objectName(), announcedName(label), label->text());
    }
    QList<QWidget *> menus;
    for (QMenuBar *bar : window->findChildren<QMenuBar *>())
        menus << bar;
    for (QMenu *menu : window->findChildren<QMenu *>())
        menus << menu;
    for (QWidget *menu : menus) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(menu);
        const QList<QAction *> actions = menu->actions();
        for (int i = 0; iface != nullptr && i < iface->childCount() && i < actions.size(); ++i) {
            if (!actions[i]->isSeparator())
                check(actions[i]->text() + QStringLiteral(" in ") + menu->objectName(),
                      iface->child(i)->text(QAccessible::Name), actions[i]->text());
        }
    }
    return wrong;
}

} // namespace zelvara::testing
