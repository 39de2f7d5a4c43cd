#include "connect/TDirectoryConnection.h"
#include "ui/TAboutBox.h"
#include "ui/TExportForm.h"
#include "ui/TForm1.h"
#include "ui/TQtPrompts.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/veltrane.png")));
    TQtPrompts prompts;
    // The three windows in their order: the main window, the about box, the export window.
    TForm1 form(prompts, TDirectorySource::FromClientConfig());
    TAboutBox aboutBox;
    TExportForm exportForm(prompts);
    form.SetDialogs(&aboutBox, &exportForm);
    form.show();
    return QApplication::exec();
}
