#pragma once

#include "query/TQuerySchema.h"

#include <QMap>

// A schema given as a table: each class with its properties and their syntax names.
class FakeQuerySchema : public TQuerySchema
{
public:
    // class -> (property -> syntax name)
    QMap<QString, QMap<QString, QString>> classes;

    QString FindClass(const QString &name) override
    {
        for (auto it = classes.cbegin(); it != classes.cend(); ++it) {
            if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                return it.key();
        }
        return {};
    }
    QStringList ClassProperties(const QString &className) override { return classes.value(className).keys(); }
    QString PropertySyntaxName(const QString &className, const QString &property) override
    {
        const QMap<QString, QString> properties = classes.value(className);
        for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
            if (it.key().compare(property, Qt::CaseInsensitive) == 0)
                return it.value();
        }
        return QStringLiteral("inconnu");
    }
    tDataType SyntaxNameToDataType(const QString &syntaxName) override
    {
        static const QMap<QString, tDataType> kinds = {{QStringLiteral("long"), dtInteger},
                                                       {QStringLiteral("string"), dtString},
                                                       {QStringLiteral("boolean"), dtBoolean},
                                                       {QStringLiteral("date"), dtDate}};
        return kinds.value(syntaxName.toLower(), dtUnknown);
    }
};
