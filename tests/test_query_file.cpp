#include "directory/LocaleFormats.h"
#include "query/QueryFile.h"
#include "query/QueryLayout.h"
#include "query/TProfileFile.h"

#include "FakeQuerySchema.h"
#include "QueryText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QString Fixture(const QString &name)
{
    return QStringLiteral(VELTRANE_TEST_DATA "/") + name;
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

FakeQuerySchema Schema()
{
    FakeQuerySchema schema;
    schema.classes[QStringLiteral("User")] = {{QStringLiteral("CN"), QStringLiteral("String")}};
    schema.classes[QStringLiteral("Organizational Unit")] = {{QStringLiteral("OU"), QStringLiteral("String")}};
    return schema;
}

// The window's state before a load: values that differ from every file default.
TQueryDefinition Current()
{
    TQueryDefinition current;
    current.className = QStringLiteral("Organizational Unit");
    current.context = QStringLiteral("OU=Now.O=Acme");
    current.fieldsonfirstline = false;
    current.usedelimiter = false;
    current.recursive = true;
    current.sortbycn = false;
    current.cleancontext = false;
    current.addcontainer = true;
    current.sqltop = true;
    current.Properties = {QStringLiteral("OU")};
    current.Filters.Add(QStringLiteral("OU"), tCondition(1, dtString, {}, {}, QStringLiteral("String"), true));
    return current;
}

TQueryFileLoad Load(const QString &text)
{
    FakeQuerySchema schema = Schema();
    return ReadQueryProfile(TProfileFile::FromText(text), Current(), schema);
}

TQueryDefinition ThreeRowQuery()
{
    TQueryDefinition query;
    query.className = QStringLiteral("User");
    query.context = QStringLiteral("OU=Sales.O=Acme");
    query.Properties = {QStringLiteral("CN"), QStringLiteral("Given Name"), QStringLiteral("Login Disabled")};
    query.Filters.Add(QStringLiteral("CN"), tCondition(0, dtString, {}, {}, QStringLiteral("String"), true));
    query.Filters.Add(QStringLiteral("Given Name"),
                      tCondition(6, dtString, QStringLiteral(" \"jean\" "), {}, QStringLiteral("String"), true));
    query.Filters.Add(QStringLiteral("Login Disabled"),
                      tCondition(3, dtBoolean, QStringLiteral("oui"), {}, QStringLiteral("Boolean"), false));
    return query;
}

} // namespace

class TestQueryFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France)); }
    void newFileLayout();
    void saveOverLongerQueryKeepsOldSections();
    void saveThenLoadGivesTheQuery();
    void missingCountsLoadNothing();
    void conditionDefaults();
    void emptyPropertyShiftsPairing();
    void largestIndexKeyIsRead();
    void longClassNameIsCutInItsMessage();
    void integersInFile();
    void layoutChoices_data();
    void layoutChoices();
    void defaultsComeFromCurrentState();
    void classLookup();
    void failedLoadsChangeNothing_data();
    void failedLoadsChangeNothing();
    void legacyEncoding();
    void refusedSaveOnBadPath();
    void refusedSaveKeepsOldFile();
    void failingSqlFileAfterQueryFile();
};

