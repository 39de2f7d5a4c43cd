#pragma once

// Runs of veltrane-cli (VELTRANE_CLI) over the directory of the fault sweep
// (tests/data/cli/sweep.json), a few at a time, each in its own folder with an output
// file that held earlier contents: with client faults added, or without some values.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

struct SweepOutcome {
    int status = -1;
    QByteArray output;
    QStringList err;   // one line each
    QStringList files; // in the run's folder afterwards
    bool operator==(const SweepOutcome &) const = default;
};

// What a faulted run's reports say its reads missed.
struct SweepMissed {
    QSet<QString> objects;                                 // no attribute could be read
    std::map<std::pair<QString, QString>, int> attributes; // (object, attribute): values kept
    bool operator==(const SweepMissed &) const = default;
};

class FaultSweepRuns
{
public:
    static QByteArray Earlier() { return QByteArrayLiteral("earlier contents\r\n"); }

    explicit FaultSweepRuns(const QByteArray &query)
    {
        QFile fixture(QStringLiteral(VELTRANE_TEST_DATA "/cli/sweep.json"));
        if (!fixture.open(QIODevice::ReadOnly))
            qFatal("no fixture");
        directory_ = QJsonDocument::fromJson(fixture.readAll()).object();
        Write(folder_.filePath(QStringLiteral("q.req")), query);
    }

    // One run for each fault list, at the same time.
    std::vector<SweepOutcome> Run(const std::vector<QJsonArray> &faults) const
    {
        std::vector<QJsonObject> trees;
        for (const QJsonArray &list : faults) {
            QJsonObject tree = Tree();
            tree.insert(QStringLiteral("faults"), list);
            trees.push_back(tree);
        }
        return RunTrees(trees);
    }

    // The fault-free runs over the directory without what each missed says, remembered.
    std::vector<SweepOutcome> RunWithout(const std::vector<SweepMissed> &missed)
    {
        std::vector<QByteArray> keys;
        std::vector<QJsonObject> trees;
        for (const SweepMissed &m : missed) {
            QJsonObject tree = Tree();
            QJsonArray objects = tree.value(QStringLiteral("objects")).toArray();
            Strip(objects, QString(), m);
            tree.insert(QStringLiteral("objects"), objects);
            const QByteArray key = QJsonDocument(tree).toJson(QJsonDocument::Compact);
            keys.push_back(key);
            if (!known_.contains(key) && std::find(keys.begin(), keys.end() - 1, key) == keys.end() - 1)
                trees.push_back(tree);
        }
        const std::vector<SweepOutcome> outcomes = RunTrees(trees);
        for (size_t i = 0; i < trees.size(); ++i)
            known_.insert(QJsonDocument(trees[i]).toJson(QJsonDocument::Compact), outcomes[i]);
        std::vector<SweepOutcome> result;
        for (const QByteArray &key : keys)
            result.push_back(known_.value(key));
        return result;
    }

    // How many values the fixture gives the attribute of the object.
    int ValueCount(const QString &object, const QString &attribute) const
    {
        int count = 0;
        Visit([&](const QString &name, const QJsonObject &o) {
            if (name == object)
                count = int(o.value(QStringLiteral("values")).toObject().value(attribute).toArray().size());
        });
        return count;
    }

    // The object of the fixture that was listed under name: a listing whose name context
    // could not be set hands out names relative to the context it had.
    QString Listed(const QString &name) const
    {
        QString listed = name;
        Visit([&](const QString &known, const QJsonObject &) {
            const QString leaf = known.section(QLatin1Char('.'), 0, 0);
            const QString container = known.section(QLatin1Char('.'), 1);
            if (name != known && name.startsWith(leaf + QLatin1Char('.')) &&
                name.endsWith(QLatin1Char('.') + container))
                listed = known;
        });
        return listed;
    }

private:
    QJsonObject Tree() const { return directory_.value(QStringLiteral("trees")).toArray().at(0).toObject(); }

    static QString FullName(const QJsonObject &object, const QString &parent)
    {
        const QString leaf = object.value(QStringLiteral("name")).toString().section(QLatin1Char('='), 1);
        return parent.isEmpty() ? leaf : leaf + QLatin1Char('.') + parent;
    }

    template <typename Visitor> void Visit(Visitor &&visit) const
    {
        std::vector<std::pair<QJsonArray, QString>> pending{{Tree().value(QStringLiteral("objects")).toArray(), {}}};
        while (!pending.empty()) {
            const auto [objects, parent] = pending.back();
            pending.pop_back();
            for (const QJsonValue &value : objects) {
                const QJsonObject object = value.toObject();
                visit(FullName(object, parent), object);
                pending.emplace_back(object.value(QStringLiteral("children")).toArray(), FullName(object, parent));
            }
        }
    }

    // An attribute left without values is taken out: the file holds none such.
    static void Strip(QJsonArray &objects, const QString &parent, const SweepMissed &missed)
    {
        for (qsizetype i = 0; i < objects.size(); ++i) {
            QJsonObject object = objects.at(i).toObject();
            const QString name = FullName(object, parent);
            QJsonObject values = object.value(QStringLiteral("values")).toObject();
            if (missed.objects.contains(name))
                values = {};
            for (const auto &[where, kept] : missed.attributes) {
                if (where.first != name || !values.contains(where.second))
                    continue;
                QJsonArray cut = values.value(where.second).toArray();
                while (cut.size() > kept && !cut.isEmpty())
                    cut.removeLast();
                if (cut.isEmpty())
                    values.remove(where.second);
                else
                    values.insert(where.second, cut);
            }
            object.insert(QStringLiteral("values"), values);
            QJsonArray children = object.value(QStringLiteral("children")).toArray();
            Strip(children, name, missed);
            object.insert(QStringLiteral("children"), children);
            objects.replace(i, object);
        }
    }

    std::vector<SweepOutcome> RunTrees(const std::vector<QJsonObject> &trees) const
    {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (size_t i = 0; i < trees.size(); ++i) {
            const QDir slot(Slot(i));
            QJsonObject directory = directory_;
            directory.insert(QStringLiteral("trees"), QJsonArray{trees[i]});
            Write(slot.filePath(QStringLiteral("d.json")), QJsonDocument(directory).toJson(QJsonDocument::Compact));
            Write(slot.filePath(QStringLiteral("out.txt")), Earlier());
            auto &process = processes.emplace_back(std::make_unique<QProcess>());
            process->start(QStringLiteral(VELTRANE_CLI),
                           {QStringLiteral("run"), folder_.filePath(QStringLiteral("q.req")),
                            QStringLiteral("--directory"), slot.filePath(QStringLiteral("d.json")),
                            QStringLiteral("-o"), slot.filePath(QStringLiteral("out.txt"))});
        }
        std::vector<SweepOutcome> outcomes;
        for (size_t i = 0; i < trees.size(); ++i) {
            QProcess &process = *processes[i];
            process.waitForFinished(120000);
            const QDir slot(Slot(i));
            QFile written(slot.filePath(QStringLiteral("out.txt")));
            written.open(QIODevice::ReadOnly);
            outcomes.push_back(
                {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, written.readAll(),
                 QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 slot.entryList(QDir::Files | QDir::Hidden)});
        }
        return outcomes;
    }

    QString Slot(size_t i) const
    {
        const QString path = folder_.filePath(QString::number(i));
        QDir().mkpath(path);
        return path;
    }

    static void Write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QTemporaryDir folder_;
    QJsonObject directory_;
    QHash<QByteArray, SweepOutcome> known_;
};
