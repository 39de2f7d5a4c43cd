#include "directory/client/ValuePacking.h"

#include "directory/client/NWValues.h"

#include <algorithm>
#include <cstring>

namespace ValuePacking {

namespace {

// Reads a packed value with bounds checks.
class Reader
{
public:
    Reader(const uint8_t *data, size_t size) : at_(data), left_(size) {}

    bool U32(uint32_t &value)
    {
        if (left_ < sizeof value)
            return Fail();
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        left_ -= sizeof value;
        return true;
    }
    bool Bytes(size_t size, std::string_view &bytes)
    {
        if (left_ < size)
            return Fail();
        bytes = {reinterpret_cast<const char *>(at_), size};
        at_ += size;
        left_ -= size;
        return true;
    }
    bool Counted(std::string_view &bytes)
    {
        uint32_t size = 0;
        return U32(size) && Bytes(size, bytes);
    }
    std::string_view Rest()
    {
        std::string_view bytes;
        Bytes(left_, bytes);
        return bytes;
    }
    bool AtEnd() const { return ok_ && left_ == 0; }

private:
    bool Fail()
    {
        ok_ = false;
        return false;
    }

    const uint8_t *at_;
    size_t left_;
    bool ok_ = true;
};

// Lays out one value record: fixed records from the start, texts and bytes after them.
// Without a base it only measures.
class Layout
{
public:
    Layout(uint8_t *base, size_t fixedSize) : base_(base), tail_(fixedSize) {}

