// The SQL tokenizer and reader on arbitrary bytes: read or refused with a message.

#include "query/TSqlReader.h"
#include "query/TextDecoding.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TSqlReader reader(TextDecoding::DecodeFileText(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))));
    if (!reader.Read() && reader.Status().message.isEmpty())
        std::abort();
    return 0;
}
