#include "directory/simulated/DirectoryFileReader.h"
#include "directory/simulated/SimulatedClient.h"

#include <QtTest>

namespace {

const QByteArray DefaultAttributes = R"({"name": "CN", "syntax": 3}, {"name": "O", "syntax": 3},
    {"name": "Count", "syntax": 8}, {"name": "Key", "syntax": 9}, {"name": "Flag", "syntax": 7},
    {"name": "Address", "syntax": 18}, {"name": "Net", "syntax": 12})";
const QByteArray DefaultClasses = R"({"name": "Top"}, {"name": "Organization", "flags": 3, "super": ["Top"]},
    {"name": "User", "flags": 2, "super": ["Top"]})";

// One tree "ACME" with O=Acme over the given children, and the pieces given in place
// of the usual ones.
QByteArray Document(const QByteArray &children, const QByteArray &treeExtra = {}, const QByteArray &top = {},
                    const QByteArray &attributes = DefaultAttributes, const QByteArray &classes = DefaultClasses)
{
    return "{" + top + R"("trees": [{"name": "ACME", "identity": "Admin.Acme", )" + treeExtra +
           R"("schema": {"attributes": [)" + attributes + R"(], "classes": [)" + classes +
           R"(]}, "objects": [{"name": "O=Acme", "class": "Organization", "children": [)" + children + "]}]}]}";
}

QByteArray User(const QByteArray &values)
{
    return R"({"name": "CN=jdoe", "class": "User", "values": {)" + values + "}}";
}

} // namespace

class TestDirectoryFile : public QObject
{
    Q_OBJECT

private slots:
    void theDemoAndTheFixtureLoad()
    {
        QString error;
        QVERIFY2(DirectoryFileReader::ReadDemo(&error), qPrintable(error));
        const auto model =
            DirectoryFileReader::ReadFile(QStringLiteral(VELTRANE_TEST_DATA "/directory-small.json"), &error);
        QVERIFY2(model, qPrintable(error));
        QCOMPARE(model->trees.size(), size_t(2));
        QCOMPARE(model->connections.size(), size_t(3));
        QCOMPARE(model->connections[2].tree, 0u);
    }

    void badFilesAreRefusedNamingFilePlaceAndFault_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("fault");

