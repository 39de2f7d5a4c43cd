// Walks the wizard on the embedded demo directory and writes a picture of each page and
// of the about box into the folder given as the argument (the documentation's
// screenshots). Run it under a display: scripts/screenshots.sh.
#include "connect/TDirectoryConnection.h"
#include "ui/TAboutBox.h"
#include "ui/TChoiceComboBox.h"
#include "ui/TConditionGrid.h"
#include "ui/TExportForm.h"
#include "ui/TForm1.h"
#include "ui/TPropertyList.h"
#include "ui/TQtPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextStream>
#include <QTimer>

#include <cstdlib>

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

bool Save(QWidget &widget, const QString &folder, const QString &name)
{
    Settle();
    const QString path = QDir(folder).filePath(name);
    if (!widget.grab().save(path)) {
        QTextStream(stderr) << "cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << "\n";
    return true;
}

// The widget of the window with that object name.
template <class T> T *Widget(const QObject &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    if (!widget) {
        QTextStream(stderr) << "no widget " << name << "\n";
        std::exit(1);
    }
    return widget;
}

void Choose(QListWidget *list, const QStringList &texts)
{
    list->clearSelection();
    for (const QString &text : texts) {
        for (QListWidgetItem *item : list->findItems(text, Qt::MatchFixedString))
            item->setSelected(true);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/veltrane.png")));
    if (argc < 2) {
        QTextStream(stderr) << "usage: take_screenshots FOLDER\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    TQtPrompts prompts;
    TForm1 form(prompts, TDirectorySource{});
    TAboutBox aboutBox;
    TExportForm exportForm(prompts);
    exportForm.SetStartDelay(0);
    form.SetDialogs(&aboutBox, &exportForm);
    form.show();
    bool ok = Save(form, folder, QStringLiteral("page0-context-class.png"));

    form.NextBtnClick();
    Choose(Widget<QListWidget>(form, "PropertiesListBox1"),
           {QStringLiteral("CN"), QStringLiteral("Surname"), QStringLiteral("Given Name"),
            QStringLiteral("Telephone Number")});
    form.IncludeBtnClick();
    // Include adds several entries in reverse order: put them back in reading order.
    Widget<QListWidget>(form, "PropertiesListBox2")->clear();
    Widget<QListWidget>(form, "PropertiesListBox2")
        ->addItems({QStringLiteral("CN"), QStringLiteral("Surname"), QStringLiteral("Given Name"),
                    QStringLiteral("Telephone Number")});
    form.EnterPropertiesPage();
    ok = Save(form, folder, QStringLiteral("page1-properties.png")) && ok;

    form.NextBtnClick();
    form.StringGrid1SelectCell(1, 4);
    Widget<QComboBox>(form, "OperationsComboBox")->setCurrentIndex(1); // "existe"
    form.OperationsComboBoxChange();
    form.StringGrid1SelectCell(1, 1);
    ok = Save(form, folder, QStringLiteral("page2-conditions.png")) && ok;

    form.NextBtnClick();
    Widget<QCheckBox>(form, "RecursiveCBX")->setChecked(true);
    ok = Save(form, folder, QStringLiteral("page3-options.png")) && ok;

    QTimer::singleShot(0, &exportForm, [&] { Save(exportForm, folder, QStringLiteral("progress.png")); });
    form.FinishBtnClick();
    ok = Save(form, folder, QStringLiteral("page4-results.png")) && ok;

    QTimer::singleShot(200, &aboutBox, [&] {
        Save(aboutBox, folder, QStringLiteral("about.png"));
        aboutBox.accept();
    });
    form.Apropos1Click();
    return ok ? 0 : 1;
}
