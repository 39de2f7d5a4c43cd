// Value records of every syntax built from arbitrary carried bytes, as the simulated
// client hands them out, and formatted into text lines. The first byte chooses the
// syntax (0 to 39, past the last one known), the rest is the carried value.

#include "directory/FormatValue.h"
#include "directory/client/ValuePacking.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

tNDS &Directory()
{
    static const std::unique_ptr<SimulatedClient> client = [] {
        QString error;
        auto demo = SimulatedClient::FromDemo(&error);
        if (!demo)
            std::abort();
        return demo;
    }();
    static tNDS directory(*client, DirectoryHooks{[](const QString &) {}, {}, {}});
    return directory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint32_t syntax = data[0] % 40;
    const int64_t recordSize = ValuePacking::RecordSize(syntax, data + 1, size - 1);
    if (recordSize < 0)
        return 0;
    // malloc aligns for any record.
    const std::unique_ptr<void, decltype(&std::free)> area(std::malloc(size_t(recordSize) + 1), &std::free);
    if (!area || !ValuePacking::WriteRecord(syntax, data + 1, size - 1, area.get()))
        std::abort();
    QStringList lines;
    FormatValue(Directory(), syntax, area.get(), QStringLiteral("CN=fuzz.O=Acme"), QStringLiteral("Fuzz"),
                QStringLiteral("While fuzzing. "), lines);
    return 0;
}
