#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class TSearchOptions;

// The find dialog: a find text, match case and whole word, the direction fixed downward.
// Modeless: it stays open beside the window and asks for each search with Find.
class TFindDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TFindDialog(QWidget *parent = nullptr);

    QString FindText() const;

    QLineEdit *FindEdit = nullptr;
    TSearchOptions *Options = nullptr;
    QPushButton *FindNextBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

signals:
    // The user asked for the next occurrence.
    void Find();
};
