#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QRadioButton;

// The search choices that the find and replace dialogs share: match case, whole word and
// the direction, which is always downward and cannot be changed.
class TSearchOptions : public QWidget
{
    Q_OBJECT

public:
    // caseAndWord: whether the match-case and whole-word choices can be changed.
    TSearchOptions(bool caseAndWord, QWidget *parent = nullptr);

    bool MatchCase() const;
    bool WholeWord() const;

    QCheckBox *MatchCaseCBX = nullptr;
    QCheckBox *WholeWordCBX = nullptr;
    QGroupBox *DirectionGroup = nullptr;
    QRadioButton *UpRBN = nullptr;
    QRadioButton *DownRBN = nullptr;
};
