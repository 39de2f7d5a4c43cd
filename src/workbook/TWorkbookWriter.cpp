#include "workbook/TWorkbookWriter.h"

#include "workbook/ZipPartsCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Column widths fitted to the texts, within bounds that keep a sheet readable.
constexpr int kNarrowest = 8;
constexpr int kWidest = 60;

// Characters as a spreadsheet counts them (a pair of surrogates is one).
qsizetype CharacterCount(const QString &text)
{
    qsizetype count = text.size();
    for (const QChar c : text) {
        if (c.isLowSurrogate())
            --count;
    }
    return count;
}

// A cell's text as the workbook stores it. Readers take "_xHHHH_" for the character
// HHHH (the library writes control characters so), so an underscore that starts such
// a text of the field's own is itself written "_x005F_".
QByteArray CellBytes(const QString &text)
{
    if (!text.contains(QStringLiteral("_x")))
        return text.toUtf8();
    static const QRegularExpression escapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    return QString(text).replace(escapeLike, QStringLiteral("_x005F_")).toUtf8();
}

} // namespace

TWorkbookWriter::TWorkbookWriter(const QString &path, const TWorkbookLayout &layout, int sheetRows)
    : path_(path), layout_(layout), sheetRows_(std::clamp(sheetRows, 2, kSheetRows)),
      splitter_(layout.fieldSeparator, layout.delimiter)
{
}

TWorkbookWriter::~TWorkbookWriter()
{
    Discard();
}

bool TWorkbookWriter::Fail(const QString &message)
{
    if (!failed_) {
        failed_ = true;
        error_ = message;
    }
    return false;
}

