#include "directory/client/ClientFunction.h"

#include "directory/client/CaseFold.h"

#include <array>

namespace {

constexpr std::array<std::string_view, ClientFunctionCount> Names = {
    "NWCallsInit",
    "NWDSCreateContext",
    "NWDSFreeContext",
    "NWDSDuplicateContextHandle",
    "NWDSGetContext",
    "NWDSSetContext",
    "NWDSWhoAmi",
    "NWDSGetDefNameContext",
    "NWDSAllocBuf",
    "NWDSFreeBuf",
    "NWDSInitBuf",
    "NWDSPutAttrName",
    "NWDSPutClassName",
    "NWDSRead",
    "NWDSGetAttrCount",
    "NWDSGetAttrName",
    "NWDSComputeAttrValSize",
    "NWDSGetAttrVal",
    "NWDSOpenStream",
    "NWDSList",
    "NWDSListContainers",
    "NWDSGetObjectCount",
    "NWDSGetObjectName",
    "NWDSReadClassDef",
    "NWDSGetClassDefCount",
    "NWDSGetClassDef",
    "NWDSGetClassItemCount",
    "NWDSGetClassItem",
    "NWDSReadAttrDef",
    "NWDSGetAttrDef",
    "NWCCGetPrimConnRef",
    "NWCCScanConnRefs",
    "NWCCGetConnRefInfo",
};

} // namespace

std::optional<ClientFunction> ClientFunctionByName(std::string_view name)
{
    for (size_t i = 0; i < Names.size(); ++i) {
        if (CaseFold::Equal(Names[i], name))
            return ClientFunction(i);
    }
    return std::nullopt;
}

bool ReturnsBatches(ClientFunction function)
{
    switch (function) {
    case ClientFunction::NWDSRead:
    case ClientFunction::NWDSList:
    case ClientFunction::NWDSListContainers:
    case ClientFunction::NWDSReadClassDef:
    case ClientFunction::NWDSReadAttrDef:
        return true;
    default:
        return false;
    }
}