    template <class T> void Put(size_t offset, const T &record)
    {
        if (base_)
            std::memcpy(base_ + offset, &record, sizeof record);
    }
    // A zero-terminated copy of text.
    char *Text(std::string_view text)
    {
        char *at = reinterpret_cast<char *>(Bytes(text));
        if (base_)
            base_[tail_] = 0;
        ++tail_;
        return at;
    }
    uint8_t *Bytes(std::string_view bytes)
    {
        uint8_t *at = base_ ? base_ + tail_ : nullptr;
        if (base_ && !bytes.empty())
            std::memcpy(at, bytes.data(), bytes.size());
        tail_ += bytes.size();
        return at;
    }
    size_t Size() const { return tail_; }

private:
    uint8_t *base_;
    size_t tail_;
};

// Lays out the record of one value; -1 when the bytes do not fit the syntax.
int64_t Build(uint32_t syntax, const uint8_t *value, size_t size, uint8_t *base)
{
    Reader in(value, size);
    if (IsTextSyntax(syntax)) {
        Layout out(base, 0);
        out.Text(in.Rest());
        return int64_t(out.Size());
    }
    switch (syntax) {
    case SYN_CI_LIST: {
        uint32_t count = 0;
        if (!in.U32(count) || count == 0 || count > size / sizeof(uint32_t))
            return -1;
        Layout out(base, count * sizeof(CI_List_T));
        auto *nodes = reinterpret_cast<CI_List_T *>(base);
        for (uint32_t i = 0; i < count; ++i) {
            std::string_view item;
            if (!in.Counted(item))
                return -1;
            const CI_List_T node{i + 1 < count && base ? nodes + i + 1 : nullptr, out.Text(item)};
            out.Put(i * sizeof(CI_List_T), node);
        }
        return in.AtEnd() ? int64_t(out.Size()) : -1;
    }
    case SYN_BOOLEAN: {
        std::string_view byte;
        if (!in.Bytes(1, byte) || !in.AtEnd())
            return -1;
        Layout out(base, sizeof(Boolean_T));
        out.Put(0, Boolean_T(byte[0]));
        return int64_t(out.Size());
    }
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_TIME:
    case SYN_INTERVAL: {
        uint32_t number = 0;
        if (!in.U32(number) || !in.AtEnd())
            return -1;
        Layout out(base, sizeof(Integer_T));
        out.Put(0, Integer_T(number));
        return int64_t(out.Size());
    }
    case SYN_LARGE_INTEGER:
    case SYN_FILE_TIME: {
        std::string_view bytes;
        if (!in.Bytes(sizeof(Large_Integer_T), bytes) || !in.AtEnd())
            return -1;
        Large_Integer_T number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        Layout out(base, sizeof(Large_Integer_T));
        out.Put(0, number);
        return int64_t(out.Size());
    }
    case SYN_OCTET_STRING: {
        const std::string_view bytes = in.Rest();
        Layout out(base, sizeof(Octet_String_T));
        out.Put(0, Octet_String_T{uint32_t(bytes.size()), out.Bytes(bytes)});
        return int64_t(out.Size());
    }
    case SYN_FAX_NUMBER: {
        std::string_view number;
        uint32_t bits = 0;
        if (!in.Counted(number) || !in.U32(bits))
            return -1;
        const std::string_view parameters = in.Rest();
        Layout out(base, sizeof(Fax_Number_T));
        char *text = out.Text(number);
        out.Put(0, Fax_Number_T{text, Bit_String_T{bits, out.Bytes(parameters)}});
        return int64_t(out.Size());
    }
    case SYN_NET_ADDRESS: {
        uint32_t type = 0;
        if (!in.U32(type))
            return -1;
        const std::string_view address = in.Rest();
        Layout out(base, sizeof(Net_Address_T));
        out.Put(0, Net_Address_T{type, uint32_t(address.size()), out.Bytes(address)});
        return int64_t(out.Size());
    }
    case SYN_OCTET_LIST: {
        uint32_t count = 0;
        if (!in.U32(count) || count == 0 || count > size / sizeof(uint32_t))
            return -1;
        Layout out(base, count * sizeof(Octet_List_T));
        auto *nodes = reinterpret_cast<Octet_List_T *>(base);
        for (uint32_t i = 0; i < count; ++i) {
            std::string_view item;
            if (!in.Counted(item))
                return -1;
            const Octet_List_T node{i + 1 < count && base ? nodes + i + 1 : nullptr, uint32_t(item.size()),
                                    out.Bytes(item)};
            out.Put(i * sizeof(Octet_List_T), node);
        }
        return in.AtEnd() ? int64_t(out.Size()) : -1;
    }
    case SYN_EMAIL_ADDRESS: {
        uint32_t type = 0;
        if (!in.U32(type))
            return -1;
        Layout out(base, sizeof(EMail_Address_T));
        out.Put(0, EMail_Address_T{type, out.Text(in.Rest())});
        return int64_t(out.Size());
    }
    case SYN_PATH: {
        uint32_t nameSpace = 0;
        std::string_view volume;
        if (!in.U32(nameSpace) || !in.Counted(volume))
            return -1;
        Layout out(base, sizeof(Path_T));
        char *volumeText = out.Text(volume);
        out.Put(0, Path_T{nameSpace, volumeText, out.Text(in.Rest())});
        return int64_t(out.Size());
    }
    case SYN_REPLICA_POINTER: {
        uint32_t type = 0;
        uint32_t number = 0;
        uint32_t count = 0;
        if (!in.U32(type) || !in.U32(number) || !in.U32(count) || count > 0xFFFF)
            return -1;
        // The record holds count address hints; the directory file gives none, so
        // each is empty.
        const size_t hints = offsetof(Replica_Pointer_T, replicaAddressHint);
        const size_t fixed = std::max(sizeof(Replica_Pointer_T), hints + count * sizeof(Net_Address_T));
        Layout out(base, fixed);
        char *server = out.Text(in.Rest());
        uint8_t *nowhere = out.Bytes({});
        out.Put(0, Replica_Pointer_T{server, int32_t(type), int32_t(number), count, {{0, 0, nowhere}}});
        for (uint32_t i = 1; i < count; ++i)
            out.Put(hints + i * sizeof(Net_Address_T), Net_Address_T{0, 0, nowhere});
        return int64_t(out.Size());
    }
    case SYN_OBJECT_ACL: {
        uint32_t privileges = 0;
        std::string_view protectedName;
        if (!in.U32(privileges) || !in.Counted(protectedName))
            return -1;
        Layout out(base, sizeof(Object_ACL_T));
        char *protectedText = out.Text(protectedName);
        out.Put(0, Object_ACL_T{protectedText, out.Text(in.Rest()), privileges});
        return int64_t(out.Size());
    }
    case SYN_PO_ADDRESS: {
        Layout out(base, sizeof(Postal_Address_T));
        Postal_Address_T address{};
        for (char *&line : address.line) {
            std::string_view text;
            if (!in.Counted(text))
                return -1;
            line = out.Text(text);
        }
        out.Put(0, address);
        return in.AtEnd() ? int64_t(out.Size()) : -1;
    }
    case SYN_TIMESTAMP: {
        uint32_t seconds = 0;
        uint32_t event = 0;
        if (!in.U32(seconds) || !in.U32(event) || !in.AtEnd())
            return -1;
        Layout out(base, sizeof(NWDS_TimeStamp_T));
        out.Put(0, NWDS_TimeStamp_T{seconds, event});
        return int64_t(out.Size());
    }
    case SYN_STREAM: {
        uint32_t length = 0;
        if (!in.U32(length))
            return -1;
        Layout out(base, sizeof(Stream_T));
        out.Put(0, Stream_T{length});
        return int64_t(out.Size());
    }
    case SYN_BACK_LINK: {
        uint32_t remote = 0;
        if (!in.U32(remote))
            return -1;
        Layout out(base, sizeof(Back_Link_T));
        out.Put(0, Back_Link_T{remote, out.Text(in.Rest())});
        return int64_t(out.Size());
    }
    case SYN_TYPED_NAME: {
        uint32_t level = 0;
        uint32_t interval = 0;
        if (!in.U32(level) || !in.U32(interval))
            return -1;
        Layout out(base, sizeof(Typed_Name_T));
        out.Put(0, Typed_Name_T{out.Text(in.Rest()), level, interval});
        return int64_t(out.Size());
    }
    case SYN_HOLD: {
        uint32_t amount = 0;
        if (!in.U32(amount))
            return -1;
        Layout out(base, sizeof(Hold_T));
        out.Put(0, Hold_T{amount, out.Text(in.Rest())});
        return int64_t(out.Size());
    }
    default: {
        // Syntaxes the records do not cover: the bytes, zero-terminated.
        Layout out(base, 0);
        out.Text(in.Rest());
        return int64_t(out.Size());
    }
    }
}

} // namespace

size_t CarriedSize(uint32_t syntax, size_t packedSize)
{
    return syntax == SYN_STREAM ? std::min(packedSize, sizeof(uint32_t)) : packedSize;
}

int64_t RecordSize(uint32_t syntax, const uint8_t *value, size_t size)
{
    return Build(syntax, value, size, nullptr);
}

bool WriteRecord(uint32_t syntax, const uint8_t *value, size_t size, void *area)
{
    return Build(syntax, value, size, static_cast<uint8_t *>(area)) >= 0;
}

std::string_view StreamContent(const uint8_t *value, size_t size)
{
    Reader in(value, size);
    std::string_view content;
    uint32_t length = 0;
    if (!in.U32(length) || !in.Bytes(length, content))
        return {};
    return content;
}

} // namespace ValuePacking