void TestQueryFile::newFileLayout()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.req"));
    const TQueryFileSave saved = SaveQueryFile(path, ThreeRowQuery());
    QVERIFY2(saved.status.IsOk(), qPrintable(saved.status.message));
    QVERIFY(saved.queryFileWritten);
    QCOMPARE(QString::fromUtf8(ReadBytes(path)),
             QStringLiteral("[options]\r\nclass=User\r\nseparator=Tab\r\nvalseparator=Space\r\ndelimiter=\"\r\n"
                            "filter=*\r\ncontext=OU=Sales.O=Acme\r\nfieldsonfirstline=1\r\nusedelimiter=1\r\n"
                            "recursive=0\r\nsortbycn=1\r\ncleancontext=1\r\naddcontainer=0\r\nsqltop=0\r\n"
                            "encoding=UTF-8\r\nformulaguard=0\r\nnbproperties=3\r\nnbfilters=3\r\n"
                            "[Properties]\r\n0=CN\r\n1=Given Name\r\n2=Login Disabled\r\n"
                            "[Filter0]\r\nop=0\r\ntip=2\r\nv1=\r\nv2=\r\ntn=String\r\ndisp=1\r\n"
                            "[Filter1]\r\nop=6\r\ntip=2\r\nv1=\" \"JEAN\" \"\r\nv2=\r\ntn=String\r\ndisp=1\r\n"
                            "[Filter2]\r\nop=3\r\ntip=3\r\nv1=TRUE\r\nv2=\r\ntn=Boolean\r\ndisp=0\r\n"));
    // The SQL text and the control file go beside it, extensions in capitals.
    QCOMPARE(QString::fromUtf8(ReadBytes(dir.filePath(QStringLiteral("q.SQL")))),
             QStringLiteral("SELECT CN,[Given Name]\r\nFROM User\r\n"
                            "WHERE [Given Name] LIKE \"% \"\"JEAN\"\" %\" AND [Login Disabled] = TRUE\r\n"
                            "ORDER BY CN\r\n"));
    QVERIFY(ReadBytes(dir.filePath(QStringLiteral("q.CTL"))).startsWith("CONTROLE IMPORTATION\r\n"));
}

void TestQueryFile::saveOverLongerQueryKeepsOldSections()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("five.REQ"));
    QVERIFY(QFile::copy(Fixture(QStringLiteral("five-conditions.REQ")), path));
    QVERIFY(SaveQueryFile(path, ThreeRowQuery()).status.IsOk());

    const TProfileFile stored = TProfileFile::FromText(QString::fromUtf8(ReadBytes(path)));
    QVERIFY(stored.HasKey(QStringLiteral("Filter3"), QStringLiteral("v1")));
    QVERIFY(stored.HasKey(QStringLiteral("Filter4"), QStringLiteral("tn")));
    QVERIFY(!stored.HasKey(QStringLiteral("Properties"), QStringLiteral("3")));
    QCOMPARE(stored.ReadString(QStringLiteral("options"), QStringLiteral("note"), {}), QStringLiteral("kept by hand"));
    QCOMPARE(stored.ReadString(QStringLiteral("Notes"), QStringLiteral("author"), {}), QStringLiteral("admin"));
    QCOMPARE(stored.ReadString(QStringLiteral("Filter1"), QStringLiteral("v1"), {}), QStringLiteral(" \"JEAN\" "));

    FakeQuerySchema schema = Schema();
    const TQueryFileLoad loaded = LoadQueryFile(path, Current(), schema);
    QVERIFY(loaded.status.IsOk());
    QCOMPARE(loaded.query.Filters.Count(), 3);
    QCOMPARE(DescribeRows(loaded.query.Filters), DescribeRows(ThreeRowQuery().Filters));
}

void TestQueryFile::saveThenLoadGivesTheQuery()
{
    TQueryDefinition query = ThreeRowQuery();
    query.separator = QStringLiteral(",");
    query.valseparator = QString();
    query.delimiter = QStringLiteral("'");
    query.filter = QStringLiteral("  Dup*");
    query.fieldsonfirstline = false;
    query.recursive = true;
    query.sqltop = true;
    query.Filters.Condition(1).v2 = QStringLiteral("'QUOTED'");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.REQ"));
    QVERIFY(SaveQueryFile(path, query).status.IsOk());
    FakeQuerySchema schema = Schema();
    const TQueryFileLoad loaded = LoadQueryFile(path, Current(), schema);
    QVERIFY(loaded.status.IsOk());
    QVERIFY(loaded.classRead);
    QCOMPARE(DescribeQuery(loaded.query), DescribeQuery(query));
}

void TestQueryFile::missingCountsLoadNothing()
{
    const TQueryFileLoad loaded = Load(QStringLiteral("[options]\nclass=User\n[Properties]\n0=CN\n[Filter0]\nop=1\n"));
    QVERIFY(loaded.status.IsOk());
    QVERIFY(loaded.query.Properties.isEmpty());
    QVERIFY(loaded.query.Filters.IsEmpty());
}

