// The profile module and the query-file loader on arbitrary bytes: load, save over the
// loaded profile, and read the saved text back to as many properties and conditions.

#include "query/QueryFile.h"
#include "query/TProfileFile.h"
#include "query/TQuerySchema.h"
#include "query/TextDecoding.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class TAnySchema : public TQuerySchema
{
public:
    QString FindClass(const QString &name) override { return name; }
    QStringList ClassProperties(const QString &) override { return {}; }
    QString PropertySyntaxName(const QString &, const QString &) override { return QStringLiteral("String"); }
    tDataType SyntaxNameToDataType(const QString &) override { return dtString; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        TextDecoding::DecodeFileText(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    TProfileFile profile = TProfileFile::FromText(text);
    TAnySchema schema;
    const TQueryFileLoad loaded = ReadQueryProfile(profile, TQueryDefinition(), schema);
    if (!loaded.status.IsOk())
        return 0;
    WriteQueryProfile(profile, loaded.query);
    const TQueryFileLoad again = ReadQueryProfile(TProfileFile::FromText(profile.ToText()), TQueryDefinition(), schema);
    // Names keep their number, not always their text: a line break inside a value is
    // saved as a blank.
    if (!again.status.IsOk() || again.query.Properties.size() != loaded.query.Properties.size() ||
        again.query.Filters.Count() != loaded.query.Filters.Count())
        std::abort();
    return 0;
}
