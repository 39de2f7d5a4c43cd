// Loads a directory file and measures what the simulated client costs: the load time,
// the peak memory of the process, and the speed of listing every object, once through
// the client's calls alone and once through the connection's listing primitive.
//
// Usage: bench_directory_load FILE   (or --demo for the built-in directory)

#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The peak resident size of the process, in MiB, from /proc/self/status.
double PeakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Lists every object below the top with NWDSList and NWDSGetObjectName, container
// after container, each on its own context whose name context is the container, as
// the listing primitive does. Returns the number of entries.
size_t ListEverything(SimulatedClient &client, NWDSContextHandle context)
{
    Buf_T *buffer = nullptr;
    if (client.NWDSAllocBuf(4096, &buffer) != 0)
        return 0;
    size_t entries = 0;
    std::vector<std::string> pending{"[Root]"};
    while (!pending.empty()) {
        const std::string container = std::move(pending.back());
        pending.pop_back();
        NWDSContextHandle listing = 0;
        client.NWDSDuplicateContextHandle(context, &listing);
        client.NWDSSetContext(listing, DCK_NAME_CONTEXT, container.c_str());
        int32_t handle = -1;
        do {
            if (client.NWDSList(listing, container.c_str(), &handle, buffer) != 0)
                break;
            uint32_t count = 0;
            client.NWDSGetObjectCount(listing, buffer, &count);
            for (uint32_t i = 0; i < count; ++i) {
                char name[256];
                uint32_t attributes = 0;
                Object_Info_T info;
                if (client.NWDSGetObjectName(listing, buffer, name, sizeof name, &attributes, &info) != 0)
                    break;
                ++entries;
                if (info.EntryFlags & DS_CONTAINER_ENTRY)
                    pending.push_back(container == "[Root]" ? std::string(name) : name + ("." + container));
            }
        } while (handle != -1);
        client.NWDSFreeContext(listing);
    }
    client.NWDSFreeBuf(buffer);
    return entries;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE|--demo\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QElapsedTimer timer;
    timer.start();
    QString error;
    std::unique_ptr<SimulatedClient> client =
        path == QLatin1String("--demo") ? SimulatedClient::FromDemo(&error) : SimulatedClient::FromFile(path, &error);
    if (!client) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double loadSeconds = double(timer.nsecsElapsed()) / 1e9;
    size_t objects = 0;
    for (const auto &tree : client->Model().trees)
        objects += tree->objects.size() - 1;
    std::printf("objects:                %zu\n", objects);
    std::printf("load:                   %.2f s\n", loadSeconds);
    std::printf("peak RSS after load:    %.0f MiB\n", PeakMiB());

    const NWDSContextHandle context = client->NWDSCreateContext();
    const uint32_t flags = DCV_TYPELESS_NAMES;
    client->NWDSSetContext(context, DCK_FLAGS, &flags);
    timer.restart();
    const size_t listed = ListEverything(*client, context);
    const double listSeconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("raw listing:            %zu entries in %.3f s, %.0f entries/s\n", listed, listSeconds,
                double(listed) / listSeconds);

    tNDS directory(*client);
    size_t enumerated = 0;
    timer.restart();
    directory.EnumObjects(
        QStringLiteral("[Root]"), true, 0,
        [&enumerated](const QString &, const TNDSObj &, int32_t, bool &) { ++enumerated; }, QString());
    const double enumSeconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("EnumObjects:            %zu entries in %.3f s, %.0f entries/s\n", enumerated, enumSeconds,
                double(enumerated) / enumSeconds);
    std::printf("peak RSS:               %.0f MiB\n", PeakMiB());
    return 0;
}
