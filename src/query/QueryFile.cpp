#include "query/QueryFile.h"

#include "engine/Operators.h"
#include "engine/ShownName.h"
#include "query/ImportControlFile.h"
#include "query/QueryLayout.h"
#include "query/ResultsEncoding.h"
#include "query/SqlText.h"
#include "query/TProfileFile.h"
#include "query/TQuerySchema.h"
#include "query/TextDecoding.h"
#include "query/WholeFile.h"

#include <QFile>

#include <algorithm>

namespace {

const QString Options = QStringLiteral("options");
const QString PropertiesSection = QStringLiteral("Properties");

// Far more properties than any class holds; a file asking for more is refused rather
// than read index by index.
constexpr qint64 MaxStoredProperties = 100000;

// Twice a file of that many properties with their condition sections; held in memory,
// a larger file would take gigabytes.
constexpr qint64 MaxQueryFileBytes = 16 * 1024 * 1024;

QString FilterSection(int index)
{
    return QStringLiteral("Filter") + QString::number(index);
}

TQueryFileLoad Failure(TQueryStatus::Kind kind, const QString &message)
{
    TQueryFileLoad failed;
    failed.status = TQueryStatus::Error(kind, message);
    return failed;
}

// Codes outside the operator table and kinds outside tDataType cannot be shown or
// checked; they are read as "aucune" and as an unknown kind.
uint8_t StoredOperator(int op)
{
    return op >= 0 && op < OperatorCount ? static_cast<uint8_t>(op) : uint8_t(opAucune);
}

tDataType StoredKind(int tip)
{
    return tip >= dtUnknown && tip <= dtDate ? static_cast<tDataType>(tip) : dtUnknown;
}

} // namespace

TQueryFileLoad ReadQueryProfile(const TProfileFile &profile, const TQueryDefinition &current, TQuerySchema &schema)
{
    TQueryFileLoad loaded;
    TQueryDefinition &query = loaded.query;

    const QString className = profile.ReadString(Options, QStringLiteral("class"), QString());
    if (className.isEmpty()) {
        query.className = current.className;
    } else {
        query.className = schema.FindClass(className);
        if (query.className.isEmpty())
            return Failure(TQueryStatus::ClassNotInSchema,
                           QStringLiteral("La classe %1 n'est pas dans votre shéma").arg(ShownName(className)));
        loaded.classRead = true;
    }

    // A text that is none of the items is kept as read: it chooses no item.
    const auto readChoice = [&](const QString &key, const QStringList &items) {
        return QueryLayout::ItemText(items, profile.ReadString(Options, key, items.front()));
    };
    query.separator = readChoice(QStringLiteral("separator"), QueryLayout::SeparatorItems());
    query.valseparator = readChoice(QStringLiteral("valseparator"), QueryLayout::ValSeparatorItems());
    query.delimiter = readChoice(QStringLiteral("delimiter"), QueryLayout::DelimiterItems());
    query.filter = profile.ReadString(Options, QStringLiteral("filter"), QStringLiteral("*"));
    query.context = profile.ReadString(Options, QStringLiteral("context"), current.context);

    const auto readFlag = [&](const char *key, bool def) { return profile.ReadBool(Options, QLatin1String(key), def); };
    query.fieldsonfirstline = readFlag("fieldsonfirstline", current.fieldsonfirstline);
    query.usedelimiter = readFlag("usedelimiter", current.usedelimiter);
    query.recursive = readFlag("recursive", current.recursive);
    query.sortbycn = readFlag("sortbycn", current.sortbycn);
    query.cleancontext = readFlag("cleancontext", current.cleancontext);
    query.addcontainer = readFlag("addcontainer", current.addcontainer);
    query.sqltop = readFlag("sqltop", current.sqltop);
    query.encoding = ResultsEncoding::NameOf(
        ResultsEncoding::FromName(profile.ReadString(Options, QStringLiteral("encoding"), current.encoding)));
    query.formulaguard = readFlag("formulaguard", current.formulaguard);

    // Keys past the last one present would all read empty and be skipped.
    const qint64 propertyCount = std::min<qint64>(profile.ReadInteger(Options, QStringLiteral("nbproperties"), -1),
                                                  qint64(profile.LastIndexKey(PropertiesSection)) + 1);
    if (propertyCount > MaxStoredProperties)
        return Failure(TQueryStatus::FileError,
                       QStringLiteral("Nombre de propriétés hors limites (%1)").arg(propertyCount));
    for (qint64 i = 0; i < propertyCount; ++i) {
        const QString name = profile.ReadString(PropertiesSection, QString::number(i), QString());
        if (!name.isEmpty())
            query.Properties << name;
    }

    const int filterCount = profile.ReadInteger(Options, QStringLiteral("nbfilters"), -1);
    for (int i = 0; i < filterCount; ++i) {
        if (i >= query.Properties.size())
            return Failure(TQueryStatus::ConditionWithoutProperty,
                           QStringLiteral("Index de liste hors limites (%1)").arg(i));
        const QString section = FilterSection(i);
        query.Filters.Add(query.Properties.at(i),
                          tCondition(StoredOperator(profile.ReadInteger(section, QStringLiteral("op"), 0)),
                                     StoredKind(profile.ReadInteger(section, QStringLiteral("tip"), 1)),
                                     profile.ReadString(section, QStringLiteral("v1"), QString()),
                                     profile.ReadString(section, QStringLiteral("v2"), QString()),
                                     profile.ReadString(section, QStringLiteral("tn"), QString()),
                                     profile.ReadBool(section, QStringLiteral("disp"), true)));
    }
    return loaded;
}

