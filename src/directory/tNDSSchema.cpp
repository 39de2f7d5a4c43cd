// The schema catalogue: class and attribute definitions read into the connection's
// lists, the layout of one class, and the syntax type name of a property.

#include "directory/tNDS.h"

#include "directory/ClientBuffer.h"
#include "directory/SyntaxTypes.h"

namespace {

constexpr size_t kRequestBytes = 4096;
constexpr size_t kResultBytes = 0xFC00;

// The item lists of a class definition, in the directory's order: super classes,
// containment classes, naming, mandatory and optional attributes.
constexpr int kClassItemLists = 5;
constexpr int kMandatoryList = 3;
constexpr int kOptionalList = 4;
constexpr int kMandatoryThenOptional = 5;

// A failing client call: its name and its result.
struct ClientFailure {
    const char *Function = nullptr;
    NWDSCCODE Code = 0;
};

QString FromArea(char *area, size_t size)
{
    area[size - 1] = '\0';
    return QString::fromUtf8(area);
}

bool Wanted(int list, int which)
{
    return list == which || (which == kMandatoryThenOptional && (list == kMandatoryList || list == kOptionalList));
}

// Steps over the five item lists of the class definition the buffer is at; the names
// of the lists that which selects go to names when it is given.
std::optional<ClientFailure> ReadClassItems(NWClient &client, NWDSContextHandle context, Buf_T *buffer, int which,
                                            QStringList *names)
{
    for (int list = 0; list < kClassItemLists; ++list) {
        uint32_t count = 0;
        if (const NWDSCCODE result = client.NWDSGetClassItemCount(context, buffer, &count); result != 0)
            return ClientFailure{"NWDSGetClassItemCount", result};
        for (uint32_t item = 0; item < count; ++item) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            if (const NWDSCCODE result = client.NWDSGetClassItem(context, buffer, name, sizeof name); result != 0)
                return ClientFailure{"NWDSGetClassItem", result};
            if (names && Wanted(list, which))
                names->append(FromArea(name, sizeof name));
        }
    }
    return std::nullopt;
}

} // namespace

bool tNDS::GetAllClassesDefinitions()
{
    if (!ClassDefs)
        return false;
    ClientBuffer request(client_);
    ClientBuffer result(client_);
    NWDSCCODE code = request.Allocate(kRequestBytes);
    if (code == 0)
        code = result.Allocate(kResultBytes);
    if (code != 0) {
        ReportError(code, QStringLiteral("NWDSAllocBuf Outbuf(*8) Failed in GetAllClassesDefinitions\rError Code: ") +
                              QString::number(code));
        return false;
    }
    code = client_.NWDSInitBuf(Context, DSV_READ_CLASS_DEF, request.Get());
    if (code != 0) {
        ReportError(code, QStringLiteral("NWDSInitBuf Failed in GetAllClassesDefinitions\rError Code: ") +
                              QString::number(code));
        return false;
    }
    ClassDefs->Clear();

    const auto fail = [this](ClientFailure failure) {
        ReportError(failure.Code, QString::fromLatin1(failure.Function) +
                                      QStringLiteral(" Failed  in GetAllClassesDefinitions\rError Code: ") +
                                      QString::number(failure.Code));
        return false;
    };
    int32_t iteration = -1;
    do {
        code = client_.NWDSReadClassDef(Context, DS_EXPANDED_CLASS_DEFS, true, request.Get(), &iteration, result.Get());
        if (code != 0)
            return fail({"NWDSReadClassDef", code});
        uint32_t count = 0;
        code = client_.NWDSGetClassDefCount(Context, result.Get(), &count);
        if (code != 0)
            return fail({"NWDSGetClassDefCount", code});
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            auto definition = std::make_unique<tNDSClass>();
            code = client_.NWDSGetClassDef(Context, result.Get(), name, sizeof name, &definition->Info);
            if (code != 0)
                return fail({"NWDSGetClassDef", code});
            const QString className = FromArea(name, sizeof name);
            definition->Name = className;
            ClassDefs->Add(className, std::move(definition));
            if (const auto failure = ReadClassItems(client_, Context, result.Get(), -1, nullptr))
                return fail(*failure);
        }
    } while (iteration != -1);
    LastError = 0;
    return true;
}

