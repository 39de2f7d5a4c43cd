#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class TSearchOptions;

// The replace dialog: a find text and a replace text; match case, whole word and the
// direction are shown but cannot be changed, since a replacement always looks for the
// exact text from the beginning. Modeless; its find-next button does nothing, only
// Replace and Replace all ask for work.
class TReplaceDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TReplaceDialog(QWidget *parent = nullptr);

    QString FindText() const;
    QString ReplaceText() const;

    QLineEdit *FindEdit = nullptr;
    QLineEdit *ReplaceEdit = nullptr;
    TSearchOptions *Options = nullptr;
    QPushButton *FindNextBtn = nullptr;
    QPushButton *ReplaceBtn = nullptr;
    QPushButton *ReplaceAllBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

signals:
    // Replace (all false) or Replace all (all true) was pressed.
    void Replace(bool all);
};
