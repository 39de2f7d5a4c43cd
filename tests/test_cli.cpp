// End-to-end tests of veltrane-cli over fixture directory files: the results text is
// compared byte for byte.

#include "WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>

namespace {

const QString kDirectory = QStringLiteral(VELTRANE_TEST_DATA "/cli/acme.json");

struct Outcome {
    int status = -1;
    QByteArray out;
    QString err;
};

// A query file of the fixture: User objects under Acme, sorted, recursive, no
// delimiter, CN and Surname without conditions; options replaces or adds keys.
QByteArray Query(const QStringList &options = {}, const QStringList &properties = {"CN", "Surname"},
                 const QStringList &filters = {})
{
    QStringList settings{"class=User",  "separator=Tab", "valseparator=Space",  "usedelimiter=0", "context=Acme",
                         "recursive=1", "sortbycn=1",    "fieldsonfirstline=1", "cleancontext=1"};
    for (const QString &option : options) {
        const QString key = option.section('=', 0, 0) + '=';
        const auto known = std::find_if(settings.begin(), settings.end(),
                                        [&](const QString &setting) { return setting.startsWith(key); });
        if (known != settings.end())
            *known = option;
        else
            settings << option;
    }
    QStringList lines{"[options]"};
    lines << settings;
    lines << QStringLiteral("nbproperties=%1").arg(properties.size());
    lines << QStringLiteral("nbfilters=%1").arg(filters.size());
    lines << "[Properties]";
    for (int i = 0; i < properties.size(); ++i)
        lines << QStringLiteral("%1=%2").arg(i).arg(properties.at(i));
    for (int i = 0; i < filters.size(); ++i)
        lines << QStringLiteral("[Filter%1]").arg(i) << filters.at(i).split('|');
    return lines.join("\r\n").toUtf8() + "\r\n";
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Lines(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + "\r\n";
    return text;
}

class Cli
{
public:
    Cli() { QVERIFY(folder_.isValid()); }

    QString Path(const QString &name) const { return folder_.filePath(name); }

    QString Write(const QString &name, const QByteArray &content) const
    {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    Outcome Run(const QStringList &arguments, const QString &shellPrefix = {}) const
    {
        QProcess process;
        if (shellPrefix.isEmpty()) {
            process.start(VELTRANE_CLI, arguments);
        } else {
            QStringList quoted;
            for (const QString &argument : arguments)
                quoted << QLatin1Char('\'') + argument + QLatin1Char('\'');
            process.start("bash", {"-c", shellPrefix + " exec " VELTRANE_CLI " " + quoted.join(' ')});
        }
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    Outcome RunQuery(const QByteArray &query, const QStringList &extra = {}) const
    {
        return Run(QStringList{"run", Write("query.req", query), "--directory", kDirectory} + extra);
    }

private:
    QTemporaryDir folder_;
};

// A named pipe held open for reading and never read: a writer blocks once it is full.
struct PipeNobodyReads {
    explicit PipeNobodyReads(const QString &name) : path(name)
    {
        if (::mkfifo(path.toLocal8Bit().constData(), 0600) != 0)
            qFatal("cannot make the pipe %s", qPrintable(path));
        reader = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    }
    ~PipeNobodyReads() { ::close(reader); }
    PipeNobodyReads(const PipeNobodyReads &) = delete;
    PipeNobodyReads &operator=(const PipeNobodyReads &) = delete;

    // Whether the pipe filled up within a minute, as full as whole writes leave it and
    // for a while: its writer is then blocked.
    bool WaitUntilFull() const
    {
        const int capacity = ::fcntl(reader, F_GETPIPE_SZ);
        int last = -1;
        int still = 0;
        for (int waited = 0; waited < 60000; waited += 10) {
            int held = 0;
            ::ioctl(reader, FIONREAD, &held);
            still = held == last ? still + 1 : 0;
            last = held;
            if (held >= capacity - PIPE_BUF && still >= 30)
                return true;
            QThread::msleep(10);
        }
        return false;
    }

    QString path;
    int reader = -1;
};

// The fixture directory with 50,000 more users, in an organizational unit Many.
QString ManyUsers(const Cli &cli)
{
    QByteArray users;
    for (int i = 0; i < 50000; ++i)
        users += QStringLiteral(R"({"name":"CN=u%1","class":"User","values":{"CN":["u%1"]}},)").arg(i).toUtf8();
    users.chop(1);
    QFile fixture(kDirectory);
    if (!fixture.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(kDirectory));
    QByteArray json = fixture.readAll();
    json.replace(R"({ "name": "CN=admin")", "{\"name\":\"OU=Many\",\"class\":\"Organizational Unit\",\"children\":[" +
                                                users + "]},\n{ \"name\": \"CN=admin\"");
    return cli.Write("many.json", json);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void fieldNamesWithContainer()
    {
        Cli cli;
        const Outcome run = cli.RunQuery(Query({"addcontainer=1"}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, Lines({"Contexte\tCN\tSurname", "Acme\tadmin\tAdmin", "Sales.Acme\tAlice\tMartin",
                                 "Sales.Acme\tbob\t", "Sales.Acme\t\t", "Team.Sales.Acme\tjack\tJackson",
                                 "Sales.Acme\tjdoe\tDoe", "Staff.Acme\tzoe\tZola"}));
        QVERIFY(run.err.contains("7 objets analysés\n7 lignes trouvées\n"));
    }

    void delimiters_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("double quote") << QStringList{"usedelimiter=1", "delimiter=\"", "separator=;"}
                                      << Lines({"\"CN\";\"Title\"", "\"jdoe\";\"Jean \"\"JJ\"\" Dupont\""});
        QTest::newRow("apostrophe") << QStringList{"usedelimiter=1", "delimiter='", "separator=,"}
                                    << Lines({"'CN','Title'", "'jdoe','Jean \"JJ\" Dupont'"});
        QTest::newRow("none") << QStringList{"usedelimiter=0", "delimiter=\"", "separator=."}
                              << Lines({"CN.Title", "jdoe.Jean \"JJ\" Dupont"});
    }
    void delimiters()
    {
        QFETCH(QStringList, options);
        Cli cli;
        const Outcome run =
            cli.RunQuery(Query(options, {"CN", "Title"}, {"op=3|v1=jdoe|tn=String|tip=2", "op=0|tn=String"}));
        QCOMPARE(run.status, 0);
        QTEST(run.out, "expected");
    }

    void emptyFieldsAreEnclosedToo()
    {
        Cli cli;
        const Outcome run = cli.RunQuery(Query({"usedelimiter=1", "separator=;", "fieldsonfirstline=0"},
                                               {"CN", "Surname"}, {"op=3|v1=bob", "op=0"}));
        QCOMPARE(run.out, Lines({"\"bob\";\"\""}));
    }

    void valueSeparators_data()
    {
        QTest::addColumn<QString>("valseparator");
        QTest::addColumn<QString>("joined");
        QTest::newRow("space") << "Space"
                               << "01 02 03 04 05 06";
        QTest::newRow("comma") << ","
                               << "01 02 03,04 05 06";
        QTest::newRow("semicolon") << ";"
                                   << "01 02 03;04 05 06";
        QTest::newRow("dot") << "."
                             << "01 02 03.04 05 06";
        QTest::newRow("tab") << "tab"
                             << "01 02 03\t04 05 06";
        QTest::newRow("empty") << ""
                               << "01 02 0304 05 06";
        QTest::newRow("typed") << "/"
                               << "01 02 03 04 05 06"; // not an item: a blank
    }
    void valueSeparators()
    {
        QFETCH(QString, valseparator);
        QFETCH(QString, joined);
        Cli cli;
        const Outcome run = cli.RunQuery(Query({"valseparator=" + valseparator, "fieldsonfirstline=0"},
                                               {"CN", "Telephone Number"}, {"op=3|v1=jdoe", "op=0"}));
        QCOMPARE(run.out, Lines({"jdoe\t" + joined}));
    }

    void shortNames_data()
    {
        QTest::addColumn<QString>("cleancontext");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("short") << "1" << Lines({"jdoe,x\t0 USERS\\JDOE SYS,extra"});
        QTest::newRow("full")
            << "0" << Lines({"NDS:\\\\ACME\\Acme\\Sales\\jdoe,x\t0 USERS\\JDOE NDS:\\\\ACME\\Acme\\SYS,extra"});
    }
    void shortNames()
    {
        QFETCH(QString, cleancontext);
        Cli cli;
        const Outcome run =
            cli.RunQuery(Query({"cleancontext=" + cleancontext, "fieldsonfirstline=0"},
                               {"Description", "Home Directory"}, {"op=1|tn=String", "op=0|tn=NWPath"}));
        QTEST(run.out, "expected");
    }

    void listingOrderWithoutSorting()
    {
        Cli cli;
        const Outcome run = cli.RunQuery(Query({"sortbycn=0", "fieldsonfirstline=0"}, {"CN"}));
        QCOMPARE(run.out, Lines({"jdoe", "Alice", "jack", "bob", "", "zoe", "admin"}));
    }

    void recursionAndNameFilter_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("not recursive") << QStringList{"recursive=0"} << Lines({"admin"});
        QTest::newRow("J*") << QStringList{"filter=J*"} << Lines({"jack", "jdoe"});
        QTest::newRow("*") << QStringList{"filter=*", "context=Staff.Acme"} << Lines({"zoe"});
        QTest::newRow("own name only") << QStringList{"filter=Sales"} << QByteArray();
    }
    void recursionAndNameFilter()
    {
        QFETCH(QStringList, options);
        Cli cli;
        const Outcome run = cli.RunQuery(Query(options + QStringList{"fieldsonfirstline=0"}, {"CN"}));
        QCOMPARE(run.status, 0);
        QTEST(run.out, "expected");
    }

    void nothingFoundIsSaid()
    {
        Cli cli;
        const Outcome run = cli.RunQuery(Query({"context=Team.Sales.Acme", "filter=Z"}, {"CN"}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray());
        QVERIFY(run.err.contains(" Aucun objet trouvé\n"));
    }

    void unmetConditionLeavesSqlTextAndFieldNames()
    {
        Cli cli;
        const Outcome run = cli.RunQuery(Query({"sqltop=1"}, {"CN", "Surname"}, {"op=3|v1=nobody", "op=0"}));
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out,
                 Lines({"SELECT CN,Surname", "FROM User", "WHERE CN = \"NOBODY\"", "ORDER BY CN", "CN\tSurname"}));
        QVERIFY(run.err.contains("7 objets analysés\n0 lignes trouvées\n"));
    }

    void missingPropertyAndUnreadableObject()
    {
        Cli cli;
        // "n'existe pas" keeps objects without a Surname; the unreadable object has no
        // value at all, so it is kept too, with its reports on standard error.
        const Outcome run = cli.RunQuery(Query({"fieldsonfirstline=0"}, {"CN", "Surname"}, {"op=0", "op=2"}));
        QCOMPARE(run.out, Lines({"bob\t", "\t"}));
        const QString report =
            "While reading attributes for broken.Sales.Acme. The Requested object could not be read!";
        QCOMPARE(run.err.count(report + "\n"), 4);
        // "existe" on CN rejects it.
        const Outcome exists = cli.RunQuery(Query({"fieldsonfirstline=0"}, {"CN"}, {"op=1"}));
        QCOMPARE(exists.out, Lines({"admin", "Alice", "bob", "jack", "jdoe", "zoe"}));
    }

    void conditionOnNumbers()
    {
        Cli cli;
        const Outcome run = cli.RunQuery(
            Query({"fieldsonfirstline=0"}, {"CN", "Login Grace Limit"}, {"op=0", "op=11|v1=8|tn=Long|tip=1"}));
        QCOMPARE(run.out, Lines({"Alice\t10", "bob\t9"}));
    }

    void invalidQueriesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QString>("message");
        QTest::newRow("condition") << Query({}, {"CN"}, {"op=3"})
                                   << "nombre d'arguments invalide (1 attendu)pour 'égal'";
        QTest::newRow("kind") << Query({}, {"Login Grace Limit"}, {"op=6|v1=1"})
                              << "Type de données 'entier' invalide pour l'opérateur 'contient'";
        QTest::newRow("class") << QByteArray("[options]\r\nclass=Printer\r\n") << "Printer";
        QTest::newRow("hidden display") << Query({}, {"CN"}, {"op=0|disp=0"})
                                        << "Vous devez afficher une propriété sans conditions!";
    }
    void invalidQueriesAreRefused()
    {
        QFETCH(QByteArray, query);
        QFETCH(QString, message);
        Cli cli;
        const QString out = cli.Path("out.txt");
        cli.Write("out.txt", "old");
        const Outcome run = cli.RunQuery(query, {"-o", out});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QFile kept(out);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old"));
    }

    void outputFileIsWrittenWhole()
    {
        Cli cli;
        const QString out = cli.Path("out.txt");
        const Outcome run = cli.RunQuery(Query({"context=Staff.Acme"}), {"-o", out});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray());
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), Lines({"CN\tSurname", "zoe\tZola"}));
        // A run with no line still writes the file, empty.
        QCOMPARE(cli.RunQuery(Query({"context=Team.Sales.Acme", "filter=Z"}), {"-o", out}).status, 0);
        QCOMPARE(QFileInfo(out).size(), 0);
    }

    // A directory like the fixture's where a title reads as a formula and names carry
    // characters that Windows-1252 holds (é, €) or does not (ł).
    void encodingsAndFormulaGuard()
    {
        Cli cli;
        QFile fixture(kDirectory);
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        QByteArray json = fixture.readAll();
        json.replace("Chef, ventes", "=1+1").replace("\"Martin\"", "\"Mart\u00e9n \u20ac\"");
        const QString directory = cli.Write("formula.json", json);
        const QByteArray query = Query({"context=Sales.Acme", "recursive=0", "fieldsonfirstline=0"}, {"CN", "Title"},
                                       {"op=3|v1=Alice|tn=String|tip=2", "op=0|tn=String"});
        const auto run = [&](const QByteArray &q, const QStringList &extra) {
            return cli.Run(QStringList{"run", cli.Write("q.req", q), "--directory", directory} + extra);
        };
        QCOMPARE(run(query, {}).out, Lines({"Alice\t=1+1"}));
        // The query's key, and the options over it both ways.
        QCOMPARE(run(Query({"context=Sales.Acme", "recursive=0", "fieldsonfirstline=0", "formulaguard=1"},
                           {"CN", "Title"}, {"op=3|v1=Alice|tn=String|tip=2", "op=0|tn=String"}),
                     {})
                     .out,
                 Lines({"Alice\t'=1+1"}));
        QCOMPARE(run(query, {"--formula-guard"}).out, Lines({"Alice\t'=1+1"}));
        QCOMPARE(run(Query({"context=Sales.Acme", "recursive=0", "fieldsonfirstline=0", "formulaguard=1"},
                           {"CN", "Title"}, {"op=3|v1=Alice|tn=String|tip=2", "op=0|tn=String"}),
                     {"--no-formula-guard"})
                     .out,
                 Lines({"Alice\t=1+1"}));

        const QByteArray surname = Query({"context=Sales.Acme", "recursive=0"}, {"CN", "Surname"},
                                         {"op=3|v1=Alice|tn=String|tip=2", "op=0|tn=String"});
        QCOMPARE(run(surname, {}).out, QByteArray("CN\tSurname\r\nAlice\tMart\xC3\xA9n \xE2\x82\xAC\r\n"));
        QCOMPARE(run(surname, {"--encoding", "utf-8-bom"}).out,
                 QByteArray("\xEF\xBB\xBF"
                            "CN\tSurname\r\nAlice\tMart\xC3\xA9n \xE2\x82\xAC\r\n"));
        QCOMPARE(run(surname, {"--encoding", "cp1252"}).out, QByteArray("CN\tSurname\r\nAlice\tMart\xE9n \x80\r\n"));
        QCOMPARE(run(Query({"context=Sales.Acme", "recursive=0", "encoding=windows-1252"}, {"CN", "Surname"},
                           {"op=3|v1=Alice|tn=String|tip=2", "op=0|tn=String"}),
                     {})
                     .out,
                 QByteArray("CN\tSurname\r\nAlice\tMart\xE9n \x80\r\n"));
        QCOMPARE(run(surname, {"--encoding", "latin9"}).status, 2);

        // A character the code page lacks: refused with its place, and no file.
        json.replace("\"Mart\u00e9n \u20ac\"", "\"Ma\u0142\"");
        cli.Write("formula.json", json);
        const QString out = cli.Path("out.txt");
        const Outcome refused = run(surname, {"--encoding", "cp1252", "-o", out});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(QStringLiteral(
                     "Le caractère U+0142 de la ligne 2, colonne 9 ne peut pas être écrit en Windows-1252.")),
                 qPrintable(refused.err));
        QVERIFY(!QFile::exists(out));
    }

    void workbooksHoldTheFieldsAsText()
    {
        Cli cli;
        const QString out = cli.Path("out.xlsx");
        const QByteArray query =
            Query({"usedelimiter=1", "separator=;", "sqltop=1"}, {"CN", "Title", "Telephone Number"},
                  {"op=3|v1=jdoe|tn=String|tip=2", "op=0|tn=String", "op=0|tn=String"});
        const Outcome run = cli.RunQuery(query, {"-o", out});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray());
        const QJsonArray sheets = ReadWorkbook(out);
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(SheetTexts(sheets.at(0).toObject()),
                 (QList<QStringList>{{"SELECT CN,Title,[Telephone Number]"},
                                     {"FROM User"},
                                     {"WHERE CN = \"JDOE\""},
                                     {"ORDER BY CN"},
                                     {"CN", "Title", "Telephone Number"},
                                     {"jdoe", "Jean \"JJ\" Dupont", "01 02 03 04 05 06"}}));
        QCOMPARE(sheets.at(0).toObject().value("freeze").toString(), QStringLiteral("A6"));
        // Text on request whatever the name; a workbook never goes to standard output.
        QCOMPARE(cli.RunQuery(query, {"-o", out, "--format", "text"}).status, 0);
        QVERIFY(QFile(out).open(QIODevice::ReadOnly));
        QCOMPARE(cli.RunQuery(query, {"--format", "xlsx"}).status, 2);
        // A failed workbook leaves no file.
        const QString missing = cli.Path("missing/out.xlsx");
        const Outcome failed = cli.RunQuery(query, {"-o", missing});
        QCOMPARE(failed.status, 1);
        QVERIFY(failed.err.contains(QStringLiteral("Ne peut écrire dans %1").arg(missing)));
    }

    void writeFailuresStopTheRun()
    {
        Cli cli;
        const QString query = cli.Write("query.req", Query());
        const Outcome closed = cli.Run({"run", query, "--directory", kDirectory}, ">&-");
        QCOMPARE(closed.status, 1);
        QVERIFY(closed.err.contains("sortie standard"));
        // A file that cannot grow past 1 KiB: nothing is left at the output path.
        QByteArray big = Query({"fieldsonfirstline=1"}, QStringList(400, "CN"));
        const QString out = cli.Path("big.txt");
        const Outcome full =
            cli.Run({"run", cli.Write("big.req", big), "--directory", kDirectory, "-o", out}, "ulimit -f 1;");
        QCOMPARE(full.status, 1);
        QVERIFY(full.err.contains("Ne peut écrire dans"));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(QDir(cli.Path(".")).entryList({"big.txt*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    // Every output of -o, written while no file may grow past N bytes: for each N
    // below the output's size the run fails naming the file and leaves the earlier file
    // whole, with nothing beside it; from that size on it writes the whole output.
    void everyOutputSurvivesAFullDisk()
    {
        Cli cli;
        const QString query = cli.Write("q.req", Query({"fieldsonfirstline=1"}, QStringList(300, "CN"), {"op=1"}));
        const QString sql = cli.Write("q.sql", "SELECT CN,Surname\r\nFROM User\r\nWHERE CN IS NOT NULL\r\n");
        const QList<QStringList> commands = {{"run", query, "--directory", kDirectory},
                                             {"run", query, "--directory", kDirectory, "--format", "xlsx"},
                                             {"sql", query},
                                             {"ctl", query},
                                             {"from-sql", sql, "--directory", kDirectory}};
        const QByteArray old = "earlier contents\r\n";
        for (const QStringList &command : commands) {
            const bool workbook = command.contains("xlsx");
            const QString out = cli.Path(workbook ? "out.xlsx" : "out.txt");
            QCOMPARE(cli.Run(command + QStringList{"-o", out}).status, 0);
            const qint64 size = QFileInfo(out).size();
            const QByteArray whole = ReadAll(out);
            const QList<QStringList> cells =
                workbook ? SheetTexts(ReadWorkbook(out).at(0).toObject()) : QList<QStringList>();
            // Every small limit, then a sixteenth of the output at a time and one byte short.
            QList<qint64> limits = {size - 1};
            for (qint64 limit = 0; limit < size - 1; limit += (limit < 16 ? 1 : std::max<qint64>(size / 16, 1)))
                limits << limit;
            for (const qint64 limit : limits) {
                cli.Write(QFileInfo(out).fileName(), old);
                const Outcome full = cli.Run(command + QStringList{"-o", out},
                                             QStringLiteral("trap '' XFSZ; prlimit --pid $$ --fsize=%1:;").arg(limit));
                const QByteArray where = command.first().toUtf8() + " " + QByteArray::number(limit);
                QVERIFY2(full.status == 1, where);
                QVERIFY2(full.err.contains("Ne peut écrire dans " + out), qPrintable(full.err));
                QVERIFY2(ReadAll(out) == old, where);
                QVERIFY2(QDir(cli.Path(".")).entryList({"*out*"}, QDir::Files | QDir::Hidden) ==
                             QStringList{QFileInfo(out).fileName()},
                         where + " " +
                             QDir(cli.Path(".")).entryList({"*out*"}, QDir::Files | QDir::Hidden).join(' ').toUtf8());
            }
            const Outcome fits = cli.Run(
                command + QStringList{"-o", out},
                QStringLiteral("trap '' XFSZ; prlimit --pid $$ --fsize=%1:;").arg(workbook ? 100 * size : size));
            QVERIFY2(fits.status == 0, qPrintable(command.join(' ') + fits.err));
            if (workbook)
                QCOMPARE(SheetTexts(ReadWorkbook(out).at(0).toObject()), cells);
            else
                QCOMPARE(ReadAll(out), whole);
            QFile::remove(out);
        }
    }

    void treesAreSwitched()
    {
        Cli cli;
        const QByteArray query = "[options]\r\nclass=User\r\ncontext=Lab\r\nfieldsonfirstline=0\r\nusedelimiter=0\r\n"
                                 "nbproperties=1\r\n[Properties]\r\n0=CN\r\n";
        QCOMPARE(cli.RunQuery(query, {"--tree", "lab"}).out, Lines({"labuser"}));
        const Outcome unknown = cli.RunQuery(query, {"--tree", "NOPE"});
        QCOMPARE(unknown.status, 2);
        QVERIFY(unknown.err.contains("NOPE"));
    }

    void badUsageAndFiles()
    {
        Cli cli;
        QCOMPARE(cli.Run({}).status, 2);
        QCOMPARE(cli.Run({"run"}).status, 2);
        QCOMPARE(cli.Run({"sql", "q.req", "--directory", "x"}).status, 2);
        QCOMPARE(cli.Run({"from-sql", "q.sql"}).status, 2);
        const Outcome missing = cli.Run({"run", cli.Path("none.req"), "--directory", kDirectory});
        QCOMPARE(missing.status, 1);
        const Outcome badDirectory =
            cli.Run({"run", cli.Write("q.req", Query()), "--directory", cli.Path("none.json")});
        QCOMPARE(badDirectory.status, 1);
        QVERIFY(badDirectory.err.contains("none.json"));
        // Time limits are whole seconds, for a server.
        const Outcome noSeconds = cli.Run({"run", "q.req", "--ldap", "ldap://a", "--operation-timeout", "0"});
        QCOMPARE(noSeconds.status, 2);
        QVERIFY(noSeconds.err.contains("--operation-timeout needs a number of seconds from 1 to 86400"));
        const Outcome noServer = cli.Run({"run", "q.req", "--directory", kDirectory, "--network-timeout", "5"});
        QCOMPARE(noServer.status, 2);
        QVERIFY(noServer.err.contains("go with --ldap or --client"));
    }

    void renderedFilesAndSqlRoundTrip()
    {
        Cli cli;
        const QString query =
            cli.Write("q.req", Query({"sqltop=0"}, {"CN", "Telephone Number"}, {"op=5|v1=j|tn=String|tip=2", "op=1"}));
        const Outcome sql = cli.Run({"sql", query});
        QCOMPARE(sql.status, 0);
        QCOMPARE(sql.out, Lines({"SELECT CN,[Telephone Number]", "FROM User",
                                 "WHERE CN LIKE \"J%\" AND [Telephone Number] IS NOT NULL", "ORDER BY CN"}));
        const Outcome ctl = cli.Run({"ctl", query});
        QCOMPARE(ctl.status, 0);
        QVERIFY(ctl.out.startsWith("CONTROLE IMPORTATION\r\n"));

        // The SQL text read back gives a query file with the same SQL text.
        const QString rebuilt = cli.Path("rebuilt.req");
        QCOMPARE(cli.Run({"from-sql", cli.Write("q.sql", sql.out), "--directory", kDirectory, "-o", rebuilt}).status,
                 0);
        QCOMPARE(cli.Run({"sql", rebuilt}).out, sql.out);
        const Outcome bad = cli.Run({"from-sql", cli.Write("bad.sql", "SELECT CN\r\nFROM Printer\r\n"), "--directory",
                                     kDirectory, "-o", cli.Path("bad.req")});
        QCOMPARE(bad.status, 2);
        QVERIFY(!QFile::exists(cli.Path("bad.req")));
    }

    void interruptCancelsAndLeavesNoFile()
    {
        Cli cli;
        // A directory large enough that the run is still going when the signal comes.
        const QString directory = ManyUsers(cli);
        const QString out = cli.Path("out.txt");
        QProcess process;
        process.setReadChannel(QProcess::StandardError);
        process.start(VELTRANE_CLI, {"run", cli.Write("q.req", Query()), "--directory", directory, "-o", out});
        QVERIFY(process.waitForStarted());
        // The unreadable object of Sales is reported while the names are collected,
        // before those of Many: the run is under way when the signal comes.
        QByteArray reports;
        while (!reports.contains("broken.Sales.Acme") && process.waitForReadyRead(60000))
            reports += process.readAllStandardError();
        QVERIFY(reports.contains("broken.Sales.Acme"));
        // A pid of 0 would signal the whole process group, the test's own included.
        QVERIFY(process.processId() > 0);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(!QFile::exists(out));
    }

    void secondInterruptEndsABlockedRunAtOnce()
    {
        Cli cli;
        const QString query = cli.Write("q.req", Query());
        // Standard output is a pipe that is never read: the run blocks once it is full.
        const PipeNobodyReads pipe(cli.Path("pipe"));
        QProcess process;
        process.setStandardOutputFile(pipe.path);
        process.start(VELTRANE_CLI, {"run", query, "--directory", ManyUsers(cli)});
        QVERIFY(process.waitForStarted());
        QVERIFY(pipe.WaitUntilFull());
        const pid_t pid = pid_t(process.processId());
        QVERIFY(pid > 0);
        ::kill(pid, SIGINT);
        QTest::qWait(100);
        ::kill(pid, SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 130);
    }

    // Two signals at once (different ones, so that neither is lost pending): the second
    // ends the run at once, and the temporary file beside the output goes with it.
    void secondInterruptLeavesNoTemporaryFile_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("text") << "out.txt";
        QTest::newRow("workbook") << "out.xlsx";
    }
    void secondInterruptLeavesNoTemporaryFile()
    {
        QFETCH(QString, output);
        Cli cli;
        const QString query = cli.Write("q.req", Query());
        const QString directory = ManyUsers(cli);
        const QStringList before = QDir(cli.Path(".")).entryList(QDir::Files | QDir::Hidden);
        QProcess process;
        process.setReadChannel(QProcess::StandardError);
        process.start(VELTRANE_CLI, {"run", query, "--directory", directory, "-o", cli.Path(output)});
        QVERIFY(process.waitForStarted());
        QByteArray reports;
        while (!reports.contains("broken.Sales.Acme") && process.waitForReadyRead(60000))
            reports += process.readAllStandardError();
        QVERIFY(reports.contains("broken.Sales.Acme"));
        const pid_t pid = pid_t(process.processId());
        QVERIFY(pid > 0);
        ::kill(pid, SIGINT);
        ::kill(pid, SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(QDir(cli.Path(".")).entryList(QDir::Files | QDir::Hidden), before);
    }

    void interruptWhileAFileIsRead()
    {
        Cli cli;
        // Nobody writes to the pipe: opening the query file blocks until the signal.
        const QString pipe = cli.Path("query.req");
        QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
        QProcess process;
        process.start(VELTRANE_CLI, {"sql", pipe, "-o", cli.Path("out.sql")});
        QVERIFY(process.waitForStarted());
        // Time to start and block in the open.
        QTest::qWait(1000);
        const pid_t pid = pid_t(process.processId());
        QVERIFY(pid > 0);
        ::kill(pid, SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(!QFile::exists(cli.Path("out.sql")));
    }

    void interruptWhileOutputIsWritten()
    {
        Cli cli;
        QStringList properties;
        QStringList filters;
        for (int i = 0; i < 10000; ++i) {
            properties << QStringLiteral("Property %1").arg(i);
            filters << "op=3|tip=1|v1=value|disp=1";
        }
        const QString query = cli.Write("q.req", Query({}, properties, filters));
        const PipeNobodyReads pipe(cli.Path("pipe"));
        QProcess process;
        process.setStandardOutputFile(pipe.path);
        process.start(VELTRANE_CLI, {"sql", query});
        QVERIFY(process.waitForStarted());
        QVERIFY(pipe.WaitUntilFull());
        const pid_t pid = pid_t(process.processId());
        QVERIFY(pid > 0);
        ::kill(pid, SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 130);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
