#include "ui/TAboutBox.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kVersion = QStringLiteral("Version 1.26 du 14/03/2000");
const QString kMakerLine = QStringLiteral("© 2026 L'équipe Veltrane");
const QString kLinkLine = QStringLiteral("L'équipe Veltrane propose d'autres outils pour les annuaires : "
                                         "importation en masse, contrôle des contextes et des droits.");

QLabel *NewLabel(QWidget *parent, const char *name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setModal(true);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);

    ProgramIcon = NewLabel(Panel1, "ProgramIcon");
    ProgramIcon->setFixedSize(65, 57);
    ProgramIcon->setScaledContents(true);
    ProductName = NewLabel(Panel1, "ProductName");
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    ProductName->setFont(bold);
    Version = NewLabel(Panel1, "Version");
    Copyright = NewLabel(Panel1, "Copyright");
    Copyright->setAlignment(Qt::AlignHCenter);
    Copyright->setMinimumWidth(265);
    Comments = NewLabel(Panel1, "Comments");
    Comments->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Comments->setWordWrap(true);
    Comments->setMinimumSize(265, 49);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    names->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(names, 1);
    auto *panel = new QVBoxLayout(Panel1);
    panel->addLayout(top);
    panel->addSpacing(8);
    panel->addWidget(Copyright);
    panel->addWidget(Comments, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Panel1, 1);
    layout->addLayout(buttons);

    FormActivate();
    setFixedSize(sizeHint().expandedTo(QSize(298, 213)));
}

bool TAboutBox::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void TAboutBox::FormActivate()
{
    const int side = ProgramIcon->width();
    ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(QSize(side, side)));
    ProductName->setText(QApplication::applicationName());
    setWindowTitle(QStringLiteral("A Propos de ") + QApplication::applicationName());
    Version->setText(kVersion);
    Copyright->setText(kMakerLine);
    Comments->setText(kLinkLine);
}
