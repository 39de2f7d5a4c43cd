#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliOutput.h"
#include "directory/SyntaxTypes.h"
#include "directory/client/NWValues.h"
#include "query/ImportControlFile.h"
#include "query/QueryFile.h"
#include "query/SqlText.h"
#include "query/TQuerySchema.h"

namespace {

// Renders a query as it is stored, without a directory: every class is taken as
// named, and conditions keep the types the file gives them.
class TStoredSchema : public TQuerySchema
{
public:
    QString FindClass(const QString &name) override { return name; }
    QStringList ClassProperties(const QString &) override { return {}; }
    QString PropertySyntaxName(const QString &, const QString &) override { return SyntaxTypeName(SYN_UNKNOWN); }
    tDataType SyntaxNameToDataType(const QString &syntaxName) override { return ::SyntaxNameToDataType(syntaxName); }
};

} // namespace

namespace CliCommands {

int Render(const CliArguments &arguments)
{
    TStoredSchema schema;
    const TQueryFileLoad load = LoadQueryFile(arguments.input, TQueryDefinition(), schema);
    if (!load.status.IsOk()) {
        Complain(load.status.message);
        return ExitStatusOf(load.status);
    }
    const TQueryDefinition &query = load.query;
    const QString text = arguments.command == QLatin1String("sql")
                             ? BuildSqlText(query.Filters, query.className, query.sortbycn)
                             : ImportControlText(query);
    CliOutput output(arguments.output);
    if (!output.Open() || !output.Write(text) || !output.Commit()) {
        Complain(output.Error());
        return kFailure;
    }
    return kSuccess;
}

} // namespace CliCommands
