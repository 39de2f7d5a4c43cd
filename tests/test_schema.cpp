#include "ReportingDirectory.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(tDataType)

namespace {

enum Read { Classes, Attributes, Layouts };

// A schema of `count` attributes of 200-character names, too many for one batch.
QByteArray ManyAttributes(int count)
{
    QByteArray json = R"({"trees": [{"name": "BIG", "identity": "Admin", "schema": {"attributes": [)";
    for (int i = 0; i < count; ++i)
        json += (i ? "," : "") + QByteArray(R"({"name": ")") + QByteArray::number(i).rightJustified(200, 'a') +
                R"(", "syntax": 3})";
    return json + R"(], "classes": []}, "objects": []}]})";
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private:
    void Open(std::unique_ptr<ReportingDirectory> directory)
    {
        QVERIFY2(directory->Client, qPrintable(directory->Error));
        QCOMPARE(directory->NDS->LastError, 0);
        directory_ = std::move(directory);
        nds_ = directory_->NDS.get();
    }
    void AddFault(const QString &function, int32_t result, uint32_t from = 1)
    {
        QVERIFY2(directory_->AddFault(function, result, from), qPrintable(directory_->Error));
    }
    const QStringList &Reports() const { return directory_->Reports; }

    std::unique_ptr<ReportingDirectory> directory_;
    tNDS *nds_ = nullptr;

