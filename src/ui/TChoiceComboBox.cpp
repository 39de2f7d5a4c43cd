#include "ui/TChoiceComboBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

TChoiceComboBox::TChoiceComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int index) { chosen_ = index; });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { chosen_ = -1; });
}

void TChoiceComboBox::Choose(int index)
{
    chosen_ = index >= 0 && index < count() ? index : -1;
    setCurrentIndex(chosen_);
    setEditText(chosen_ >= 0 ? itemText(chosen_) : QString());
}

void TChoiceComboBox::ResetTextFromChoice()
{
    const QSignalBlocker blocker(this);
    setEditText(chosen_ >= 0 ? itemText(chosen_) : QString());
}
