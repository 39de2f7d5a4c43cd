#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QFrame;

// The about box: the program's icon, name and version, a maker line and a link line.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *ProgramIcon = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Version = nullptr;
    QLabel *Copyright = nullptr;
    QLabel *Comments = nullptr;
    QPushButton *OKButton = nullptr;

protected:
    // Each time the dialog becomes the active window its texts are set again.
    bool event(QEvent *event) override;

private:
    void FormActivate();
};
