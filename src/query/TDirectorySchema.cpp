#include "query/TDirectorySchema.h"

#include "directory/SyntaxTypes.h"
#include "directory/tNDS.h"

QString TDirectorySchema::FindClass(const QString &name)
{
    if (!classesRead_) {
        directory_.GetAllClassesDefinitions();
        classesRead_ = true;
    }
    const tNDSClass *definition = directory_.ClassDefs ? directory_.ClassDefs->Find(name) : nullptr;
    if (!definition || !(definition->Info.classFlags & DS_EFFECTIVE_CLASS))
        return {};
    return definition->Name;
}

QStringList TDirectorySchema::ClassProperties(const QString &className)
{
    return directory_.GetAllLayouts(className, tLayoutList::MandatoryThenOptional).value_or(QStringList());
}

QString TDirectorySchema::PropertySyntaxName(const QString &className, const QString &property)
{
    return directory_.PropertySyntaxName(className, property);
}

tDataType TDirectorySchema::SyntaxNameToDataType(const QString &syntaxName)
{
    return ::SyntaxNameToDataType(syntaxName);
}
