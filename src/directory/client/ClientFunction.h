#pragma once

// The calls of the directory client interface by name, for faults that make one of
// them fail.

#include <cstdint>
#include <optional>
#include <string_view>

enum class ClientFunction : uint8_t {
    NWCallsInit,
    NWDSCreateContext,
    NWDSFreeContext,
    NWDSDuplicateContextHandle,
    NWDSGetContext,
    NWDSSetContext,
    NWDSWhoAmi,
    NWDSGetDefNameContext,
    NWDSAllocBuf,
    NWDSFreeBuf,
    NWDSInitBuf,
    NWDSPutAttrName,
    NWDSPutClassName,
    NWDSRead,
    NWDSGetAttrCount,
    NWDSGetAttrName,
    NWDSComputeAttrValSize,
    NWDSGetAttrVal,
    NWDSOpenStream,
    NWDSList,
    NWDSListContainers,
    NWDSGetObjectCount,
    NWDSGetObjectName,
    NWDSReadClassDef,
    NWDSGetClassDefCount,
    NWDSGetClassDef,
    NWDSGetClassItemCount,
    NWDSGetClassItem,
    NWDSReadAttrDef,
    NWDSGetAttrDef,
    NWCCGetPrimConnRef,
    NWCCScanConnRefs,
    NWCCGetConnRefInfo,
};

constexpr int ClientFunctionCount = int(ClientFunction::NWCCGetConnRefInfo) + 1;

// The function of that name (exact spelling, any letter case).
std::optional<ClientFunction> ClientFunctionByName(std::string_view name);

// Whether the function fetches batches with an iteration handle, so that it can
// return an empty batch.
bool ReturnsBatches(ClientFunction function);
