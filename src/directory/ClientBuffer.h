#pragma once

#include "directory/client/NWClient.h"

// A buffer of the directory client, freed through the client when it goes out of
// scope, so that every way out of a read releases what the read allocated.
class ClientBuffer
{
public:
    explicit ClientBuffer(NWClient &client) : client_(client) {}
    ~ClientBuffer()
    {
        if (buffer_)
            client_.NWDSFreeBuf(buffer_);
    }
    ClientBuffer(const ClientBuffer &) = delete;
    ClientBuffer &operator=(const ClientBuffer &) = delete;

    // Asks the client for a buffer of size bytes; the client's result (0: allocated).
    NWDSCCODE Allocate(size_t size)
    {
        Buf_T *buffer = nullptr;
        const NWDSCCODE result = client_.NWDSAllocBuf(size, &buffer);
        if (result == 0)
            buffer_ = buffer;
        return result;
    }

    Buf_T *Get() const { return buffer_; }

private:
    NWClient &client_;
    Buf_T *buffer_ = nullptr;
};