private slots:
    void init()
    {
        Open(std::make_unique<ReportingDirectory>(QStringLiteral(VELTRANE_TEST_DATA "/schema-directory.json")));
    }

    void syntaxOfAttributes_data()
    {
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<QString>("syntaxName");
        QTest::addColumn<tDataType>("dataType");
        QTest::newRow("timestamp") << "last modified"
                                   << "NWTimeStamp" << dtString;
        QTest::newRow("time") << "LOGIN TIME"
                              << "date" << dtDate;
        QTest::newRow("counter") << "Revision"
                                 << "Long" << dtInteger;
        QTest::newRow("replica pointer") << "Replica"
                                         << "inconnu" << dtUnknown;
    }
    void syntaxOfAttributes()
    {
        QFETCH(QString, attribute);
        QFETCH(QString, syntaxName);
        QFETCH(tDataType, dataType);
        QVERIFY(nds_->GetAllAttributeDefinitions(true));
        const tNDSAttribut *definition = nds_->AttributeDefs->Find(attribute);
        QVERIFY(definition);
        QCOMPARE(definition->SyntaxName, syntaxName);
        QCOMPARE(definition->DataType, dataType);
    }

    void propertySyntaxNameReadsDefinitionsOnce()
    {
        QVERIFY(nds_->AttributeDefs->IsEmpty());
        QCOMPARE(nds_->PropertySyntaxName(QStringLiteral("User"), QStringLiteral("home directory")), "NWPath");
        QCOMPARE(nds_->AttributeDefs->Count(), 16);
        AddFault(QStringLiteral("NWDSReadAttrDef"), ERR_INVALID_REQUEST);
        QCOMPARE(nds_->PropertySyntaxName(QStringLiteral("User"), QStringLiteral("Nothing")), "inconnu");
        QVERIFY(Reports().isEmpty());
    }

    void hiddenAttributesLeftOutOnlyWhenAsked()
    {
        QVERIFY(nds_->GetAllAttributeDefinitions(false));
        QCOMPARE(nds_->AttributeDefs->Count(), 14);
        QVERIFY(!nds_->AttributeDefs->Find(QStringLiteral("Private Key")));
        QVERIFY(nds_->GetAllAttributeDefinitions(true));
        QCOMPARE(nds_->AttributeDefs->Count(), 16);
        QVERIFY(nds_->AttributeDefs->Find(QStringLiteral("Private Key")));
    }

    void refillingKeepsOneEntryEach()
    {
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(nds_->GetAllClassesDefinitions());
            QVERIFY(nds_->GetAllAttributeDefinitions(true));
        }
        QStringList classes;
        for (const auto &[name, definition] : *nds_->ClassDefs)
            classes << definition->Name;
        QCOMPARE(classes, QStringList({"Marker", "Organization", "Person", "Top", "User"}));
        QCOMPARE(nds_->ClassDefs->Find(QStringLiteral("user"))->Info.classFlags, DS_EFFECTIVE_CLASS);
        QCOMPARE(nds_->AttributeDefs->Count(), 16);
    }

    void layouts_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<int>("which");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("properties, inherited included") << "user" << 5 << QStringList{"CN",
                                                                                      "Surname",
                                                                                      "Object Class",
                                                                                      "Login Time",
                                                                                      "Last Modified",
                                                                                      "Login Grace Limit",
                                                                                      "Home Directory",
                                                                                      "Title",
                                                                                      "Description",
                                                                                      "Back Link"};
        QTest::newRow("properties, no optional") << "Marker" << 5 << QStringList{"CN"};
        QTest::newRow("no optional") << "Marker" << 4 << QStringList{};
        QTest::newRow("super classes") << "User" << 0 << QStringList{"Person", "Top"};
        QTest::newRow("containment") << "User" << 1 << QStringList{"Organization"};
        QTest::newRow("naming") << "User" << 2 << QStringList{"CN"};
        QTest::newRow("mandatory") << "User" << 3 << QStringList{"CN", "Surname", "Object Class"};
    }
    void layouts()
    {
        QFETCH(QString, className);
        QFETCH(int, which);
        QFETCH(QStringList, names);
        const std::optional<QStringList> layout = nds_->GetAllLayouts(className, tLayoutList(which));
        QVERIFY(layout);
        QCOMPARE(*layout, names);
        QVERIFY(Reports().isEmpty());
    }

    void layoutOfUnknownClass()
    {
        QVERIFY(!nds_->GetAllLayouts(QStringLiteral("Nope"), tLayoutList::MandatoryThenOptional));
        QCOMPARE(nds_->LastError, ERR_NO_SUCH_CLASS);
        QCOMPARE(Reports(), QStringList{"NWDSReadClassDef Failed for Nope in GetAllLayouts\rError Code: -604"});
    }

    void attributeReadEndingWith603KeepsWhatItRead()
    {
        Open(std::make_unique<ReportingDirectory>(ManyAttributes(600)));
        AddFault(QStringLiteral("NWDSReadAttrDef"), ERR_NO_SUCH_ATTRIBUTE, 2);
        QVERIFY(!nds_->GetAllAttributeDefinitions(true));
        QVERIFY(Reports().isEmpty());
        QCOMPARE(nds_->LastError, ERR_NO_SUCH_ATTRIBUTE);
        QVERIFY(nds_->AttributeDefs->Count() > 0);
        QVERIFY(nds_->AttributeDefs->Count() < 600);
    }

    void failures_data()
    {
        QTest::addColumn<int>("read");
        QTest::addColumn<QString>("function");
        QTest::addColumn<uint>("from");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kept");
        const QString allocClasses = "NWDSAllocBuf Outbuf(*8) Failed in GetAllClassesDefinitions\rError Code: ";
        QTest::newRow("classes, output buffer") << int(Classes) << "NWDSAllocBuf" << 2u << allocClasses << 0;
        QTest::newRow("classes, init") << int(Classes) << "NWDSInitBuf" << 1u
                                       << "NWDSInitBuf Failed in GetAllClassesDefinitions\rError Code: " << 0;
        QTest::newRow("classes, read") << int(Classes) << "NWDSReadClassDef" << 1u
                                       << "NWDSReadClassDef Failed  in GetAllClassesDefinitions\rError Code: " << 0;
        QTest::newRow("classes, third definition")
            << int(Classes) << "NWDSGetClassDef" << 3u
            << "NWDSGetClassDef Failed  in GetAllClassesDefinitions\rError Code: " << 2;
        QTest::newRow("classes, item") << int(Classes) << "NWDSGetClassItem" << 1u
                                       << "NWDSGetClassItem Failed  in GetAllClassesDefinitions\rError Code: " << 1;
        QTest::newRow("attributes, buffer") << int(Attributes) << "NWDSAllocBuf" << 1u
                                            << "NWDSAllocBuf Failed in GetAllAttributeDefinitions\rError Code: " << 0;
        QTest::newRow("attributes, read") << int(Attributes) << "NWDSReadAttrDef" << 1u
                                          << "NWDSRead Failed in GetAllAttributeDefinitions\rError Code: " << 0;
        QTest::newRow("attributes, count")
            << int(Attributes) << "NWDSGetAttrCount" << 1u
            << "NWDSGetAttrCount Failed in GetAllAttributeDefinitions\rError Code: " << 0;
        QTest::newRow("attributes, fifth definition")
            << int(Attributes) << "NWDSGetAttrDef" << 5u
            << "NWDSGetAttrDef Failed in GetAllAttributeDefinitions\rError Code: " << 4;
        QTest::newRow("layout, input buffer")
            << int(Layouts) << "NWDSAllocBuf" << 1u << "NWDSAllocBuf Failed for InBuf GetAllLayouts\rError Code: " << 0;
        QTest::newRow("layout, output buffer") << int(Layouts) << "NWDSAllocBuf" << 2u
                                               << "NWDSAllocBuf Failed for OutBuf in GetAllLayouts\rError Code: " << 0;
        QTest::newRow("layout, init") << int(Layouts) << "NWDSInitBuf" << 1u
                                      << "NWDSInitBuf Failed for inbuf in GetAllLayouts\rError Code: " << 0;
        QTest::newRow("layout, class name") << int(Layouts) << "NWDSPutClassName" << 1u
                                            << "NWDSPutClassName Failed for User in GetAllLayouts\rError Code: " << 0;
        QTest::newRow("layout, fourth item") << int(Layouts) << "NWDSGetClassItem" << 4u
                                             << "NWDSGetClassItem Failed for User in GetAllLayouts\rError Code: " << 0;
    }
    void failures()
    {
        QFETCH(int, read);
        QFETCH(QString, function);
        QFETCH(uint, from);
        QFETCH(QString, text);
        QFETCH(int, kept);
        AddFault(function, ERR_INVALID_REQUEST, from);
        switch (read) {
        case Classes:
            QVERIFY(!nds_->GetAllClassesDefinitions());
            QCOMPARE(nds_->ClassDefs->Count(), kept);
            break;
        case Attributes:
            QVERIFY(!nds_->GetAllAttributeDefinitions(true));
            QCOMPARE(nds_->AttributeDefs->Count(), kept);
            break;
        default:
            QVERIFY(!nds_->GetAllLayouts(QStringLiteral("User"), tLayoutList::MandatoryThenOptional));
        }
        QCOMPARE(nds_->LastError, ERR_INVALID_REQUEST);
        QCOMPARE(Reports(), QStringList{text + QString::number(ERR_INVALID_REQUEST)});
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
