#include "query/ReadSqlQuery.h"

#include "engine/ShownName.h"
#include "query/TQuerySchema.h"
#include "query/TSqlReader.h"
#include "query/TextDecoding.h"
#include "query/WholeFile.h"

namespace {

// Far more than a text of as many rows as the reader takes; held in memory, a larger
// text would take gigabytes.
constexpr qint64 MaxSqlFileBytes = 64 * 1024 * 1024;

} // namespace

TSqlQuery ReadSqlQuery(const QString &fileName, TQuerySchema &schema)
{
    bool tooLarge = false;
    const std::optional<QByteArray> bytes = WholeFile::Read(fileName, MaxSqlFileBytes, &tooLarge);
    if (!bytes) {
        TSqlQuery failed;
        failed.status =
            TQueryStatus::Error(TQueryStatus::FileError,
                                tooLarge ? QStringLiteral("Ne peut lire %1 : le fichier dépasse 64 Mo").arg(fileName)
                                         : QStringLiteral("Ne peut lire %1").arg(fileName));
        return failed;
    }
    return ReadSqlText(TextDecoding::DecodeFileText(*bytes), schema);
}

TSqlQuery ReadSqlText(const QString &text, TQuerySchema &schema)
{
    TSqlQuery result;
    TSqlReader reader(text);
    if (!reader.Read()) {
        result.status = reader.Status();
        return result;
    }
    const QString listed = schema.FindClass(reader.ClassName());
    if (listed.isEmpty()) {
        result.status = TQueryStatus::Error(
            TQueryStatus::SqlSchemaError,
            QStringLiteral("La classe \"%1\" n'est pas definie dans votre shéma !").arg(ShownName(reader.ClassName())));
        return result;
    }
    const QStringList properties = schema.ClassProperties(listed);
    TConditionList &rows = reader.Rows();
    for (int i = 0; i < rows.Count(); ++i) {
        const QString &property = rows.Property(i);
        if (!properties.contains(property, Qt::CaseInsensitive)) {
            result.status = TQueryStatus::Error(TQueryStatus::SqlSchemaError,
                                                QStringLiteral("la classe \"%1\" ne contient pas la propriété \"%2\"")
                                                    .arg(ShownName(reader.ClassName()), ShownName(property)));
            return result;
        }
        tCondition &row = rows.Condition(i);
        row.tn = schema.PropertySyntaxName(listed, property);
        row.tip = schema.SyntaxNameToDataType(row.tn);
    }
    result.className = listed;
    result.sortbycn = reader.SortFlag();
    result.rows = std::move(rows);
    return result;
}