TQueryFileLoad LoadQueryFile(const QString &path, const TQueryDefinition &current, TQuerySchema &schema)
{
    bool tooLarge = false;
    const std::optional<QByteArray> bytes = WholeFile::Read(path, MaxQueryFileBytes, &tooLarge);
    if (!bytes)
        return Failure(TQueryStatus::FileError,
                       tooLarge ? QStringLiteral("Ne peut lire %1 : le fichier dépasse 16 Mo").arg(path)
                                : QStringLiteral("Ne peut lire %1").arg(path));
    TQueryFileLoad loaded =
        ReadQueryProfile(TProfileFile::FromText(TextDecoding::DecodeFileText(*bytes)), current, schema);
    // The file's contents are refused: the message names the file.
    if (loaded.status.kind == TQueryStatus::FileError)
        loaded.status.message += QStringLiteral(" dans ") + path;
    return loaded;
}

void WriteQueryProfile(TProfileFile &profile, const TQueryDefinition &query)
{
    profile.WriteString(Options, QStringLiteral("class"), query.className);
    profile.WriteString(Options, QStringLiteral("separator"), query.separator);
    profile.WriteString(Options, QStringLiteral("valseparator"), query.valseparator);
    profile.WriteString(Options, QStringLiteral("delimiter"), query.delimiter);
    profile.WriteString(Options, QStringLiteral("filter"), query.filter);
    profile.WriteString(Options, QStringLiteral("context"), query.context);
    profile.WriteBool(Options, QStringLiteral("fieldsonfirstline"), query.fieldsonfirstline);
    profile.WriteBool(Options, QStringLiteral("usedelimiter"), query.usedelimiter);
    profile.WriteBool(Options, QStringLiteral("recursive"), query.recursive);
    profile.WriteBool(Options, QStringLiteral("sortbycn"), query.sortbycn);
    profile.WriteBool(Options, QStringLiteral("cleancontext"), query.cleancontext);
    profile.WriteBool(Options, QStringLiteral("addcontainer"), query.addcontainer);
    profile.WriteBool(Options, QStringLiteral("sqltop"), query.sqltop);
    profile.WriteString(Options, QStringLiteral("encoding"), query.encoding);
    profile.WriteBool(Options, QStringLiteral("formulaguard"), query.formulaguard);
    profile.WriteInteger(Options, QStringLiteral("nbproperties"), static_cast<int>(query.Properties.size()));
    profile.WriteInteger(Options, QStringLiteral("nbfilters"), query.Filters.Count());

    profile.EraseSection(PropertiesSection);
    for (int i = 0; i < query.Properties.size(); ++i)
        profile.WriteString(PropertiesSection, QString::number(i), query.Properties.at(i));

    profile.EraseSection(QStringLiteral("Filters"));
    for (int i = 0; i < query.Filters.Count(); ++i) {
        const tCondition &row = query.Filters.Condition(i);
        const QString section = FilterSection(i);
        profile.WriteInteger(section, QStringLiteral("op"), row.op);
        profile.WriteInteger(section, QStringLiteral("tip"), row.tip);
        profile.WriteString(section, QStringLiteral("v1"), row.v1);
        profile.WriteString(section, QStringLiteral("v2"), row.v2);
        profile.WriteString(section, QStringLiteral("tn"), row.tn);
        profile.WriteBool(section, QStringLiteral("disp"), row.disp);
    }
}

TQueryFileSave SaveQueryFile(const QString &path, const TQueryDefinition &query)
{
    TQueryFileSave saved;
    const auto cannotWrite = [](const QString &file) {
        return TQueryStatus::Error(TQueryStatus::FileError, QStringLiteral("Ne peut écrire dans %1").arg(file));
    };

    TProfileFile profile;
    if (QFile::exists(path)) {
        // What the file holds beyond this query must survive the save.
        const std::optional<QByteArray> bytes = WholeFile::Read(path, MaxQueryFileBytes);
        if (!bytes) {
            saved.status = cannotWrite(path);
            return saved;
        }
        profile = TProfileFile::FromText(TextDecoding::DecodeFileText(*bytes));
    }
    WriteQueryProfile(profile, query);
    if (!WholeFile::Write(path, [&profile](QIODevice &device) { return profile.Write(device); })) {
        saved.status = cannotWrite(path);
        return saved;
    }
    saved.queryFileWritten = true;

    saved.status = WriteSqlFile(WholeFile::ReplaceExtension(path, QStringLiteral(".SQL")), query.Filters,
                                query.className, query.sortbycn);
    if (saved.status.IsOk())
        saved.status = WriteImportControlFile(WholeFile::ReplaceExtension(path, QStringLiteral(".CTL")), query);
    return saved;
}
