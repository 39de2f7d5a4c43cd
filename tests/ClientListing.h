#pragma once

#include "directory/client/NWClient.h"

#include <QString>
#include <QStringList>

// What one listing of a container handed out through a context: the names, in their
// order, and the code of the call that ended it (0: the listing's end).
struct ClientListing {
    NWDSCCODE code = 0;
    QStringList names;
};

inline ClientListing ListNames(NWClient &client, NWDSContextHandle context, const char *container)
{
    ClientListing listed;
    Buf_T *buffer = nullptr;
    client.NWDSAllocBuf(0xFC00, &buffer);
    int32_t iteration = -1;
    do {
        listed.code = client.NWDSList(context, container, &iteration, buffer);
        if (listed.code != 0)
            break;
        uint32_t count = 0;
        client.NWDSGetObjectCount(context, buffer, &count);
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            Object_Info_T info{};
            uint32_t attributes = 0;
            if (client.NWDSGetObjectName(context, buffer, name, sizeof name, &attributes, &info) == 0)
                listed.names << QString::fromUtf8(name);
        }
    } while (iteration != -1);
    client.NWDSFreeBuf(buffer);
    return listed;
}
