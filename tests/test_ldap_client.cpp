// The LDAP client against a slapd of its own, through the connection and the object
// reader as the rest of the program uses them.

#include "ClientListing.h"
#include "LdapFixture.h"
#include "SlapdServer.h"
#include "directory/TNW4Object.h"
#include "directory/ldap/LdapClient.h"
#include "directory/ldap/LdapResult.h"
#include "directory/tNDS.h"

#include <QProcess>
#include <QTest>

#include <sys/stat.h>

#include <algorithm>

class TestLdapClient : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    QString passwordFile_;

    LdapServerConfig Admin() const { return LdapFixture::Admin(server_, passwordFile_); }

    struct Session {
        std::unique_ptr<LdapClient> client;
        std::unique_ptr<tNDS> nds;
        QStringList reports;
        QString error;
    };

    std::unique_ptr<Session> Open(const LdapServerConfig &config)
    {
        auto session = std::make_unique<Session>();
        session->client = LdapClient::Connect({config}, {}, &session->error);
        if (session->client)
            session->nds = std::make_unique<tNDS>(
                *session->client,
                DirectoryHooks{[s = session.get()](const QString &text) { s->reports << text; }, {}, {}});
        return session;
    }

    // Lists the users of Sales.Acme, as a run does before it reads them.
    static void ListSales(tNDS &nds)
    {
        nds.EnumObjects(
            "Sales.Acme", false, 0, [](const QString &, const TNDSObj &, int32_t, bool &) {}, "inetOrgPerson");
    }

    // Replaces the values of attribute of the entry dn on the server.
    bool Replace(const char *dn, const char *attribute, const char *value) const
    {
        return LdapFixture::Tool(
            server_, "ldapmodify",
            QStringLiteral("dn: %1\nchangetype: modify\nreplace: %2\n%2: %3\n").arg(dn, attribute, value));
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QString error;
        server_.LogOperations();
        QVERIFY2(LdapFixture::Start(server_, &error), qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
    }

    void treeIdentityAndContexts()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        QCOMPARE(nds.LastError, 0);
        QCOMPARE(nds.TreeName, "ACME");
        QCOMPARE(nds.UserName, "admin.Acme");
        QCOMPARE(nds.CurrentContext, "Acme");
        QCOMPARE(nds.GetContainers(), QStringList({"..", "Sales", "Many"}));
        // A listing of containers asks only for what it needs, and keeps nothing partial.
        QCOMPARE(TNW4Object(nds, "Sales.Acme").GetValues("ou"), QStringList{"Sales"});
        QVERIFY(nds.ChangeContext("Sales.Acme"));
        QCOMPARE(nds.GetContainers(), QStringList({"..", "Staff"}));
        QVERIFY(nds.ChangeContext(".."));
        QVERIFY(nds.ChangeContext(".."));
        QCOMPARE(nds.CurrentContext, "[Root]");
        QCOMPARE(nds.GetContainers(), QStringList({"Acme"}));
        QVERIFY(nds.ChangeContext("OU=Staff.OU=Sales.O=Acme"));
        QCOMPARE(nds.CurrentContext, "Staff.Sales.Acme");
        QVERIFY(!nds.ChangeContext("Nowhere.Acme"));
        QCOMPARE(nds.LastError, ERR_NO_SUCH_ENTRY);
        QCOMPARE(nds.CurrentContext, "Staff.Sales.Acme");
    }

    void schemaFromTheSubschemaEntry()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        QVERIFY(nds.GetAllClassesDefinitions());
        const tNDSClass *person = nds.ClassDefs->Find("inetOrgPerson");
        const tNDSClass *top = nds.ClassDefs->Find("top");
        const tNDSClass *unit = nds.ClassDefs->Find("organizationalUnit");
        QVERIFY(person && top && unit);
        QCOMPARE(person->Info.classFlags, DS_EFFECTIVE_CLASS);
        QCOMPARE(top->Info.classFlags & DS_EFFECTIVE_CLASS, 0u);
        QCOMPARE(unit->Info.classFlags, DS_EFFECTIVE_CLASS | DS_CONTAINER_CLASS);

        const auto supers = nds.GetAllLayouts("inetOrgPerson", tLayoutList::SuperClasses);
        QVERIFY(supers);
        QCOMPARE(*supers, QStringList({"organizationalPerson", "person", "top"}));
        const auto properties = nds.GetAllLayouts("inetOrgPerson", tLayoutList::MandatoryThenOptional);
        QVERIFY(properties);
        // Own and inherited (nearest class first), mandatory first, each once.
        QCOMPARE(properties->mid(0, 3), QStringList({"sn", "cn", "objectClass"}));
        QVERIFY(properties->contains("telephoneNumber"));
        QCOMPARE(properties->count("description"), 1);
        QVERIFY(!nds.GetAllLayouts("noSuchClass", tLayoutList::MandatoryThenOptional));

        QCOMPARE(nds.PropertySyntaxName({}, "telephoneNumber"), "String");
        QCOMPARE(nds.PropertySyntaxName({}, "jpegPhoto"), "NWOctetString");
        QCOMPARE(nds.PropertySyntaxName({}, "employeeNumber"), "String");
        QCOMPARE(nds.PropertySyntaxName({}, "manager"), "String");
        // cn takes its syntax from its super type name.
        QCOMPARE(nds.AttributeDefs->Find("cn")->Info.attrSyntaxID, uint32_t(SYN_CI_STRING));
    }

    void listingsPageThroughLargeContainers()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        QStringList found;
        session->nds->EnumObjects(
            "Acme", true, 0,
            [&](const QString &container, const TNDSObj &entry, int32_t, bool &) {
                found << entry.EntryName + "." + container;
            },
            "inetOrgPerson");
        QCOMPARE(found.size(), LdapFixture::ManyUsers + 4);
        QVERIFY(found.contains("jdoe.Sales.Acme"));
        QVERIFY(found.contains("bob.Staff.Sales.Acme"));
        QVERIFY(found.contains("j\\.smith.Sales.Acme"));
        QVERIFY(found.contains("Roe, Ann+ann.Sales.Acme"));
        QVERIFY(found.contains("user1199.Many.Acme"));
        QCOMPARE(found.removeDuplicates(), 0);
        QVERIFY(session->reports.isEmpty());
    }

    void sizeLimitIsAFailureNotTheEnd()
    {
        LdapServerConfig anonymous = Admin();
        anonymous.bindDn.clear();
        auto session = Open(anonymous);
        QVERIFY2(session->client, qPrintable(session->error));
        QCOMPARE(session->nds->UserName, "");
        TNDSObj record;
        int32_t result = ListFirst(*session->nds, session->nds->Context, "Many.Acme", false, record);
        int listed = 0;
        while (result == 0) {
            ++listed;
            result = ListNext(record);
        }
        QCOMPARE(result, LdapResult::ERR_LDAP_BASE - 4);
        QVERIFY(listed <= LdapFixture::AnonymousLimit);
        QVERIFY(listed > 0);
    }

    void limitsEndTheEnumerationWithTheirReport()
    {
        // Reached on the first page (cn=small) and after two pages (anonymous): the
        // enumeration hands out what came before, then reports the limit and ends.
        const auto enumerate = [this](const QString &bindDn, const QString &container, QStringList &found,
                                      QStringList &reports) {
            LdapServerConfig config = Admin();
            config.bindDn = bindDn;
            auto session = Open(config);
            if (!session->client)
                qFatal("%s", qPrintable(session->error));
            const int32_t result = session->nds->EnumObjects(
                container, true, 0,
                [&](const QString &in, const TNDSObj &entry, int32_t, bool &) { found << entry.EntryName + "." + in; },
                "inetOrgPerson");
            reports = session->reports;
            return result;
        };
        const QString sizeReport = "NWDSList Failed for Many.Acme\rError Code: -5004\r"
                                   "the server's size limit was reached: Size limit exceeded";
        QStringList found;
        QStringList reports;
        QCOMPARE(enumerate("cn=small,o=Acme", "Many.Acme", found, reports), LdapResult::ERR_LDAP_BASE - 4);
        QCOMPARE(found.size(), LdapFixture::SmallLimit);
        QCOMPARE(reports, QStringList{sizeReport});

        // A nested level that fails ends the enclosing ones with one report.
        found.clear();
        QCOMPARE(enumerate({}, "Acme", found, reports), LdapResult::ERR_LDAP_BASE - 4);
        QCOMPARE(found.filter(".Many.Acme").size(), LdapFixture::AnonymousLimit);
        QCOMPARE(reports, QStringList{sizeReport});

        // The candidates a search may examine: refused with the server's words.
        found.clear();
        const int32_t refused = enumerate("cn=unchecked,o=Acme", "Many.Acme", found, reports);
        QVERIFY(refused != 0 && refused != -1);
        QVERIFY(found.isEmpty());
        QCOMPARE(reports.size(), 1);
        QVERIFY2(
            reports.front().startsWith(QStringLiteral("NWDSList Failed for Many.Acme\rError Code: %1\r").arg(refused)),
            qPrintable(reports.front()));
    }

    void readsValuesAsRecordsOfTheirSyntax()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        TNW4Object jdoe(nds, "jdoe.Sales.Acme");
        QCOMPARE(jdoe.CommonName, "jdoe");
        QVERIFY(jdoe.HasAttribute("SURNAME") == false);
        QVERIFY(jdoe.HasAttribute("SN"));
        QCOMPARE(jdoe.GetValues("telephoneNumber"), QStringList({"+1 555 0100", "+1 555 0101"}));
        QCOMPARE(jdoe.GetValues("postalAddress"), QStringList({"1 Main St", "Springfield", "", "", "", ""}));
        QCOMPARE(jdoe.GetValues("jpegPhoto")->mid(0, 3),
                 QStringList({"Length: 4 octets", "Data Hex:", "00 01 02 FF "}));
        QVERIFY(!jdoe.GetValues("mail"));

        // Typed names, and names that needed escapes, read the same objects.
        TNW4Object typed(nds, "CN=jdoe.OU=Sales.O=Acme");
        QCOMPARE(typed.GetFirstValue("sn"), "Doe");
        TNW4Object dotted(nds, "j\\.smith.Sales.Acme");
        QCOMPARE(dotted.GetFirstValue("sn"), "Smith");
        TNW4Object multi(nds, "Roe, Ann+ann.Sales.Acme");
        QCOMPARE(multi.GetCN(), "Roe, Ann");
        QVERIFY(session->reports.isEmpty());

        TNW4Object missing(nds, "nobody.Sales.Acme");
        QCOMPARE(missing.CommonName, "");
        QCOMPARE(nds.LastError, ERR_NO_SUCH_ENTRY);
        QCOMPARE(session->reports.size(), 1);
    }

    void aNewListingReadsAfresh()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        QCOMPARE(TNW4Object(nds, "jdoe.Sales.Acme").GetFirstValue("givenName"), "John");
        QVERIFY(Replace("cn=jdoe,ou=Sales,o=Acme", "givenName", "Jack"));
        // What was read serves the reads until the next listing, which reads afresh.
        QCOMPARE(TNW4Object(nds, "jdoe.Sales.Acme").GetFirstValue("givenName"), "John");
        ListSales(nds);
        QCOMPARE(TNW4Object(nds, "jdoe.Sales.Acme").GetFirstValue("givenName"), "Jack");
        QVERIFY(Replace("cn=jdoe,ou=Sales,o=Acme", "givenName", "John"));
        QVERIFY(session->reports.isEmpty());
    }

    void aRunsReadsComeWithItsListingAndEndWithIt()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        nds.ExpectReads({"CN", "Surname"}, false);
        ListSales(nds);
        TNW4Object first(nds, "jdoe.Sales.Acme");
        QCOMPARE(first.GetFirstValue("sn"), "Doe");
        // A second run reads other properties: its listing fetches them.
        nds.ExpectReads({"CN", "telephoneNumber"}, false);
        ListSales(nds);
        TNW4Object second(nds, "jdoe.Sales.Acme");
        QCOMPARE(second.GetValues("telephoneNumber"), QStringList({"+1 555 0100", "+1 555 0101"}));
        // Once the run is over, an object shows all its attributes again.
        nds.ExpectReads({}, false);
        TNW4Object after(nds, "jdoe.Sales.Acme");
        QCOMPARE(after.GetFirstValue("givenName"), "John");
        QCOMPARE(after.GetFirstValue("sn"), "Doe");
        QVERIFY(session->reports.isEmpty());
    }

    void aRunThatDescendsFindsWhatLiesBelowAnyEntry()
    {
        // jdoe's class is no container class, but an entry lies below it.
        QVERIFY(LdapFixture::Tool(server_, "ldapadd", LdapFixture::HelperLdif));
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        QStringList found;
        nds.ExpectReads({"CN"}, true);
        nds.EnumObjects(
            "Sales.Acme", true, 0,
            [&](const QString &container, const TNDSObj &entry, int32_t, bool &) {
                found << entry.EntryName + "." + container;
            },
            "inetOrgPerson");
        nds.ExpectReads({}, false);
        QVERIFY(LdapFixture::Tool(server_, "ldapdelete", LdapFixture::HelperDn));
        QVERIFY2(found.contains("helper.jdoe.Sales.Acme"), qPrintable(found.join('|')));
        QVERIFY(session->reports.isEmpty());
    }

    void aNameNeverHandedOutIsFoundBelowAListedContainer()
    {
        // Bound as small, a listing of Many.Acme ends at the server's size limit: the
        // users past it are never handed out, and listing the container to find one of
        // them would end there again.
        LdapServerConfig small = Admin();
        small.bindDn = "cn=small,o=Acme";
        auto session = Open(small);
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        QCOMPARE(nds.EnumObjects(
                     "Many.Acme", false, 0, [](const QString &, const TNDSObj &, int32_t, bool &) {}, "inetOrgPerson"),
                 LdapResult::ERR_LDAP_BASE - 4);
        QCOMPARE(session->reports.size(), 1);
        // The entries listed were named cn=…: the name is tried so, and found at once.
        TNW4Object last(nds, "user1199.Many.Acme");
        QCOMPARE(last.GetFirstValue("sn"), "S1199");
        QCOMPARE(session->reports.size(), 1);
    }

    void readsOfListedObjectsAskTheServerNothing()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        nds.ExpectReads({"CN", "Surname"}, false);
        QStringList names;
        nds.EnumObjects(
            "Many.Acme", false, 0,
            [&](const QString &container, const TNDSObj &entry, int32_t, bool &) {
                names << entry.EntryName + "." + container;
            },
            "inetOrgPerson");
        QCOMPARE(names.size(), LdapFixture::ManyUsers);
        const int searches = server_.Searches();
        QVERIFY(searches > 0);
        // Read as a run reads them, in another order than listed.
        std::sort(names.begin(), names.end());
        for (const QString &name : names) {
            TNW4Object object(nds, name);
            QCOMPARE(object.GetFirstValue("sn"), "S" + name.section('.', 0, 0).mid(4));
        }
        QCOMPARE(server_.Searches(), searches);
        // A name written in other letters than handed out is the same object.
        QCOMPARE(TNW4Object(nds, "USER0007.many.ACME").GetFirstValue("sn"), "S0007");
        nds.ExpectReads({}, false);
        QVERIFY(session->reports.isEmpty());
    }

    void aContainerListedIsReadWithOneSearch()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        // A listing of containers keeps no values: their names are remembered instead.
        TNDSObj record;
        int32_t result = ListFirst(nds, nds.Context, "Acme", true, record);
        QStringList containers;
        for (; result == 0; result = ListNext(record))
            containers << record.EntryName;
        QCOMPARE(result, -1);
        QVERIFY2(containers.contains("Sales"), qPrintable(containers.join('|')));
        const int searches = server_.Searches();
        QCOMPARE(TNW4Object(nds, "Sales.Acme").GetFirstValue("ou"), "Sales");
        QCOMPARE(server_.Searches(), searches + 1);
        QVERIFY(session->reports.isEmpty());
    }

    void anObjectListedBeforeAnotherListingIsStillRead()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        nds.ExpectReads({"CN", "givenName"}, false);
        ListSales(nds);
        nds.EnumObjects(
            "Many.Acme", false, 0, [](const QString &, const TNDSObj &, int32_t, bool &) {}, "inetOrgPerson");
        // What Sales.Acme's listing kept is gone; its names still lead to the objects.
        QCOMPARE(TNW4Object(nds, "jdoe.Sales.Acme").GetFirstValue("givenName"), "John");
        nds.ExpectReads({}, false);
        QVERIFY(session->reports.isEmpty());
    }

    void aListingLeftEarlyLeavesTheNextWhole()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        tNDS &nds = *session->nds;
        const auto count = [&nds](bool stopAtOnce) {
            int found = 0;
            nds.EnumObjects(
                "Many.Acme", false, 0,
                [&](const QString &, const TNDSObj &, int32_t, bool &stop) {
                    ++found;
                    stop = stopAtOnce;
                },
                "inetOrgPerson");
            return found;
        };
        // The first listing stops with its next page asked for and never taken.
        QCOMPARE(count(true), 1);
        QCOMPARE(count(false), LdapFixture::ManyUsers);
        QCOMPARE(count(false), LdapFixture::ManyUsers);
        QVERIFY(session->reports.isEmpty());
    }

    // The names a listing hands out are relative to the context's name context, however
    // far above the container it lies, typed or typeless as the context asks.
    void listedNamesFollowTheNameContext()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        NWClient &client = *session->client;
        const auto names = [&client](const char *nameContext, bool typeless, const char *container) {
            const NWDSContextHandle context = client.NWDSCreateContext();
            uint32_t flags = typeless ? DCV_TYPELESS_NAMES : 0;
            client.NWDSSetContext(context, DCK_FLAGS, &flags);
            client.NWDSSetContext(context, DCK_NAME_CONTEXT, nameContext);
            QStringList listed = ListNames(client, context, container).names;
            client.NWDSFreeContext(context);
            return listed;
        };
        QVERIFY(names("[Root]", true, "Sales.Acme").contains("jdoe.Sales.Acme"));
        QVERIFY(names("[Root]", false, "Sales.Acme").contains("CN=jdoe.OU=Sales.O=Acme"));
        QVERIFY(names("Acme", true, "Sales.Acme").contains("jdoe.Sales"));
        QVERIFY(names("O=Acme", false, "Sales.Acme").contains("CN=jdoe.OU=Sales"));
        QVERIFY(names("Sales.Acme", false, "Sales.Acme").contains("CN=jdoe"));
        QVERIFY(names("Staff.Sales.Acme", true, "Sales.Acme").contains("jdoe.Sales.Acme"));
        const QStringList escaped = names("[Root]", true, "Sales.Acme");
        QVERIFY(escaped.contains("j\\.smith.Sales.Acme"));
        QVERIFY(escaped.contains("Roe, Ann+ann.Sales.Acme"));
        QVERIFY(session->reports.isEmpty());
    }

    void typelessNamesResolveWithoutAListing()
    {
        auto session = Open(Admin());
        QVERIFY2(session->client, qPrintable(session->error));
        TNW4Object bob(*session->nds, "bob.Staff.Sales.Acme");
        QCOMPARE(bob.GetFirstValue("sn"), "Bob");
        QVERIFY(session->reports.isEmpty());
    }

    void refusalsSayWhy()
    {
        LdapServerConfig wrong = Admin();
        wrong.passwordFile = server_.WriteOwnerOnly("wrong.pw", "nope");
        auto session = Open(wrong);
        QVERIFY(!session->client);
        QVERIFY2(session->error.contains("refused the bind as cn=admin,o=Acme"), qPrintable(session->error));
        QVERIFY2(session->error.contains("Invalid credentials"), qPrintable(session->error));

        LdapServerConfig open = Admin();
        open.passwordFile = server_.Write("open.pw", "secret");
        QVERIFY(chmod(open.passwordFile.toLocal8Bit().constData(), 0644) == 0);
        session = Open(open);
        QVERIFY(!session->client);
        QVERIFY2(session->error.contains("(mode 644)"), qPrintable(session->error));

        LdapServerConfig away = Admin();
        away.uri = "ldap://127.0.0.1:1";
        session = Open(away);
        QVERIFY(!session->client);
        QVERIFY2(session->error.contains("cannot be reached"), qPrintable(session->error));

        LdapServerConfig remote = Admin();
        remote.uri = "ldap://ldap.example.invalid";
        session = Open(remote);
        QVERIFY(!session->client);
        QVERIFY2(session->error.contains("no password is sent"), qPrintable(session->error));

        LdapServerConfig noPassword = Admin();
        noPassword.passwordFile.clear();
        session = Open(noPassword);
        QVERIFY(!session->client);
        QVERIFY2(session->error.contains("no password for cn=admin,o=Acme"), qPrintable(session->error));
    }
};

QTEST_GUILESS_MAIN(TestLdapClient)
#include "test_ldap_client.moc"