void TestQueryFile::conditionDefaults()
{
    const TQueryFileLoad loaded = Load(QStringLiteral("[options]\nnbproperties=1\nnbfilters=1\n"
                                                      "[Properties]\n0=CN\n[Filter0]\nop=3\nv1=abc\n"));
    QVERIFY(loaded.status.IsOk());
    // No disp: displayed; no tip: value kind 1; values upper-cased by the condition.
    QCOMPARE(DescribeRows(loaded.query.Filters), QStringLiteral("CN|3|1|ABC|||oui"));
}

void TestQueryFile::emptyPropertyShiftsPairing()
{
    const QString properties = QStringLiteral("[Properties]\n0=CN\n1=\n2=Surname\n3=Title\n"
                                              "[Filter0]\nop=1\n[Filter1]\nop=2\n[Filter2]\nop=0\n");
    TQueryFileLoad loaded = Load(QStringLiteral("[options]\nnbproperties=4\nnbfilters=3\n") + properties);
    QVERIFY(loaded.status.IsOk());
    QCOMPARE(loaded.query.Properties, (QStringList{"CN", "Surname", "Title"}));
    QCOMPARE(DescribeRows(loaded.query.Filters), QStringLiteral("CN|1|1||||oui\nSurname|2|1||||oui\nTitle|0|1||||oui"));

    // Equal counts: the last condition section has no property left.
    loaded = Load(QStringLiteral("[options]\nnbproperties=3\nnbfilters=3\n") + properties);
    QCOMPARE(loaded.status.kind, TQueryStatus::ConditionWithoutProperty);
    QCOMPARE(loaded.status.message, QStringLiteral("Index de liste hors limites (2)"));
}

void TestQueryFile::largestIndexKeyIsRead()
{
    // The key past which no index can go still counts as the last one present.
    const TQueryFileLoad loaded =
        Load(QStringLiteral("[options]\nnbproperties=2147483647\n[Properties]\n0=CN\n2147483647=CN\n"));
    QCOMPARE(loaded.status.message, QStringLiteral("Nombre de propriétés hors limites (2147483647)"));
    const TQueryFileLoad fits = Load(QStringLiteral("[options]\nnbproperties=2147483647\n[Properties]\n0=CN\n1=OU\n"));
    QCOMPARE(fits.query.Properties, (QStringList{"CN", "OU"}));
}

void TestQueryFile::longClassNameIsCutInItsMessage()
{
    const QString name(100000, QLatin1Char('x'));
    const TQueryFileLoad loaded = Load(QStringLiteral("[options]\nclass=") + name + QStringLiteral("\n"));
    QCOMPARE(loaded.status.message, QStringLiteral("La classe %1... n'est pas dans votre shéma").arg(name.left(255)));
}

void TestQueryFile::integersInFile()
{
    const TQueryFileLoad loaded = Load(QStringLiteral("[options]\nnbproperties=0x2\nnbfilters=2\nsqltop=0x0\n"
                                                      "recursive=yes\n[Properties]\n0=CN\n1=Mail\n"
                                                      "[Filter0]\nop=abc\ntip=0x4\ndisp=0x10\n"
                                                      "[Filter1]\nop=99\ntip=7\ndisp=0\n"));
    QVERIFY(loaded.status.IsOk());
    QCOMPARE(loaded.query.sqltop, false);
    QCOMPARE(loaded.query.recursive, true); // not a number: the current state
    // op not a number: 0; codes and kinds outside their tables: "aucune" and unknown.
    QCOMPARE(DescribeRows(loaded.query.Filters), QStringLiteral("CN|0|4||||oui\nMail|0|0||||non"));
}

