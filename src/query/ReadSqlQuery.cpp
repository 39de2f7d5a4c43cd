#include "query/ReadSqlQuery.h"

#include "query/ShownName.h"
#include "query/TQuerySchema.h"
#include "query/TSqlReader.h"
#include "query/TextDecoding.h"
#include "query/WholeFile.h"

TSqlQuery ReadSqlQuery(const QString &fileName, TQuerySchema &schema)
{
    const std::optional<QByteArray> bytes = WholeFile::Read(fileName);
    if (!bytes) {
        TSqlQuery failed;
        failed.status = TQueryStatus::Error(TQueryStatus::FileError, QStringLiteral("Ne peut lire %1").arg(fileName));
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
