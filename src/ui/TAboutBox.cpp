#include "ui/TAboutBox.h"
TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent) {}
bool TAboutBox::event(QEvent *e)
{
    return QDialog::event(e);
}
void TAboutBox::FormActivate() {}