void TestQueryFile::layoutChoices_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("chars");
    QTest::newRow("separator item") << "separator"
                                    << ","
                                    << ","
                                    << ",";
    QTest::newRow("Tab in capitals") << "separator"
                                     << "TAB"
                                     << "Tab"
                                     << "\t";
    QTest::newRow("typed separator") << "separator"
                                     << "|"
                                     << "|"
                                     << "\t";
    QTest::newRow("value separator Tab") << "valseparator"
                                         << "tab"
                                         << "Tab"
                                         << "\t";
    QTest::newRow("value separator empty item") << "valseparator"
                                                << ""
                                                << ""
                                                << "";
    QTest::newRow("typed value separator") << "valseparator"
                                           << "/"
                                           << "/"
                                           << " ";
    QTest::newRow("apostrophe delimiter") << "delimiter"
                                          << "'"
                                          << "'"
                                          << "'";
    QTest::newRow("typed delimiter") << "delimiter"
                                     << "*"
                                     << "*"
                                     << "";
}

void TestQueryFile::layoutChoices()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, loaded);
    QFETCH(QString, chars);
    TProfileFile profile;
    profile.WriteString(QStringLiteral("options"), key, stored);
    FakeQuerySchema schema = Schema();
    const TQueryDefinition query = ReadQueryProfile(profile, Current(), schema).query;
    using namespace QueryLayout;
    if (key == QLatin1String("separator")) {
        QCOMPARE(query.separator, loaded);
        QCOMPARE(SeparatorChars(query.separator), chars);
    } else if (key == QLatin1String("valseparator")) {
        QCOMPARE(query.valseparator, loaded);
        QCOMPARE(ValSeparatorChars(query.valseparator), chars);
    } else {
        QCOMPARE(query.delimiter, loaded);
        QCOMPARE(DelimiterChars(true, query.delimiter), chars);
        QCOMPARE(DelimiterChars(false, query.delimiter), QString());
    }
}

void TestQueryFile::defaultsComeFromCurrentState()
{
    const TQueryFileLoad loaded = Load(QStringLiteral("[unrelated]\nx=1\n"));
    QVERIFY(loaded.status.IsOk());
    QVERIFY(!loaded.classRead);
    TQueryDefinition expected = Current();
    expected.Properties.clear();
    expected.Filters.Clear();
    // The layout choices and the filter fall back to the start-up items, the rest to
    // the current state.
    QCOMPARE(DescribeQuery(loaded.query), DescribeQuery(expected));
}

void TestQueryFile::classLookup()
{
    const TQueryFileLoad loaded = Load(QStringLiteral("[OPTIONS]\nCLASS=user\n"));
    QVERIFY(loaded.status.IsOk());
    QVERIFY(loaded.classRead);
    QCOMPARE(loaded.query.className, QStringLiteral("User"));
}

void TestQueryFile::failedLoadsChangeNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("class not in schema") << "[options]\nclass=Printer\nnbproperties=1\n[Properties]\n0=CN\n"
                                         << int(TQueryStatus::ClassNotInSchema)
                                         << "La classe Printer n'est pas dans votre shéma";
    QTest::newRow("condition without property")
        << "[options]\nclass=User\ncontext=O=Else\nnbproperties=1\nnbfilters=2\n[Properties]\n0=CN\n"
        << int(TQueryStatus::ConditionWithoutProperty) << "Index de liste hors limites (1)";
    QTest::newRow("absurd property index")
        << "[options]\nclass=User\nnbproperties=2147483647\n[Properties]\n0=CN\n2147483646=CN\n"
        << int(TQueryStatus::FileError) << "Nombre de propriétés hors limites (2147483647) dans ";
    QTest::newRow("unreadable file") << "" << int(TQueryStatus::FileError) << "Ne peut lire ";
    const QString start = QStringLiteral("[options]\nclass=User\nnbproperties=1\n[Properties]\n0=CN\n;");
    QTest::newRow("file over 16 MiB") << start + QString(16 * 1024 * 1024 + 1 - start.size(), QLatin1Char('x'))
                                      << int(TQueryStatus::FileError) << "Ne peut lire %1 : le fichier dépasse 16 Mo";
}