bool tNDS::GetAllAttributeDefinitions(bool includeHidden)
{
    if (!AttributeDefs)
        return false;
    ClientBuffer result(client_);
    NWDSCCODE code = result.Allocate(kResultBytes);
    if (code != 0) {
        ReportError(code, QStringLiteral("NWDSAllocBuf Failed in GetAllAttributeDefinitions\rError Code: ") +
                              QString::number(code));
        return false;
    }
    AttributeDefs->Clear();

    int32_t iteration = -1;
    do {
        code = client_.NWDSReadAttrDef(Context, DS_ATTR_DEFS, true, nullptr, &iteration, result.Get());
        if (code == ERR_NO_SUCH_ATTRIBUTE) {
            // The directory's way of saying there is nothing more to read: no report.
            LastError = code;
            return false;
        }
        if (code != 0) {
            ReportError(code, QStringLiteral("NWDSRead Failed in GetAllAttributeDefinitions\rError Code: ") +
                                  QString::number(code));
            return false;
        }
        uint32_t count = 0;
        code = client_.NWDSGetAttrCount(Context, result.Get(), &count);
        if (code != 0) {
            ReportError(code, QStringLiteral("NWDSGetAttrCount Failed in GetAllAttributeDefinitions\rError Code: ") +
                                  QString::number(code));
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Attr_Info_T info{};
            code = client_.NWDSGetAttrDef(Context, result.Get(), name, sizeof name, &info);
            if (code != 0) {
                ReportError(code, QStringLiteral("NWDSGetAttrDef Failed in GetAllAttributeDefinitions\rError Code: ") +
                                      QString::number(code));
                return false;
            }
            if (!includeHidden && (info.attrFlags & DS_HIDDEN_ATTR))
                continue;
            auto definition = std::make_unique<tNDSAttribut>();
            const QString attributeName = FromArea(name, sizeof name);
            definition->Name = attributeName;
            definition->Info = info;
            definition->SyntaxName = SyntaxTypeName(info.attrSyntaxID);
            definition->DataType = SyntaxNameToDataType(definition->SyntaxName);
            AttributeDefs->Add(attributeName, std::move(definition));
        }
    } while (iteration != -1);
    LastError = 0;
    return true;
}

std::optional<QStringList> tNDS::GetAllLayouts(const QString &className, int which)
{
    ClientBuffer request(client_);
    ClientBuffer result(client_);
    NWDSCCODE code = request.Allocate(kRequestBytes);
    if (code != 0) {
        ReportError(code, QStringLiteral("NWDSAllocBuf Failed for InBuf GetAllLayouts\rError Code: ") +
                              QString::number(code));
        return std::nullopt;
    }
    code = result.Allocate(kResultBytes);
    if (code != 0) {
        ReportError(code, QStringLiteral("NWDSAllocBuf Failed for OutBuf in GetAllLayouts\rError Code: ") +
                              QString::number(code));
        return std::nullopt;
    }
    code = client_.NWDSInitBuf(Context, DSV_READ_CLASS_DEF, request.Get());
    if (code != 0) {
        ReportError(code, QStringLiteral("NWDSInitBuf Failed for inbuf in GetAllLayouts\rError Code: ") +
                              QString::number(code));
        return std::nullopt;
    }

    const auto fail = [this, &className](ClientFailure failure) -> std::optional<QStringList> {
        ReportError(failure.Code, QString::fromLatin1(failure.Function) + QStringLiteral(" Failed for ") + className +
                                      QStringLiteral(" in GetAllLayouts\rError Code: ") +
                                      QString::number(failure.Code));
        return std::nullopt;
    };
    code = client_.NWDSPutClassName(Context, request.Get(), className.toUtf8().constData());
    if (code != 0)
        return fail({"NWDSPutClassName", code});

    QStringList names;
    int32_t iteration = -1;
    do {
        code =
            client_.NWDSReadClassDef(Context, DS_EXPANDED_CLASS_DEFS, false, request.Get(), &iteration, result.Get());
        if (code != 0)
            return fail({"NWDSReadClassDef", code});
        uint32_t count = 0;
        code = client_.NWDSGetClassDefCount(Context, result.Get(), &count);
        if (code != 0)
            return fail({"NWDSGetClassDefCount", code});
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Class_Info_T info{};
            code = client_.NWDSGetClassDef(Context, result.Get(), name, sizeof name, &info);
            if (code != 0)
                return fail({"NWDSGetClassDef", code});
            if (const auto failure = ReadClassItems(client_, Context, result.Get(), which, &names))
                return fail(*failure);
        }
    } while (iteration != -1);
    LastError = 0;
    return names;
}

QString tNDS::PropertySyntaxName(const QString &, const QString &propertyName)
{
    if (AttributeDefs && AttributeDefs->IsEmpty())
        GetAllAttributeDefinitions(true);
    const tNDSAttribut *definition = AttributeDefs ? AttributeDefs->Find(propertyName) : nullptr;
    return definition ? definition->SyntaxName : QString::fromLatin1(SyntaxTypeNames[SYN_UNKNOWN]);
}
