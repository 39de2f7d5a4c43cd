#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

// Reads a workbook back with an independent reader (openpyxl, from Debian's
// python3-openpyxl, with the "_xHHHH_" escapes of the format undone): per sheet its name, its frozen cell, its
// autofilter range, and every row as [type, text, bold] per cell ("s" for a text cell, "n" a number, "f" a formula, "d"
// a date, null for an empty one).
inline QJsonArray ReadWorkbook(const QString &path)
{
    static const char *script = R"py(
import json, re, sys, openpyxl
# openpyxl leaves the "_xHHHH_" escapes of inline strings as they are; a spreadsheet
# reads them as the character HHHH.
def text(value):
    return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)
book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for ws in book.worksheets:
    rows = []
    for row in ws.iter_rows():
        rows.append([[c.data_type if c.value is not None else None,
                      None if c.value is None else text(c.value) if isinstance(c.value, str) else str(c.value),
                      bool(c.font and c.font.b)] for c in row])
    widths = {k: v.width for k, v in ws.column_dimensions.items() if v.width}
    sheets.append({"name": ws.title, "freeze": ws.freeze_panes, "filter": ws.auto_filter.ref,
                   "rows": rows, "widths": widths})
json.dump(sheets, sys.stdout)
)py";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    python.waitForFinished(300000);
    const QByteArray out = python.readAllStandardOutput();
    if (python.exitCode() != 0)
        qWarning("openpyxl: %s", python.readAllStandardError().constData());
    return QJsonDocument::fromJson(out).array();
}

// The texts of a sheet's rows, empty cells as empty texts, trailing empty cells dropped.
inline QList<QStringList> SheetTexts(const QJsonObject &sheet)
{
    QList<QStringList> rows;
    for (const QJsonValue &row : sheet.value(QStringLiteral("rows")).toArray()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells << cell.toArray().at(1).toString();
        while (!cells.isEmpty() && cells.constLast().isEmpty())
            cells.removeLast();
        rows << cells;
    }
    return rows;
}
