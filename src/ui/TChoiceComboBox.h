#pragma once

#include <QComboBox>

// An editable combo box that knows whether one of its items is chosen: picking an item
// chooses it, typing a text leaves none chosen. The text can be reset from the choice.
class TChoiceComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TChoiceComboBox(QWidget *parent = nullptr);

    // The index of the chosen item, -1 when none is.
    int ChosenIndex() const { return chosen_; }
    // Chooses item index (-1: none) and shows its text (an empty text for none).
    void Choose(int index);
    // Shows the chosen item's text again, or an empty text when none is chosen, without
    // signalling a change.
    void ResetTextFromChoice();

private:
    int chosen_ = -1;
};
