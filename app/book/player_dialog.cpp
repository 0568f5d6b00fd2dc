// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/player_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zelvara::app {

PlayerDialog::PlayerDialog(const QString &caption, const QString &question, QWidget *field, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    auto *label = new QLabel(question, this);
    label->setObjectName(u"Question"_s);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setBuddy(field);
    field->setParent(this);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *accept = buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole);
    accept->setObjectName(u"Accept"_s);
    accept->setDefault(true);
    QPushButton *cancel = buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"Cancel"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
}

PlayerDialog *PlayerDialog::forRename(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit;
    field->setObjectName(u"NewName"_s);
    field->setMaxLength(std::max<int>(200, static_cast<int>(name.size())));
    field->setText(name);
    field->selectAll();
    field->setMinimumWidth(280);
    auto *dialog = new PlayerDialog(
        u"Переименовать игрока"_s,
        u"Новое имя игрока «"_s + name + u"» (записи сохранят имена, как они были вписаны):"_s, field, parent);
    dialog->setObjectName(u"RenamePlayerDialog"_s);
    dialog->m_name = field;
    return dialog;
}

PlayerDialog *PlayerDialog::forMerge(const QString &name, const QStringList &others, QWidget *parent)
{
    auto *field = new QComboBox;
    field->setObjectName(u"OtherPlayer"_s);
    field->addItems(others);
    auto *dialog = new PlayerDialog(u"Объединить игроков"_s,
                                    u"Кто из игроков — тот же человек, что «"_s + name +
                                        u"»? Его игры будут засчитаны игроку «"_s + name + u"»."_s,
                                    field, parent);
    dialog->setObjectName(u"MergePlayersDialog"_s);
    dialog->m_others = field;
    return dialog;
}

PlayerDialog::~PlayerDialog() = default;

QString PlayerDialog::value() const
{
    return m_name ? m_name->text() : m_others->currentText();
}

} // namespace zelvara::app