        const auto row = [](const char *name, const QByteArray &json, const QString &place, const QString &fault) {
            QTest::newRow(name) << json << place << fault;
        };
        // Rows whose text is the children of O=Acme.
        const auto child = [&row](const char *name, const QByteArray &children, const QString &place,
                                  const QString &fault) { row(name, Document(children), place, fault); };
        row("empty", "  ", "", "the file is empty");
        row("not closed", "{", "", "a member name is expected");
        row("no trees", "{}", "", "the file has no \"trees\"");
        row("tree list empty", R"({"trees": []})", "", "the file defines no tree");
        row("unknown member", Document({}, {}, R"("colour": 1, )"), "", "unknown member \"colour\"");
        row("text after the end", Document({}) + "x", "", "the text goes on after the end");
        row("tree without identity",
            R"({"trees": [{"name": "ACME", "schema": {"attributes": [], "classes": []}, "objects": []}]})",
            "tree \"ACME\"", "the tree has no \"identity\"");
        row("tree twice",
            R"({"trees": [{"name": "ACME", "identity": "", "schema": {"attributes": [], "classes": []}, "objects": []},
                          {"name": "acme", "identity": "", "schema": {"attributes": [], "classes": []}, "objects": []}]})",
            "tree 2", "tree \"acme\" is defined twice");
        row("syntax out of range", Document({}, {}, {}, R"({"name": "Odd", "syntax": 38})"),
            "tree \"ACME\", schema attribute \"Odd\"", "the syntax id must be from 0 to 37");
        row("attribute defined twice",
            Document({}, {}, {}, R"({"name": "CN", "syntax": 3}, {"name": "cn", "syntax": 3})"),
            "schema attribute \"cn\"", "the attribute is defined twice");
        row("unknown super class",
            Document({}, {}, {}, DefaultAttributes,
                     R"({"name": "Organization"}, {"name": "User", "super": ["Nobody"]})"),
            "schema class \"User\"", "\"super\" names class \"Nobody\", which the schema does not define");
        row("unknown mandatory attribute",
            Document({}, {}, {}, DefaultAttributes, R"({"name": "Organization", "mandatory": ["Shoe Size"]})"),
            "schema class \"Organization\"", "\"mandatory\" names attribute \"Shoe Size\"");
        row("super class cycle",
            Document({}, {}, {}, DefaultAttributes,
                     R"({"name": "Organization", "super": ["User"]}, {"name": "User", "super": ["Organization"]})"),
            "schema class \"Organization\"", "the super classes of the class lead back to it");
        child("unknown object class", R"({"name": "CN=jdoe", "class": "Robot"})", "object \"CN=jdoe.O=Acme\"",
              "class \"Robot\" is not defined in the schema");
        child("untyped name", R"({"name": "jdoe", "class": "User"})", "object 1 below \"O=Acme\"",
              "the object name \"jdoe\" is not a typed name");
        child("name with a dot", R"({"name": "CN=j.doe", "class": "User"})", "object 1 below \"O=Acme\"",
              "holds a \".\" without a backslash");
        child("same sibling names", R"({"name": "CN=x", "class": "User"}, {"name": "OU=X", "class": "User"})",
              "object 2 below \"O=Acme\"", "a sibling has the same name \"X\"");
        child("name too long", R"({"name": "CN=)" + QByteArray(250, 'a') + R"(", "class": "User"})",
              "object 1 below \"O=Acme\"", "the full name is longer than 256 bytes");
        child("object without class", R"({"name": "CN=jdoe"})", "object \"CN=jdoe.O=Acme\"",
              "the object has no \"class\"");
        child("values before the name", R"({"values": {"Shoe": ["x"]}, "name": "CN=x", "class": "User"})",
              "object 1 below \"O=Acme\", attribute \"Shoe\"", "the attribute is not defined in the schema");
        child("attribute not in the schema", User(R"("Shoe": ["x"])"),
              "tree \"ACME\", object \"CN=jdoe.O=Acme\", attribute \"Shoe\"",
              "the attribute is not defined in the schema");
        child("attribute twice", User(R"("CN": ["a"], "cn": ["b"])"), "attribute \"cn\"",
              "the attribute is given twice");
        child("no values", User(R"("CN": [])"), "attribute \"CN\"", "the attribute has no value");
        child("values not an array", User(R"("CN": "jdoe")"), "attribute \"CN\"",
              "the values of an attribute must be an array");
        child("text expected", User(R"("CN": [7])"), "attribute \"CN\"", "a value of syntax 3 must be a text");
        child("zero in a text", User(R"("CN": ["a\u0000b"])"), "attribute \"CN\"",
              "a value of syntax 3 holds a zero character");
        child("number expected", User(R"("Count": ["six"])"), "attribute \"Count\"",
              "a value of syntax 8 must be a whole number");
        child("fraction", User(R"("Count": [1.5])"), "attribute \"Count\"", "a whole number is expected");
        child("number out of range", User(R"("Count": [2147483648])"), "attribute \"Count\"",
              "a value of syntax 8 must be from -2147483648 to 2147483647");
        child("boolean out of range", User(R"("Flag": [256])"), "attribute \"Flag\"",
              "a value of syntax 7 must be from 0 to 255");
        child("bad hex digit", User(R"("Key": [{"hex": "0g"}])"), "attribute \"Key\"",
              "\"g\" is not a hexadecimal digit");
        child("odd hex digits", User(R"("Key": [{"hex": "abc"}])"), "attribute \"Key\"",
              "hexadecimal bytes need an even number of digits");
        child("text and hex", User(R"("Key": [{"hex": "ab", "text": "x"}])"), "attribute \"Key\"",
              "a value of syntax 9 must be {\"text\": ...} or {\"hex\": ...}");
        child("unknown member of a value", User(R"("Net": [{"type": 1, "hex": "00", "port": 5}])"), "attribute \"Net\"",
              "a value of syntax 12 has no member \"port\"");
        child("missing member of a value", User(R"("Net": [{"hex": "00"}])"), "attribute \"Net\"",
              "a value of syntax 12 needs \"type\"");
        child("five address lines", User(R"("Address": [["a", "b", "c", "d", "e"]])"), "attribute \"Address\"",
              "a value of syntax 18 must be an array of six texts");
        child("invalid UTF-8", User("\"CN\": [\"\xC3\x28\"]"), "attribute \"CN\"", "a text is not valid UTF-8");
        child("bad escape", User(R"("CN": ["\q"])"), "attribute \"CN\"", "a text holds an unknown escape");
        row("connection to an unknown tree", Document({}, {}, R"("connections": ["ACME", "NOWHERE__"], )"),
            "connection 2", "\"NOWHERE__\" names no tree of the file");
        row("unknown default context", Document({}, R"("defaultContext": "Sales.Acme", )"), "tree \"ACME\"",
            "the default context \"Sales.Acme\" names no object of the tree");
        row("fault of an unknown function", Document({}, R"("faults": [{"function": "NWDSFly", "result": -1}], )"),
            "tree \"ACME\", fault 1", "\"NWDSFly\" is not a function of the directory client");
        row("fault without result", Document({}, R"("faults": [{"function": "NWDSRead"}], )"), "fault 1",
            "the fault has no \"result\"");
        row("fault from 0", Document({}, R"("faults": [{"function": "NWDSRead", "result": -1, "from": 0}], )"),
            "fault 1", "\"from\" must be from 1 to 4294967295");
        // Long names are cut in messages: 255 bytes and a two-byte letter do not fit in
        // 256, so the cut comes before the letter.
        const QByteArray longName = QByteArray(255, 'n') + "\xC3\xA9" + QByteArray(100000, 'n');
        const QString cut = QString(255, QLatin1Char('n')) + QStringLiteral("...");
        child("long attribute name cut", User("\"" + longName + "\": [\"x\"]"), "attribute \"" + cut + "\"",
              "is not defined");
        row("long member name cut", Document({}, {}, "\"" + longName + "\": 1, "), "",
            "unknown member \"" + cut + "\"");
        row("long function name cut",
            Document({}, "\"faults\": [{\"function\": \"" + longName + "\", \"result\": -1}], "),
            "tree \"ACME\", fault 1", "\"" + cut + "\" is not a function");
        row("empty batch of a call without batches",
            Document({}, R"("faults": [{"function": "NWDSGetAttrVal", "emptyBatch": true}], )"), "fault 1",
            "an empty batch needs a function that reads in batches");
    }

    void badFilesAreRefusedNamingFilePlaceAndFault()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, place);
        QFETCH(QString, fault);
        // A bad file leaves the client serving what it had.
        std::unique_ptr<SimulatedClient> client =
            SimulatedClient::FromBytes(Document({}), QStringLiteral("good.json"), nullptr);
        QVERIFY(client);
        QString error;
        QVERIFY(!client->LoadBytes(json, QStringLiteral("bad.json"), &error));
        QVERIFY2(error.startsWith(QStringLiteral("bad.json, line ")), qPrintable(error));
        QVERIFY2(error.contains(place), qPrintable(error));
        QVERIFY2(error.contains(fault), qPrintable(error));
        QCOMPARE(client->Model().trees.size(), size_t(1));
        QCOMPARE(client->Model().trees[0]->objects.size(), size_t(2));
    }

    void theLineOfTheFaultIsGiven()
    {
        QString error;
        const QByteArray json = "{\n  \"trees\": [\n    {\"name\": 5}\n  ]\n}\n";
        QVERIFY(!DirectoryFileReader::ReadBytes(json, QStringLiteral("lines.json"), &error));
        QCOMPARE(error, QStringLiteral("lines.json, line 3: tree 1: the tree name must be a text"));
    }

    void aMissingFileIsNamed()
    {
        QString error;
        QVERIFY(!DirectoryFileReader::ReadFile(QStringLiteral("/nonexistent/dir.json"), &error));
        QVERIFY2(error.startsWith(QStringLiteral("/nonexistent/dir.json: the file cannot be opened")),
                 qPrintable(error));
    }

    void membersMayComeInAnyOrder()
    {
        const QByteArray json = "\xEF\xBB\xBF"
                                R"({"trees": [{"objects": [
              {"children": [{"class": "User", "values": {"CN": ["jdoe"]}, "name": "CN=jdoe"}],
               "class": "Organization", "name": "O=Acme"}],
            "defaultContext": "jdoe.acme", "faults": [{"result": -5, "function": "NWDSWhoAmi"}],
            "schema": {"classes": [{"name": "User", "flags": 2}, {"name": "Organization", "flags": 1}],
                       "attributes": [{"syntax": 3, "name": "CN"}]},
            "identity": "jdoe.Acme", "name": "ACME"}]})";
        QString error;
        std::unique_ptr<SimulatedClient> client =
            SimulatedClient::FromBytes(json, QStringLiteral("order.json"), &error);
        QVERIFY2(client, qPrintable(error));
        const NWDSContextHandle context = client->NWDSCreateContext();
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client->NWDSGetContext(context, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("CN=jdoe.O=Acme"));
        QCOMPARE(client->NWDSWhoAmi(context, text, sizeof text), -5);
    }

    void escapedDotsAndLettersBeyondAscii()
    {
        const QByteArray json =
            Document(QStringLiteral(R"({"name": "CN=j\\.doe", "class": "User"}, {"name": "CN=Émile", "class": "User"})")
                         .toUtf8());
        QString error;
        std::unique_ptr<SimulatedClient> client =
            SimulatedClient::FromBytes(json, QStringLiteral("names.json"), &error);
        QVERIFY2(client, qPrintable(error));
        const NWDSContextHandle context = client->NWDSCreateContext();
        QCOMPARE(client->NWDSSetContext(context, DCK_NAME_CONTEXT, "j\\.doe.Acme"), 0);
        QCOMPARE(client->NWDSSetContext(context, DCK_NAME_CONTEXT, QStringLiteral("ÉMILE.acme").toUtf8().constData()),
                 0);
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client->NWDSGetContext(context, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("CN=Émile.O=Acme"));
        QCOMPARE(client->NWDSSetContext(context, DCK_NAME_CONTEXT, "j.doe.Acme"), ERR_NO_SUCH_ENTRY);
    }

    void connectionsDefaultToOnePerTree()
    {
        QString error;
        const auto model = DirectoryFileReader::ReadBytes(Document({}), QStringLiteral("plain.json"), &error);
        QVERIFY2(model, qPrintable(error));
        QCOMPARE(model->connections.size(), size_t(1));
        QCOMPARE(model->connections[0].name, std::string("ACME"));
    }
};

QTEST_GUILESS_MAIN(TestDirectoryFile)
#include "test_directory_file.moc"
