// The schema catalogue: class and attribute definitions read into the connection's
// lists, the layout of one class, and the syntax type name of a property.

#include "directory/tNDS.h"

#include "directory/ClientBufferPair.h"
#include "directory/SyntaxTypes.h"

#include <functional>

namespace {

constexpr size_t kRequestBytes = 4096;
constexpr size_t kResultBytes = 0xFC00;

// The item lists of a class definition, in the directory's order.
constexpr int kClassItemLists = 5;

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

bool Wanted(int list, tLayoutList which)
{
    const auto selected = tLayoutList(list);
    return selected == which || (which == tLayoutList::MandatoryThenOptional &&
                                 (selected == tLayoutList::Mandatory || selected == tLayoutList::Optional));
}

// Steps over the five item lists of the class definition the buffer is at; the names
// of the lists that which selects go to names when it is given.
std::optional<ClientFailure> ReadClassItems(NWClient &client, NWDSContextHandle context, Buf_T *buffer,
                                            tLayoutList which, QStringList *names)
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

// Reads the class definitions the request names (all of them when allClasses), batch
// after batch: each one's name and information go to found, then the names of its item
// lists that which selects go to names when it is given. Stops at the first failing call.
std::optional<ClientFailure>
ReadClassDefinitions(NWClient &client, NWDSContextHandle context, bool allClasses, const ClientBufferPair &buffers,
                     tLayoutList which, QStringList *names,
                     const std::function<void(const QString &name, const Class_Info_T &info)> &found)
{
    int32_t iteration = -1;
    do {
        if (const NWDSCCODE code = client.NWDSReadClassDef(context, DS_EXPANDED_CLASS_DEFS, allClasses,
                                                           buffers.Request(), &iteration, buffers.Result());
            code != 0)
            return ClientFailure{"NWDSReadClassDef", code};
        uint32_t count = 0;
        if (const NWDSCCODE code = client.NWDSGetClassDefCount(context, buffers.Result(), &count); code != 0)
            return ClientFailure{"NWDSGetClassDefCount", code};
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Class_Info_T info{};
            if (const NWDSCCODE code = client.NWDSGetClassDef(context, buffers.Result(), name, sizeof name, &info);
                code != 0)
                return ClientFailure{"NWDSGetClassDef", code};
            if (found)
                found(FromArea(name, sizeof name), info);
            if (const auto failure = ReadClassItems(client, context, buffers.Result(), which, names))
                return failure;
        }
    } while (iteration != -1);
    return std::nullopt;
}

} // namespace

bool tNDS::GetAllClassesDefinitions()
{
    if (!ClassDefs)
        return false;
    ClientBufferPair buffers(client_);
    switch (buffers.SetUp(Context, DSV_READ_CLASS_DEF, kRequestBytes, kResultBytes)) {
    case ClientBufferPair::None:
        break;
    case ClientBufferPair::AllocateRequest:
    case ClientBufferPair::AllocateResult:
        ReportError(buffers.Code(),
                    QStringLiteral("NWDSAllocBuf Outbuf(*8) Failed in GetAllClassesDefinitions\rError Code: ") +
                        QString::number(buffers.Code()));
        return false;
    case ClientBufferPair::InitRequest:
        ReportError(buffers.Code(), QStringLiteral("NWDSInitBuf Failed in GetAllClassesDefinitions\rError Code: ") +
                                        QString::number(buffers.Code()));
        return false;
    }
    ClassDefs->Clear();

    const auto failure = ReadClassDefinitions(client_, Context, true, buffers, tLayoutList::MandatoryThenOptional,
                                              nullptr, [this](const QString &name, const Class_Info_T &info) {
                                                  auto definition = std::make_unique<tNDSClass>();
                                                  definition->Name = name;
                                                  definition->Info = info;
                                                  ClassDefs->Add(name, std::move(definition));
                                              });
    if (failure) {
        ReportError(failure->Code, QString::fromLatin1(failure->Function) +
                                       QStringLiteral(" Failed  in GetAllClassesDefinitions\rError Code: ") +
                                       QString::number(failure->Code));
        return false;
    }
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

std::optional<QStringList> tNDS::GetAllLayouts(const QString &className, tLayoutList which)
{
    ClientBufferPair buffers(client_);
    const char *setUpFailure = nullptr;
    switch (buffers.SetUp(Context, DSV_READ_CLASS_DEF, kRequestBytes, kResultBytes)) {
    case ClientBufferPair::None:
        break;
    case ClientBufferPair::AllocateRequest:
        setUpFailure = "NWDSAllocBuf Failed for InBuf GetAllLayouts\rError Code: ";
        break;
    case ClientBufferPair::AllocateResult:
        setUpFailure = "NWDSAllocBuf Failed for OutBuf in GetAllLayouts\rError Code: ";
        break;
    case ClientBufferPair::InitRequest:
        setUpFailure = "NWDSInitBuf Failed for inbuf in GetAllLayouts\rError Code: ";
        break;
    }
    if (setUpFailure) {
        ReportError(buffers.Code(), QString::fromLatin1(setUpFailure) + QString::number(buffers.Code()));
        return std::nullopt;
    }

    const auto fail = [this, &className](ClientFailure failure) -> std::optional<QStringList> {
        ReportError(failure.Code, QString::fromLatin1(failure.Function) + QStringLiteral(" Failed for ") + className +
                                      QStringLiteral(" in GetAllLayouts\rError Code: ") +
                                      QString::number(failure.Code));
        return std::nullopt;
    };
    if (const NWDSCCODE code = client_.NWDSPutClassName(Context, buffers.Request(), className.toUtf8().constData());
        code != 0)
        return fail({"NWDSPutClassName", code});

    QStringList names;
    if (const auto failure = ReadClassDefinitions(client_, Context, false, buffers, which, &names, {}))
        return fail(*failure);
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
