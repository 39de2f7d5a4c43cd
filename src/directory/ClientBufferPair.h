#pragma once

#include "directory/ClientBuffer.h"

// The request and result buffers of one read, set up in the order every read of the
// connection uses: the request allocated, the result allocated, the request initialised
// for the operation. Both are freed with the pair, whatever was set up.
class ClientBufferPair
{
public:
    // The set-up step that failed.
    enum Step { None, AllocateRequest, AllocateResult, InitRequest };

    explicit ClientBufferPair(NWClient &client) : client_(client), request_(client), result_(client) {}

    // None when both buffers are ready; otherwise the failed step, with the client's
    // result in Code().
    Step SetUp(NWDSContextHandle context, uint32_t operation, size_t requestBytes, size_t resultBytes)
    {
        if ((code_ = request_.Allocate(requestBytes)) != 0)
            return AllocateRequest;
        if ((code_ = result_.Allocate(resultBytes)) != 0)
            return AllocateResult;
        if ((code_ = client_.NWDSInitBuf(context, operation, request_.Get())) != 0)
            return InitRequest;
        return None;
    }

    NWDSCCODE Code() const { return code_; }
    Buf_T *Request() const { return request_.Get(); }
    Buf_T *Result() const { return result_.Get(); }

private:
    NWClient &client_;
    ClientBuffer request_;
    ClientBuffer result_;
    NWDSCCODE code_ = 0;
};
