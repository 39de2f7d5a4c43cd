#include "directory/tNDS.h"

#include <cstring>

void tNDS::EnumObjects(const QString &container, bool recursive, int32_t data, const tObjectCallback &callback,
                       const QString &className)
{
    const QByteArray wanted = className.toUtf8();
    bool stop = false;
    TNDSObj listing;
    for (int32_t result = ListFirst(*this, Context, container, false, listing); result == 0;
         result = ListNext(listing)) {
        // The class is matched exactly, letter case included, as the directory spells it.
        if (wanted.isEmpty() || std::strcmp(listing.EntryInfo.BaseClass, wanted.constData()) == 0)
            callback(container, listing, data, stop);
        if (stop)
            ListStop(listing);
        else if (recursive && (listing.EntryInfo.EntryFlags & DS_CONTAINER_ENTRY))
            EnumObjects(listing.EntryName + QLatin1Char('.') + container, recursive, data, callback, className);
    }
}
