// Reads the users of a generated directory as the export run does and reports objects
// per second: first one TNW4Object per user (its attribute names and "CN"), as the
// enumeration callback does, then again one per user with the values of four more
// properties, as the export of the properties does.
//
// Usage: bench_object_reader FILE [OBJECTS]   (FILE written by gen_directory; at most
// OBJECTS users are read, 100000 unless given)

#include "directory/TNW4Object.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace {

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    const int wanted = argc > 2 ? std::atoi(argv[2]) : 100000;
    if (argc < 2 || argc > 3 || wanted <= 0) {
        std::fprintf(stderr, "usage: %s FILE [OBJECTS]\n", argv[0]);
        return 2;
    }
    QString error;
    const std::unique_ptr<SimulatedClient> client = SimulatedClient::FromFile(QString::fromLocal8Bit(argv[1]), &error);
    if (!client) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    int reports = 0;
    tNDS directory(*client, DirectoryHooks{[&reports](const QString &) { ++reports; }, [] {}, {}});

    QStringList names;
    names.reserve(wanted);
    directory.EnumObjects(
        QStringLiteral("[Root]"), true, 0,
        [&names, wanted](const QString &container, const TNDSObj &entry, int32_t, bool &stop) {
            if (names.size() < wanted)
                names << entry.EntryName + QLatin1Char('.') + container;
            stop = names.size() >= wanted;
        },
        QStringLiteral("User"));
    if (names.size() < wanted)
        std::fprintf(stderr, "only %lld users in the directory\n", static_cast<long long>(names.size()));

    QElapsedTimer timer;
    timer.start();
    qsizetype commonNames = 0;
    for (const QString &name : names)
        commonNames += TNW4Object(directory, name).CommonName.isEmpty() ? 0 : 1;
    const double firstRead = Seconds(timer);

    const QString properties[] = {QStringLiteral("Surname"), QStringLiteral("Title"),
                                  QStringLiteral("Telephone Number"), QStringLiteral("Internet EMail Address")};
    timer.restart();
    qsizetype lines = 0;
    for (const QString &name : names) {
        TNW4Object object(directory, name);
        for (const QString &property : properties) {
            if (const std::optional<QStringList> values = object.GetValues(property))
                lines += values->size();
        }
    }
    const double secondRead = Seconds(timer);

    const double users = double(names.size());
    std::printf("users read:                     %lld (%lld with a CN)\n", static_cast<long long>(names.size()),
                static_cast<long long>(commonNames));
    std::printf("names and CN:                   %.3f s, %.0f objects/s\n", firstRead, users / firstRead);
    std::printf("names, CN and 4 properties:     %.3f s, %.0f objects/s (%lld value lines)\n", secondRead,
                users / secondRead, static_cast<long long>(lines));
    std::printf("both reads, per object:         %.0f objects/s\n", users / (firstRead + secondRead));
    std::printf("reports:                        %d\n", reports);
    return reports == 0 ? 0 : 1;
}
