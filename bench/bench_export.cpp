// Measures the export phase of a run on a generated directory, as veltrane-cli runs it,
// against a floor: the same lines built by walking the loaded directory model directly,
// with no client call, no object reader and no event pump. The run's bytes must equal
// the floor's, so the ratio compares like with like.
//
// Usage: bench_export FILE [QUERY.req]
//   FILE written by gen_directory; QUERY defaults to bench/queries/users-5.req. The
//   floor reads text values only, which is what the properties of that query hold.
//
// The floor runs first and keeps its bytes; the run then compares each line it writes
// with them, so the run's memory is measured without a copy of its output. The run's
// own memory is its peak RSS (VmHWM, reset through /proc/self/clear_refs) less the RSS
// just before it.

#include "directory/LocaleFormats.h"
#include "directory/client/ValuePacking.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"
#include "engine/CollationOrder.h"
#include "engine/ShortName.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"
#include "query/QueryWorkflows.h"
#include "query/TDirectorySchema.h"

#include <QCollator>
#include <QElapsedTimer>
#include <QFile>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// A field of /proc/self/status in KiB, or -1.
qint64 StatusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Starts VmHWM again from the current RSS, so that it tells the peak of what follows.
bool ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

double MiB(qint64 kib)
{
    return double(kib) / 1024.0;
}

double Seconds(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e9;
}

