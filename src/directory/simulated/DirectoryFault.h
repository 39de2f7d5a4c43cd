#pragma once

#include <QString>

#include <cstdint>

// A fault of the simulated client: from the n-th call that matches it on, the call
// returns result instead of doing its work. A call matches when it is the named
// function and, when given, concerns the named tree, object and attribute:
// - the object of a call is the name it is given (NWDSRead, NWDSList,
//   NWDSListContainers, NWDSOpenStream, NWDSSetContext with the name context), the
//   object that filled the buffer it reads (NWDSGetAttrCount, NWDSGetAttrName,
//   NWDSComputeAttrValSize, NWDSGetAttrVal, NWDSGetObjectCount), or the entry it
//   hands out (NWDSGetObjectName);
// - the attribute of a call is the one it names or hands out (NWDSPutAttrName,
//   NWDSGetAttrName, NWDSComputeAttrValSize, NWDSGetAttrVal, NWDSOpenStream,
//   NWDSGetAttrDef), or one it reads (NWDSRead: named in the request, or present on
//   the object when all attributes are read; NWDSReadAttrDef: named in the request).
// With emptyBatch, the n-th matching call of a batch function (NWDSRead, NWDSList,
// NWDSListContainers, NWDSReadClassDef, NWDSReadAttrDef) instead succeeds with an
// empty batch and an iteration handle that is not -1, once.
// NWDSCreateContext returns result in place of a context handle (328 is its failure).
struct DirectoryFault {
    QString function; // a call's name, e.g. "NWDSRead"
    int32_t result = 0;
    QString tree;      // empty: any tree; calls without a context match any tree
    QString object;    // empty: any; a full name, typed or typeless, any letter case
    QString attribute; // empty: any; any letter case
    uint32_t from = 1; // the first matching call (counted from 1) that fails
    bool emptyBatch = false;
};
