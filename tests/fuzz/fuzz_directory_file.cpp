// The directory-file reader on arbitrary bytes: a file is either served or refused with
// a message naming it, never a crash.

#include "directory/simulated/SimulatedClient.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const auto client = SimulatedClient::FromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                                                   QStringLiteral("fuzz.json"), &error);
    if (!client && !error.startsWith(QStringLiteral("fuzz.json")))
        std::abort();
    return 0;
}
