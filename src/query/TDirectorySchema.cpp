#include "query/TDirectorySchema.h"

#include "directory/SyntaxTypes.h"
#include "directory/tNDS.h"

#include <optional>
#include <utility>

QString TDirectorySchema::FindClass(const QString &name)
{
    if (!classesRead_) {
        readFailed_ = !directory_.GetAllClassesDefinitions() || readFailed_;
        classesRead_ = true;
    }
    const tNDSClass *definition = directory_.ClassDefs ? directory_.ClassDefs->Find(name) : nullptr;
    if (!definition || !(definition->Info.classFlags & DS_EFFECTIVE_CLASS))
        return {};
    return definition->Name;
}

QStringList TDirectorySchema::ClassProperties(const QString &className)
{
    std::optional<QStringList> layout = directory_.GetAllLayouts(className, tLayoutList::MandatoryThenOptional);
    readFailed_ = !layout || readFailed_;
    return std::move(layout).value_or(QStringList());
}

QString TDirectorySchema::PropertySyntaxName(const QString &className, const QString &property)
{
    // The attribute definitions are read on the first lookup, and again while none is known.
    const bool reads = directory_.AttributeDefs && directory_.AttributeDefs->IsEmpty();
    QString syntaxName = directory_.PropertySyntaxName(className, property);
    // A read ending with "no such attribute" is the directory's end of the list, not reported.
    if (reads && directory_.LastError != 0 && directory_.LastError != ERR_NO_SUCH_ATTRIBUTE)
        readFailed_ = true;
    return syntaxName;
}

tDataType TDirectorySchema::SyntaxNameToDataType(const QString &syntaxName)
{
    return ::SyntaxNameToDataType(syntaxName);
}
