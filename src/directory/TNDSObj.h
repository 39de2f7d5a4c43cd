#pragma once

#include "directory/DirectoryHooks.h"
#include "directory/client/NWClient.h"

#include <QString>

// One listing in progress, owned by the code that lists. From ListFirst to the
// ListNext that returns -1 it owns its duplicated context and its result buffer; a
// listing destroyed before its end frees them then.
struct TNDSObj {
    TNDSObj() = default;
    ~TNDSObj();
    TNDSObj(const TNDSObj &) = delete;
    TNDSObj &operator=(const TNDSObj &) = delete;

    int32_t IterationHandle = -1;
    QString EntryName;  // the current entry's name as the client returns it
    QString ListedName; // the name being listed, with a leading "."
    uint32_t AttributeCount = 0;
    int32_t EntriesInBuffer = 0;
    int32_t NextIndex = 0;
    Object_Info_T EntryInfo{};
    NWDSContextHandle ListContext = 0;
    bool ContainersOnly = false;
    Buf_T *ResultBuffer = nullptr;
    // The client the listing runs on; set by ListFirst.
    NWClient *Client = nullptr;
    // Called before each entry and each batch; set by ListFirst.
    const DirectoryHooks *Hooks = nullptr;
};
