#include "query/ImportControlFile.h"

#include "query/TQueryDefinition.h"
#include "query/WholeFile.h"

#include <QIODevice>

QString ImportControlText(const TQueryDefinition &query)
{
    QString text;
    const auto line = [&text](const QString &content) { text += content + QLatin1String("\r\n"); };
    const auto setting = [&line](const QString &content) { line(QLatin1Char('\t') + content); };

    line(QStringLiteral("CONTROLE IMPORTATION"));
    setting(QStringLiteral("MODE D'IMPORTATION") + QStringLiteral("=") + QStringLiteral("B"));
    setting(QStringLiteral("CONTEXTE DE NOM") + QStringLiteral("=\"") + query.context + QStringLiteral("\""));
    setting(QStringLiteral("SEPARATEUR") + QStringLiteral("=") + query.separator);
    setting(QStringLiteral("LIBELLE") + QStringLiteral("=") + query.delimiter);
    setting(QStringLiteral("REMPLACER LA VALEUR") + QStringLiteral("=Y"));
    setting(QStringLiteral("NBRE DE REESSAIS DE REPERTOIRE MAX") + QStringLiteral("=5"));
    line(QStringLiteral("CHAMPS"));
    if (query.addcontainer)
        setting(QStringLiteral("SAUTER"));
    for (int i = 0; i < query.Properties.size(); ++i) {
        const bool displayed = i >= query.Filters.Count() || query.Filters.Condition(i).disp;
        if (!displayed)
            continue;
        const QString &name = query.Properties.at(i);
        setting(name.compare(QLatin1String("CN"), Qt::CaseInsensitive) == 0 ? QStringLiteral("NOM") : name);
    }
    return text;
}

bool WriteImportControlFile(QIODevice &device, const TQueryDefinition &query)
{
    const QByteArray bytes = ImportControlText(query).toUtf8();
    return device.write(bytes) == bytes.size();
}

TQueryStatus WriteImportControlFile(const QString &path, const TQueryDefinition &query)
{
    if (WholeFile::Write(path, [&](QIODevice &device) { return WriteImportControlFile(device, query); }))
        return {};
    return TQueryStatus::Error(TQueryStatus::FileError, QStringLiteral("Ne peut écrire dans %1").arg(path));
}