uint32_t ReadU32(const uint8_t *at)
{
    uint32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The export's lines built straight from the directory model.
class Floor
{
public:
    struct Result {
        qsizetype objects = 0;
        int lines = 0;
        qint64 collectNs = 0;
        qint64 sortNs = 0;
        qint64 linesNs = 0;
    };

    Floor(const DirectoryTree &tree, const TExportJob &job) : tree_(tree), job_(job) {}

    // Appends the lines to out as veltrane-cli writes them (UTF-8, CR LF); nothing when
    // *error tells why the floor cannot serve the job.
    std::optional<Result> Run(QByteArray &out, QString *error)
    {
        struct Property {
            uint32_t id;
            const tCondition *condition;
        };
        std::vector<Property> properties;
        for (const TExportJob::Row &row : job_.rows) {
            const int32_t id = tree_.schema.FindAttribute(row.property.toStdString());
            if (id >= 0 && !IsTextSyntax(tree_.schema.Attributes()[size_t(id)].syntax)) {
                *error = QStringLiteral("the floor reads text values only, not those of %1").arg(row.property);
                return std::nullopt;
            }
            properties.push_back({id < 0 ? UINT32_MAX : uint32_t(id), row.condition});
        }
        const int64_t start = tree_.Resolve(job_.context.toStdString());
        if (start < 0) {
            *error = QStringLiteral("no context %1 in the directory").arg(job_.context);
            return std::nullopt;
        }

        Result result;
        QElapsedTimer timer;
        timer.start();
        wanted_ = job_.className.toStdString();
        prefix_ = LocaleFormats::UpperCase(QString(job_.filter).remove(QLatin1Char('*')));
        Collect(uint32_t(start), job_.context);
        result.collectNs = timer.nsecsElapsed();

        timer.restart();
        if (job_.sortbycn)
            Sort();
        result.objects = qsizetype(found_.size());
        result.sortNs = timer.nsecsElapsed();

        timer.restart();
        for (const QString &line : job_.sqlText)
            Emit(out, line);
        QString line;
        if (job_.fieldsonfirstline) {
            bool first = true;
            if (job_.addcontainer)
                AddField(line, QStringLiteral("Contexte"), first);
            for (const TExportJob::Row &row : job_.rows) {
                if (row.condition->disp)
                    AddField(line, row.property, first);
            }
            Emit(out, line);
        }
        for (const auto &[name, object] : found_) {
            line.clear();
            bool first = true;
            if (job_.addcontainer)
                AddField(line, RestOfName(name), first);
            bool rejected = false;
            for (const Property &property : properties) {
                const QString text = ValueText(object, property.id, *property.condition);
                if (!property.condition->Evaluate(text)) {
                    rejected = true;
                    break;
                }
                if (property.condition->disp)
                    AddField(line, text, first);
            }
            if (!rejected) {
                Emit(out, line);
                ++result.lines;
            }
        }
        result.linesNs = timer.nsecsElapsed();
        found_.clear();
        return result;
    }

private:
    // Depth first, in listing order, as the enumeration goes.
    void Collect(uint32_t container, const QString &containerName)
    {
        for (const uint32_t child : tree_.Children(container)) {
            const DirectoryObject &entry = tree_.objects[child];
            const DirectorySchema::Class &definition = tree_.schema.Classes()[entry.classId];
            const std::string_view value = entry.Value();
            const QString name = QString::fromUtf8(value.data(), qsizetype(value.size())) + u'.' + containerName;
            if (wanted_.empty() || definition.name == wanted_) {
                if (prefix_.isEmpty() || LocaleFormats::UpperCase(name).startsWith(prefix_))
                    found_.emplace_back(name, child);
            }
            if (job_.recursive && (definition.flags & DS_CONTAINER_CLASS))
                Collect(child, name);
        }
    }

    // The same sort as the run's.
    void Sort()
    {
        QCollator collator(LocaleFormats::Locale());
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const std::vector<uint32_t> order =
            CollationOrder(collator, qsizetype(found_.size()), [this](qsizetype i) { return found_[size_t(i)].first; });
        std::vector<std::pair<QString, uint32_t>> sorted;
        sorted.reserve(order.size());
        for (const uint32_t position : order)
            sorted.push_back(std::move(found_[position]));
        found_ = std::move(sorted);
    }

    // The object's values of one attribute, each a line, joined by the value separator.
    QString ValueText(uint32_t object, uint32_t id, const tCondition &condition) const
    {
        const DirectoryObject &entry = tree_.objects[object];
        QString text;
        const uint8_t *at = entry.values;
        const uint8_t *end = at + entry.valuesSize;
        while (at && end - at >= 12) {
            const uint32_t count = ReadU32(at + 4);
            const uint32_t size = ReadU32(at + 8);
            if (ReadU32(at) == id) {
                const uint8_t *value = at + 12;
                for (uint32_t v = 0; v < count; ++v) {
                    const uint32_t length = ReadU32(value);
                    const char *bytes = reinterpret_cast<const char *>(value + 4);
                    const QString line = QString::fromUtf8(bytes, qsizetype(strnlen(bytes, length)));
                    if (v > 0)
                        text += job_.valueSeparator;
                    text += job_.cleancontext ? ShortName(line, condition.tn) : line;
                    value += 4 + length;
                }
                break;
            }
            at += 12 + size;
        }
        return text;
    }

    void AddField(QString &line, const QString &text, bool &first) const
    {
        if (!first)
            line += job_.fieldSeparator;
        first = false;
        if (job_.delimiter.isEmpty()) {
            line += text;
            return;
        }
        line += job_.delimiter;
        line += QString(text).replace(job_.delimiter, job_.delimiter + job_.delimiter);
        line += job_.delimiter;
    }

    static void Emit(QByteArray &out, const QString &line)
    {
        out += line.toUtf8();
        out += "\r\n";
    }

    const DirectoryTree &tree_;
    const TExportJob &job_;
    std::string wanted_;
    QString prefix_;
    std::vector<std::pair<QString, uint32_t>> found_;
};

// Checks each line the run writes against the floor's bytes, keeping none of them.
class CompareObserver : public TExportObserver
{
public:
    explicit CompareObserver(const QByteArray &expected) : expected_(expected) { timer_.start(); }

    bool AddLine(const QString &line) override
    {
        const QByteArray bytes = line.toUtf8();
        Match(bytes.constData(), bytes.size());
        Match("\r\n", 2);
        return true;
    }
    void SetCaption(const QString &) override
    {
        // The second caption is set when the names are collected (and sorted).
        if (++captions_ == 2)
            collectedNs_ = timer_.nsecsElapsed();
    }
    void SetHitsCount(const QString &text) override { hitsCount_ = text; }
    void SetObjectsScanned(const QString &text) override { objectsScanned_ = text; }

    // Whether the run wrote exactly the expected bytes.
    bool Identical() const { return !differs_ && offset_ == expected_.size(); }
    qsizetype Offset() const { return offset_; }
    qint64 CollectedNs() const { return collectedNs_; }
    const QString &HitsCount() const { return hitsCount_; }
    const QString &ObjectsScanned() const { return objectsScanned_; }

private:
    void Match(const char *bytes, qsizetype size)
    {
        if (differs_)
            return;
        if (size > expected_.size() - offset_ ||
            std::memcmp(expected_.constData() + offset_, bytes, size_t(size)) != 0) {
            differs_ = true;
            return;
        }
        offset_ += size;
    }

    const QByteArray &expected_;
    QElapsedTimer timer_;
    qsizetype offset_ = 0;
    bool differs_ = false;
    int captions_ = 0;
    qint64 collectedNs_ = 0;
    QString hitsCount_;
    QString objectsScanned_;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FILE [QUERY.req]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString queryPath =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(VELTRANE_BENCH_QUERIES "/users-5.req");

    QElapsedTimer timer;
    timer.start();
    QString error;
    const std::unique_ptr<SimulatedClient> client = SimulatedClient::FromFile(path, &error);
    if (!client) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double loadSeconds = Seconds(timer.nsecsElapsed());
    const qint64 loadedKiB = StatusKiB("VmRSS");
    const qint64 loadPeakKiB = StatusKiB("VmHWM");

    int reports = 0;
    DirectoryHooks hooks;
    hooks.Reporter = [&reports](const QString &text) {
        if (++reports <= 5)
            std::fprintf(stderr, "report: %s\n", qPrintable(text));
    };
    hooks.EventPump = [] {};
    tNDS directory(*client, std::move(hooks));
    TDirectorySchema schema(directory);

    // As veltrane-cli run prepares its run.
    TQueryFileLoad load = OpenQueryFile(queryPath, StartupQuery(directory, schema), directory, schema);
    TExportJob job;
    const TQueryStatus prepared = load.status.IsOk() ? PrepareRun(load.query, schema, job) : load.status;
    if (!prepared.IsOk()) {
        std::fprintf(stderr, "%s\n", qPrintable(prepared.message));
        return 2;
    }

    const DirectoryModel &model = client->Model();
    const uint32_t treeIndex = model.connections.empty() ? 0 : model.connections.front().tree;
    QByteArray expected;
    Floor floor(*model.trees[treeIndex], job);
    timer.restart();
    const std::optional<Floor::Result> floorResult = floor.Run(expected, &error);
    const double floorSeconds = Seconds(timer.nsecsElapsed());
    if (!floorResult) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }

    // What the floor freed goes back to the system, so the run cannot live on it.
    malloc_trim(0);
    const qint64 beforeKiB = StatusKiB("VmRSS");
    const bool peakReset = ResetPeak();
    CompareObserver observer(expected);
    TExportRun run(directory, job, observer);
    timer.restart();
    run.RunExport();
    const qint64 exportNs = timer.nsecsElapsed();
    const qint64 peakKiB = StatusKiB("VmHWM");
    // What the run still holds, without what the allocator keeps of what it freed.
    malloc_trim(0);
    const qint64 afterKiB = StatusKiB("VmRSS");
    const double exportSeconds = Seconds(exportNs);

    const double objects = double(floorResult->objects);
    std::printf("directory:         %s (%lld objects found under %s)\n", argv[1],
                static_cast<long long>(floorResult->objects), qPrintable(job.context));
    std::printf("load:              %.2f s, RSS after load %.0f MiB (peak %.0f MiB)\n", loadSeconds, MiB(loadedKiB),
                MiB(loadPeakKiB));
    std::printf("export phase:      %.3f s (names %.3f s, reading %.3f s), %.0f objects/s\n", exportSeconds,
                Seconds(observer.CollectedNs()), Seconds(exportNs - observer.CollectedNs()), objects / exportSeconds);
    std::printf("                   %s, %s\n", qPrintable(observer.ObjectsScanned()), qPrintable(observer.HitsCount()));
    std::printf("floor:             %.3f s (names %.3f s, sort %.3f s, lines %.3f s), %d lines\n", floorSeconds,
                Seconds(floorResult->collectNs), Seconds(floorResult->sortNs), Seconds(floorResult->linesNs),
                floorResult->lines);
    std::printf("export / floor:    %.2f\n", exportSeconds / floorSeconds);
    std::printf(
        "run's memory:      %.0f MiB (peak RSS %.0f MiB less %.0f MiB before the run; %.0f MiB after, trimmed)%s\n",
        MiB(peakKiB - beforeKiB), MiB(peakKiB), MiB(beforeKiB), MiB(afterKiB),
        peakReset ? "" : " [peak not reset: VmHWM covers the whole process]");
    std::printf("output:            %lld bytes, %s\n", static_cast<long long>(expected.size()),
                observer.Identical() ? "identical to the floor's" : "DIFFERS from the floor's");
    std::printf("reports:           %d\n", reports);
    if (!observer.Identical()) {
        std::fprintf(stderr, "the run's output differs from the floor's at byte %lld\n",
                     static_cast<long long>(observer.Offset()));
        return 1;
    }
    return 0;
}
