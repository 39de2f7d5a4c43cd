#include "directory/LocaleFormats.h"
#include "query/QueryFile.h"
#include "query/TProfileFile.h"
#include "query/TQuerySchema.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

// Reading and saving a query file of N properties, each with its condition section:
// bench_query_file [N] (100000 by default).

namespace {

class NoSchema : public TQuerySchema
{
public:
    QString FindClass(const QString &name) override { return name; }
    QStringList ClassProperties(const QString &) override { return {}; }
    QString PropertySyntaxName(const QString &, const QString &) override { return QStringLiteral("String"); }
    tDataType SyntaxNameToDataType(const QString &) override { return dtString; }
};

QString QueryText(int count)
{
    QString text =
        QStringLiteral("[options]\r\nclass=User\r\nnbproperties=%1\r\nnbfilters=%1\r\n[Properties]\r\n").arg(count);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("%1=Property %1\r\n").arg(i);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("[Filter%1]\r\nop=6\r\ntip=1\r\nv1=x\r\nv2=\r\ntn=String\r\ndisp=1\r\n").arg(i);
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const QString text = QueryText(count);

    QElapsedTimer timer;
    timer.start();
    TProfileFile profile = TProfileFile::FromText(text);
    NoSchema schema;
    const TQueryFileLoad loaded = ReadQueryProfile(profile, TQueryDefinition(), schema);
    const qint64 readMs = timer.restart();
    if (!loaded.status.IsOk()) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.status.message));
        return 1;
    }

    // Saved over the file it was read from, as a save keeps what the file holds.
    WriteQueryProfile(profile, loaded.query);
    const qsizetype bytes = profile.ToText().toUtf8().size();
    const qint64 writeMs = timer.elapsed();
    std::printf("%d properties and condition sections (%lld bytes): read %lld ms, saved %lld ms\n", count,
                static_cast<long long>(bytes), static_cast<long long>(readMs), static_cast<long long>(writeMs));
    return 0;
}