void TestQueryFile::failedLoadsChangeNothing()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.REQ"));
    if (!file.isEmpty())
        QVERIFY(WriteBytes(path, file.toUtf8()));
    if (message.contains(QLatin1String("%1")))
        message = message.arg(path);
    else if (message.endsWith(QLatin1Char(' ')))
        message += path;

    // The window applies a load only when it succeeds; nothing half-read comes back.
    TQueryDefinition window = Current();
    const QString before = DescribeQuery(window);
    FakeQuerySchema schema = Schema();
    TQueryFileLoad loaded = LoadQueryFile(path, window, schema);
    QCOMPARE(int(loaded.status.kind), kind);
    QCOMPARE(loaded.status.message, message);
    if (loaded.status.IsOk())
        window = std::move(loaded.query);
    QCOMPARE(DescribeQuery(window), before);
    QVERIFY(loaded.query.Properties.isEmpty() && loaded.query.Filters.IsEmpty());
}

void TestQueryFile::legacyEncoding()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("legacy.REQ"));
    QVERIFY(QFile::copy(Fixture(QStringLiteral("legacy-1252.REQ")), path));
    FakeQuerySchema schema = Schema();
    const TQueryFileLoad loaded = LoadQueryFile(path, Current(), schema);
    QVERIFY(loaded.status.IsOk());
    QCOMPARE(loaded.query.context, QStringLiteral("OU=Comptabilité.O=Acme"));
    QCOMPARE(loaded.query.filter, QStringLiteral("Bé*"));
    QCOMPARE(DescribeRows(loaded.query.Filters), QStringLiteral("Description|6|2|ÉTÉ||String|oui"));

    // Saved back as UTF-8, keys it does not write keeping their accents.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(SaveQueryFile(path, loaded.query).status.IsOk());
    const QByteArray bytes = ReadBytes(path);
    QVERIFY(bytes.contains("author=Ren\xC3\xA9"
                           "e\r\n"));
    QVERIFY(bytes.contains("context=OU=Comptabilit\xC3\xA9.O=Acme\r\n"));
}

void TestQueryFile::refusedSaveOnBadPath()
{
    QTemporaryDir dir;
    QVERIFY(WriteBytes(dir.filePath(QStringLiteral("plain")), "x"));
    const QString path = dir.filePath(QStringLiteral("plain/q.REQ"));
    const TQueryFileSave saved = SaveQueryFile(path, ThreeRowQuery());
    QCOMPARE(saved.status.kind, TQueryStatus::FileError);
    QCOMPARE(saved.status.message, QStringLiteral("Ne peut écrire dans ") + path);
    QVERIFY(!saved.queryFileWritten);
}

void TestQueryFile::refusedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("five.REQ"));
    QVERIFY(QFile::copy(Fixture(QStringLiteral("five-conditions.REQ")), path));
    const QByteArray before = ReadBytes(path);

    // A disk that takes no more than a few bytes per file (file size limit; the tests
    // run as root, so permissions would not refuse anything).
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const TQueryFileSave saved = SaveQueryFile(path, ThreeRowQuery());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(saved.status.kind, TQueryStatus::FileError);
    QCOMPARE(saved.status.message, QStringLiteral("Ne peut écrire dans ") + path);
    QVERIFY(!saved.queryFileWritten);
    QCOMPARE(ReadBytes(path), before);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("five.SQL"))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("five.REQ")});
}

void TestQueryFile::failingSqlFileAfterQueryFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("q.SQL")));
    const QString path = dir.filePath(QStringLiteral("q.REQ"));
    const TQueryFileSave saved = SaveQueryFile(path, ThreeRowQuery());
    QVERIFY(saved.queryFileWritten);
    QCOMPARE(saved.status.kind, TQueryStatus::FileError);
    QCOMPARE(saved.status.message, QStringLiteral("Ne peut écrire dans ") + dir.filePath(QStringLiteral("q.SQL")));
    QVERIFY(QFile::exists(path));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("q.CTL"))));
}

QTEST_GUILESS_MAIN(TestQueryFile)
#include "test_query_file.moc"
