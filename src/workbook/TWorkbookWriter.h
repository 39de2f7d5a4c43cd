#pragma once

#include "engine/TExportJob.h"
#include "workbook/TFieldSplitter.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;
class QTemporaryFile;

// How the result lines are laid out: the separator and delimiter they were written
// with, how many SQL text lines come first, and whether the field names follow them.
struct TWorkbookLayout {
    QString fieldSeparator = QStringLiteral("\t");
    QString delimiter;
    int sqlLines = 0;
    bool fieldNames = false;
};

// The layout of the lines an export run of job writes.
inline TWorkbookLayout WorkbookLayoutOf(const TExportJob &job)
{
    return {job.fieldSeparator, job.delimiter, int(job.sqlText.size()), job.fieldsonfirstline};
}

// Writes result lines as a workbook (.xlsx): one row per line, one text cell per field,
// exactly the field's text (never a number, a date or a formula made of it). The SQL
// text lines are rows of one cell; the field names a bold, frozen header row with an
// autofilter. A sheet that is full goes on in a new one, the header row repeated.
// Written in constant memory, to a temporary file renamed over the path on Commit:
// the whole workbook or nothing.
class TWorkbookWriter
{
public:
    // The rows a sheet holds (the most a spreadsheet can show).
    static constexpr int kSheetRows = 1048576;
    // The characters a cell holds.
    static constexpr int kCellCharacters = 32767;

    TWorkbookWriter(const QString &path, const TWorkbookLayout &layout, int sheetRows = kSheetRows);
    ~TWorkbookWriter();
    TWorkbookWriter(const TWorkbookWriter &) = delete;
    TWorkbookWriter &operator=(const TWorkbookWriter &) = delete;

    // Creates the temporary file beside the path; false with Error() set when it cannot.
    bool Open();
    // Adds the next result line; false once the workbook cannot be written (a field too
    // long for a cell, a write that failed), with Error() naming the cause.
    bool AddLine(const QString &line);
    // Ends the workbook and puts it at the path; false with Error() set on failure, the
    // file at the path then left as it was.
    bool Commit();
    // Drops the workbook: the file at the path is left as it was.
    void Discard();

    const QString &Error() const { return error_; }
    // The temporary file beside the path while the workbook is open; empty otherwise.
    QString TemporaryPath() const;

private:
    bool AddRecord(const QStringList &fields);
    // Writes a row of cells; fit: their texts widen the columns.
    bool WriteRow(const QStringList &cells, lxw_format *format, bool fit = true);
    bool NewSheet();
    void EndSheet();
    bool Fail(const QString &message);
    bool Check(int error);

    QString path_;
    TWorkbookLayout layout_;
    int sheetRows_;
    TFieldSplitter splitter_;
    std::unique_ptr<QTemporaryFile> temporary_;
    lxw_workbook *workbook_ = nullptr;
    lxw_worksheet *sheet_ = nullptr;
    lxw_format *bold_ = nullptr;
    int sheets_ = 0;
    // The next row of the sheet, the row of its header (-1: none) and the widest text
    // of each of its columns.
    int row_ = 0;
    int headerRow_ = -1;
    int lastColumn_ = 0;
    std::vector<int> widths_;
    QStringList header_;
    // Lines taken so far, and the line the record being read started on.
    qint64 lines_ = 0;
    qint64 recordLine_ = 0;
    // An enclosed field of the record goes on in the next line.
    bool splitterOpen_ = false;
    bool failed_ = false;
    QString error_;
};

// Writes every line, then commits: the error message, empty when the workbook is
// written.
QString WriteWorkbook(const QString &path, const QStringList &lines, const TWorkbookLayout &layout,
                      int sheetRows = TWorkbookWriter::kSheetRows);
