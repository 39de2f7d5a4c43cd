#include "ui/TForm1.h"

#include "ui/ResultLines.h"
#include "ui/TBusyCursor.h"
#include "ui/TPlainTextPrinter.h"
#include "ui/TPrompts.h"

#include <QPlainTextEdit>
#include <QPrinter>

QPrinter &TForm1::Printer()
{
    if (!printer_)
        printer_ = {new QPrinter(QPrinter::HighResolution), [](QPrinter *printer) { delete printer; }};
    return *printer_;
}

void TForm1::Configurationdelimpression1Click()
{
    prompts_.PrinterSetup(this, Printer());
}

void TForm1::Imprimerlesrsultats1Click()
{
    if (prompts_.Print(this, Printer()))
        PrintLines(ResultLines(*Memo1));
}

void TForm1::PrintLines(const QStringList &lines)
{
    bool printed = false;
    {
        const TBusyCursor busy;
        printed = TPlainTextPrinter(Printer()).Print(lines);
    }
    if (!printed)
        ShowError(QStringLiteral(" Erreur à l'impression."));
}
