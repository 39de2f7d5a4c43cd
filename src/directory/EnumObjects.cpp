#include "directory/tNDS.h"

#include <cstring>

int32_t tNDS::EnumObjects(const QString &container, bool recursive, int32_t data, const tObjectCallback &callback,
                          const QString &className)
{
    const QByteArray wanted = className.toUtf8();
    bool stop = false;
    TNDSObj listing;
    int32_t result = ListFirst(*this, Context, container, false, listing);
    for (; result == 0 || result == ERR_ENTRY_LEFT_OUT; result = ListNext(listing)) {
        // An entry the client left out is reported on its own; the others are listed.
        if (result == ERR_ENTRY_LEFT_OUT) {
            ReportError(result, QStringLiteral("NWDSList Failed for %1\rError Code: %2").arg(container).arg(result));
            continue;
        }
        // The class is matched exactly, letter case included, as the directory spells it.
        if (wanted.isEmpty() || std::strcmp(listing.EntryInfo.BaseClass, wanted.constData()) == 0)
            callback(container, listing, data, stop);
        if (stop) {
            ListStop(listing);
        } else if (recursive && (listing.EntryInfo.EntryFlags & DS_CONTAINER_ENTRY)) {
            // A sub-container whose listing failed has been reported: the walk ends.
            if (const int32_t failed =
                    EnumObjects(listing.EntryName + QLatin1Char('.') + container, recursive, data, callback, className);
                failed != 0)
                return failed;
        }
    }
    if (result == -1)
        return 0;
    // A listing cut short is no end of the container: what was not handed out is missing.
    ReportError(result, QStringLiteral("NWDSList Failed for %1\rError Code: %2").arg(container).arg(result));
    return result;
}
