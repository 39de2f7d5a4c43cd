#include "engine/TExportRun.h"

#include "directory/LocaleFormats.h"
#include "directory/TNW4Object.h"
#include "directory/tNDS.h"
#include "engine/CollationOrder.h"
#include "engine/EConvertError.h"
#include "engine/EInvalidCondition.h"
#include "engine/Operators.h"
#include "engine/ShortName.h"
#include "engine/TExportObserver.h"

#include <QCollator>

#include <new>

namespace {

QString Reading(const QString &name)
{
    return QStringLiteral("Lecture de ") + name;
}

bool LooksLikeFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    switch (text.front().unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

} // namespace

TExportRun::TExportRun(tNDS &directory, const TExportJob &job, TExportObserver &observer)
    : directory_(directory), job_(job), observer_(observer), labels_(observer.ShowsLabels()),
      NamePrefix(LocaleFormats::UpperCase(QString(job.filter).remove(QLatin1Char('*'))))
{
}

void TExportRun::RunExport()
{
    observer_.SetCaption(QStringLiteral("Determination des membres de la classe %1").arg(job_.className));
    observer_.SetHitsCount(QString());
    observer_.SetObjectsScanned(QString());
    observer_.ClearResults();
    for (const QString &line : job_.sqlText) {
        if (!observer_.AddLine(line)) {
            WriteFailed = Cancelled = true;
            break;
        }
    }
    directory_.PumpEvents();

    Found.Clear();
    // The client may fetch with its listings what the run reads: each object's CN and
    // the properties of the rows.
    QStringList reads{QStringLiteral("CN")};
    for (const TExportJob::Row &row : job_.rows)
        reads.append(row.property);
    directory_.ExpectReads(reads, job_.recursive);
    // Cancel ends a wait for the server too.
    directory_.SetStopCheck([this] { return Cancelled; });
    // The run is over however it ends.
    struct RunReads {
        tNDS &directory;
        ~RunReads()
        {
            directory.SetStopCheck({});
            directory.ExpectReads({}, false);
        }
    } runReads{directory_};
    observer_.SetBusy(true);
    observer_.SetProgressPosition(0);
    observer_.SetProgressVisible(false);
    try {
        if (!Cancelled) {
            const int32_t failed = directory_.EnumObjects(
                job_.context, job_.recursive, 0,
                [this](const QString &container, const TNDSObj &entry, int32_t, bool &stop) {
                    CollectObject(container, entry, stop);
                },
                job_.className);
            if (failed != 0 || directory_.Lost())
                DirectoryFailed = Cancelled = true;
        }
        if (!Cancelled) {
            if (job_.sortbycn)
                SortFound();
            if (!Found.IsEmpty()) {
                observer_.SetProgressVisible(true);
                observer_.SetProgressMaximum(int(Found.Size()));
                observer_.SetObjectsScanned(QStringLiteral("%1 objets analysés").arg(Found.Size()));
                const int lines = ExportObjects();
                observer_.SetHitsCount(QStringLiteral("%1 lignes trouvées").arg(lines));
            } else {
                observer_.ShowInfo(QStringLiteral(" Aucun objet trouvé"));
            }
        }
    } catch (...) {
        Found.Clear();
        observer_.SetBusy(false);
        throw;
    }
    Found.Clear();
    observer_.SetBusy(false);
}

void TExportRun::CollectObject(const QString &container, const TNDSObj &entry, bool &stop)
{
    QString fullName;
    fullName.reserve(entry.EntryName.size() + 1 + container.size());
    fullName += entry.EntryName;
    fullName += QLatin1Char('.');
    fullName += container;
    {
        // Creating the object reads its names and CN, so an unreadable object is
        // reported while the names are collected.
        TNW4Object object(directory_, fullName);
        if (labels_)
            observer_.SetL1(Reading(object.ObjectName));
        if (NamePrefix.isEmpty() || LocaleFormats::UpperCase(fullName).startsWith(NamePrefix)) {
            Found.Append(fullName);
            if (labels_)
                observer_.SetL2(QString::number(Found.Size()) + QStringLiteral(" objet(s) trouvé(s)"));
        }
    }
    stop = Cancelled;
    directory_.PumpEvents();
}

// Sorted by full name in the locale's order without regard to case, which orders by
// the object's own name first; a name already present is kept once.
void TExportRun::SortFound()
{
    QCollator collator(LocaleFormats::Locale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    Found.Reorder(CollationOrder(collator, Found.Size(), [this](qsizetype i) { return Found.At(i); }));
}

int TExportRun::ExportObjects()
{
    const int count = int(Found.Size());
    observer_.SetCaption(QStringLiteral("Recherche et filtrage des propriétés..."));
    int lines = 0;
    observer_.SetProgressMaximum(count);
    observer_.SetProgressPosition(0);
    Cancelled = false;
    Line.clear();

    if (job_.fieldsonfirstline) {
        nextIsFirst_ = true;
        if (job_.addcontainer)
            AddField(QStringLiteral("Contexte"));
        for (const TExportJob::Row &row : job_.rows) {
            if (row.condition->disp)
                AddField(row.property);
        }
        EmitLine();
    }

    // The lower label names the property being read: the same texts for every object.
    QStringList readingProperty;
    for (const TExportJob::Row &row : job_.rows)
        readingProperty.append(Reading(row.property));

    int position = 0;
    for (int i = 0; i < count && !Cancelled; ++i) {
        const QString name = Found.At(i);
        if (name.isEmpty())
            continue;
        // Keeps the line's storage for the next one.
        Line.truncate(0);
        nextIsFirst_ = true;
        bool rejected = false;
        if (labels_)
            observer_.SetL1(Reading(name));
        observer_.SetProgressPosition(++position);
        directory_.PumpEvents();
        // A value the condition cannot take: only "n'existe pas" keeps the object.
        const auto notEvaluated = [this, &rejected](const tCondition &condition, const QString &valueText) {
            if (condition.op != opNExistePas)
                rejected = true;
            else if (condition.disp)
                AddField(valueText);
        };
        try {
            TNW4Object object(directory_, name);
            if (job_.addcontainer)
                AddField(RestOfName(object.ObjectName));
            for (size_t r = 0; r < job_.rows.size() && !Cancelled && !rejected; ++r) {
                const TExportJob::Row &row = job_.rows[r];
                const tCondition &condition = *row.condition;
                QString valueText;
                try {
                    if (labels_)
                        observer_.SetL2(readingProperty.at(qsizetype(r)));
                    directory_.PumpEvents();
                    if (const auto values = object.GetValues(row.property)) {
                        for (qsizetype v = 0; v < values->size(); ++v) {
                            if (v > 0)
                                valueText += job_.valueSeparator;
                            valueText += job_.cleancontext ? ShortName(values->at(v), condition.tn) : values->at(v);
                        }
                    }
                    if (!condition.Evaluate(valueText))
                        rejected = true;
                    else if (condition.disp)
                        AddField(valueText);
                } catch (const EInvalidCondition &) {
                    notEvaluated(condition, valueText);
                } catch (const EConvertError &) {
                    notEvaluated(condition, valueText);
                }
            }
        } catch (const std::bad_alloc &) {
            Line = QStringLiteral("erreur en lecture de %1").arg(name);
            rejected = false;
        }
        // The reads of a directory lost meanwhile failed: the line would lack their values.
        if (directory_.Lost()) {
            DirectoryFailed = Cancelled = true;
            break;
        }
        if (!rejected) {
            EmitLine();
            ++lines;
            if (labels_)
                observer_.SetHitsCount(QString::number(lines) + QStringLiteral(" lignes trouvées"));
        }
    }
    return lines;
}

void TExportRun::AddField(const QString &field)
{
    const QString &Delim = job_.delimiter;
    if (!nextIsFirst_)
        Line += job_.fieldSeparator;
    const QString text = job_.formulaGuard && LooksLikeFormula(field) ? QLatin1Char('\'') + field : field;
    if (Delim.isEmpty()) {
        Line += text;
    } else {
        // A delimiter inside an enclosed value is doubled, as spreadsheets read it back.
        Line += Delim;
        if (text.contains(Delim))
            Line += QString(text).replace(Delim, Delim + Delim);
        else
            Line += text;
        Line += Delim;
    }
    nextIsFirst_ = false;
}

void TExportRun::EmitLine()
{
    if (!observer_.AddLine(Line))
        WriteFailed = Cancelled = true;
    Line.truncate(0);
}