bool TWorkbookWriter::Check(int error)
{
    if (error == LXW_NO_ERROR)
        return true;
    return Fail(
        QStringLiteral("Ne peut écrire dans %1: %2").arg(path_, QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

bool TWorkbookWriter::Open()
{
    const QFileInfo target(path_);
    temporary_ = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                                                  QStringLiteral(".XXXXXX"));
    if (!temporary_->open()) {
        const QString reason = temporary_->errorString();
        temporary_.reset();
        return Fail(QStringLiteral("Ne peut écrire dans %1: %2").arg(path_, reason));
    }
    temporary_->close();
    const QByteArray name = QFile::encodeName(temporary_->fileName());
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(folder.constData());
    options.use_zip64 = LXW_TRUE;
    workbook_ = workbook_new_opt(name.constData(), &options);
    if (!workbook_)
        return Fail(QStringLiteral("Ne peut écrire dans %1").arg(path_));
    bold_ = workbook_add_format(workbook_);
    format_set_bold(bold_);
    return NewSheet();
}

bool TWorkbookWriter::NewSheet()
{
    ++sheets_;
    const QByteArray name =
        (sheets_ == 1 ? QStringLiteral("Résultats") : QStringLiteral("Résultats (%1)").arg(sheets_)).toUtf8();
    sheet_ = workbook_add_worksheet(workbook_, name.constData());
    if (!sheet_)
        return Fail(QStringLiteral("Ne peut écrire dans %1").arg(path_));
    row_ = 0;
    headerRow_ = -1;
    lastColumn_ = 0;
    widths_.clear();
    if (header_.isEmpty())
        return true;
    headerRow_ = 0;
    return WriteRow(header_, bold_);
}

void TWorkbookWriter::EndSheet()
{
    for (size_t column = 0; column < widths_.size(); ++column) {
        const double width = std::clamp(widths_[column] + 2, kNarrowest, kWidest);
        worksheet_set_column(sheet_, lxw_col_t(column), lxw_col_t(column), width, nullptr);
    }
    if (headerRow_ >= 0) {
        worksheet_freeze_panes(sheet_, lxw_row_t(headerRow_ + 1), 0);
        worksheet_autofilter(sheet_, lxw_row_t(headerRow_), 0, lxw_row_t(std::max(row_ - 1, headerRow_)),
                             lxw_col_t(std::max(lastColumn_, 0)));
    }
}

bool TWorkbookWriter::WriteRow(const QStringList &cells, lxw_format *format, bool fit)
{
    if (cells.size() > 16384)
        return Fail(QStringLiteral("La ligne %1 a %2 champs, plus que les 16 384 colonnes d'une feuille de classeur; "
                                   "enregistrez les résultats en texte.")
                        .arg(recordLine_)
                        .arg(cells.size()));
    for (qsizetype column = 0; column < cells.size(); ++column) {
        const QString &text = cells.at(column);
        if (text.isEmpty())
            continue;
        const qsizetype length = CharacterCount(text);
        if (length > kCellCharacters)
            return Fail(QStringLiteral("Le champ de la ligne %1, colonne %2 a %3 caractères, plus que les 32 767 "
                                       "d'une cellule de classeur; enregistrez les résultats en texte.")
                            .arg(recordLine_)
                            .arg(column + 1)
                            .arg(length));
        if (fit) {
            if (size_t(column) >= widths_.size())
                widths_.resize(size_t(column) + 1, 0);
            widths_[size_t(column)] = std::max(widths_[size_t(column)], int(std::min<qsizetype>(length, kWidest)));
            lastColumn_ = std::max(lastColumn_, int(column));
        }
        const QByteArray bytes = CellBytes(text);
        if (!Check(worksheet_write_string(sheet_, lxw_row_t(row_), lxw_col_t(column), bytes.constData(), format)))
            return false;
    }
    ++row_;
    return true;
}

bool TWorkbookWriter::AddRecord(const QStringList &fields)
{
    const bool isHeader = layout_.fieldNames && recordLine_ == qint64(layout_.sqlLines) + 1;
    if (row_ >= sheetRows_) {
        EndSheet();
        if (!NewSheet())
            return false;
    }
    if (isHeader) {
        header_ = fields;
        headerRow_ = row_;
        return WriteRow(fields, bold_);
    }
    return WriteRow(fields, nullptr);
}

bool TWorkbookWriter::AddLine(const QString &line)
{
    if (failed_ || !workbook_)
        return false;
    ++lines_;
    if (lines_ <= layout_.sqlLines) {
        recordLine_ = lines_;
        if (row_ >= sheetRows_) {
            EndSheet();
            if (!NewSheet())
                return false;
        }
        // A line of SQL text spans the row: it leaves the widths to the fields.
        return WriteRow(QStringList{line}, nullptr, false);
    }
    QStringList fields;
    if (!splitterOpen_)
        recordLine_ = lines_;
    splitterOpen_ = !splitter_.Feed(line, fields);
    return splitterOpen_ || AddRecord(fields);
}

bool TWorkbookWriter::Commit()
{
    if (!failed_ && workbook_) {
        QStringList fields;
        if (splitter_.Finish(fields))
            AddRecord(fields);
    }
    if (failed_ || !workbook_) {
        Discard();
        return false;
    }
    EndSheet();
    const lxw_error closed = workbook_close(workbook_);
    workbook_ = nullptr;
    if (!Check(closed)) {
        Discard();
        return false;
    }
    if (!ZipPartsAreWhole(temporary_->fileName())) {
        Fail(QStringLiteral("Ne peut écrire dans %1").arg(path_));
        Discard();
        return false;
    }
    // The new file takes the permissions a newly created file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QByteArray from = QFile::encodeName(temporary_->fileName());
    const QByteArray to = QFile::encodeName(path_);
    if (::chmod(from.constData(), 0666 & ~mask) != 0 || std::rename(from.constData(), to.constData()) != 0) {
        Fail(QStringLiteral("Ne peut écrire dans %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
        Discard();
        return false;
    }
    temporary_->setAutoRemove(false);
    temporary_.reset();
    return true;
}

QString TWorkbookWriter::TemporaryPath() const
{
    return temporary_ ? temporary_->fileName() : QString();
}

void TWorkbookWriter::Discard()
{
    if (workbook_) {
        // Closing is the only way to free the workbook; what it writes is removed.
        workbook_close(workbook_);
        workbook_ = nullptr;
    }
    temporary_.reset();
}

QString WriteWorkbook(const QString &path, const QStringList &lines, const TWorkbookLayout &layout, int sheetRows)
{
    TWorkbookWriter writer(path, layout, sheetRows);
    if (!writer.Open())
        return writer.Error();
    for (const QString &line : lines) {
        if (!writer.AddLine(line))
            return writer.Error();
    }
    return writer.Commit() ? QString() : writer.Error();
}
