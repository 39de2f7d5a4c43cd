// Reads objects as the export run does: one TNW4Object per object (its attribute names
// and its "CN"), then the values of four more properties, and reports objects per
// second.
//
// Usage: bench_object_reader [OBJECTS]   (100000 unless given)

#include "SimulatedClient.h"
#include "TNW4Object.h"
#include "tNDS.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kContainers = 10;

// A tree BENCH: O=Bench holding OU=Unit0 ... OU=Unit9, which share `objects` users
// CN=u0000000 ... with eight attributes each, two of them multi-valued.
QByteArray Directory(int objects)
{
    QByteArray json = R"({"trees": [{"name": "BENCH", "identity": "Admin.Bench", "defaultContext": "Bench",
        "schema": {"attributes": [{"name": "CN", "syntax": 3}, {"name": "O", "syntax": 3},
            {"name": "OU", "syntax": 3}, {"name": "Surname", "syntax": 3}, {"name": "Given Name", "syntax": 3},
            {"name": "Title", "syntax": 3}, {"name": "Telephone Number", "syntax": 10},
            {"name": "Login Grace Limit", "syntax": 8}, {"name": "Login Time", "syntax": 24},
            {"name": "Group Membership", "syntax": 1}],
          "classes": [{"name": "Organization", "flags": 3}, {"name": "Organizational Unit", "flags": 3},
            {"name": "User", "flags": 2}]},
        "objects": [{"name": "O=Bench", "class": "Organization", "values": {"O": ["Bench"]}, "children": [)";
    for (int unit = 0; unit < kContainers; ++unit) {
        json += (unit ? "," : "") + QByteArray(R"({"name": "OU=Unit)") + QByteArray::number(unit) +
                R"(", "class": "Organizational Unit", "children": [)";
        for (int i = unit; i < objects; i += kContainers) {
            const QByteArray n = QByteArray::number(i).rightJustified(7, '0');
            json += (i != unit ? "," : "") + QByteArray(R"({"name": "CN=u)") + n +
                    R"(", "class": "User", "values": {"CN": ["u)" + n + R"("], "Surname": ["Surname)" + n +
                    R"("], "Given Name": ["Given)" + n + R"("], "Title": ["Engineer", "Team lead"],
                    "Telephone Number": ["+33 1 23 45 )" +
                    n.right(2) + " " + n.mid(3, 2) +
                    R"("], "Login Grace Limit": [6], "Login Time": [1700000000],
                    "Group Membership": ["Staff.Bench", "Unit)" +
                    QByteArray::number(unit) + R"(.Bench"]}})";
        }
        json += "]}";
    }
    return json + "]}]}]}";
}

} // namespace

int main(int argc, char **argv)
{
    const int objects = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (objects <= 0) {
        std::fprintf(stderr, "usage: %s [OBJECTS]\n", argv[0]);
        return 2;
    }
    QString error;
    const std::unique_ptr<SimulatedClient> client =
        SimulatedClient::FromBytes(Directory(objects), QStringLiteral("bench.json"), &error);
    if (!client) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    int reports = 0;
    int pumps = 0;
    tNDS directory(*client, DirectoryHooks{[&reports](const QString &) { ++reports; }, [&pumps] { ++pumps; }});

    QStringList names;
    names.reserve(objects);
    for (int i = 0; i < objects; ++i)
        names << QStringLiteral("u%1.Unit%2.Bench").arg(i, 7, 10, QLatin1Char('0')).arg(i % kContainers);
    const QString properties[] = {QStringLiteral("Surname"), QStringLiteral("Title"),
                                  QStringLiteral("Telephone Number"), QStringLiteral("Login Grace Limit")};

    QElapsedTimer timer;
    timer.start();
    qsizetype lines = 0;
    for (const QString &name : names) {
        TNW4Object object(directory, name);
        lines += object.CommonName.isEmpty() ? 0 : 1;
        for (const QString &property : properties) {
            if (const std::optional<QStringList> values = object.GetValues(property))
                lines += values->size();
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("objects:        %d (CN and 4 properties each)\n", objects);
    std::printf("value lines:    %lld\n", static_cast<long long>(lines));
    std::printf("reports:        %d\n", reports);
    std::printf("event pumps:    %d\n", pumps);
    std::printf("time:           %.3f s\n", seconds);
    std::printf("objects/s:      %.0f\n", double(objects) / seconds);
    return reports == 0 && lines == qsizetype(objects) * 6 ? 0 : 1;
}
