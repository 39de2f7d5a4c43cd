// The window on a directory server: a bind password that no password file gives is
// asked through the prompts, and the tree is read once it is given.

#include "GuiHelpers.h"
#include "LdapFixture.h"

class TestUiLdap : public QObject
{
    Q_OBJECT

    SlapdServer server_;

    TDirectorySource Server() const
    {
        TDirectorySource source;
        source.ldapServers = {LdapFixture::Admin(server_)};
        return source;
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QString error;
        QVERIFY2(LdapFixture::Start(server_, &error), qPrintable(error));
    }

    void thePasswordIsAskedInADialog()
    {
        ScriptedPrompts prompts;
        prompts.passwords.push_back(QStringLiteral("secret"));
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        TForm1 form(prompts, Server());
        const QStringList asked = prompts.Texts("password");
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.constFirst().contains("cn=admin,o=Acme"), qPrintable(asked.constFirst()));
        QVERIFY2(prompts.Texts("report").isEmpty(), qPrintable(prompts.Texts("report").join('|')));
        QCOMPARE(form.TreeComboBox->currentText(), QStringLiteral("ACME"));
        QVERIFY(!form.ClassListBox->findItems("inetOrgPerson", Qt::MatchFixedString).isEmpty());
        QCOMPARE(form.ContextEdit->text(), QStringLiteral("Acme"));
    }

    void aDeclinedPasswordOpensTheWindowWithoutTheTree()
    {
        ScriptedPrompts prompts;
        QApplication::setApplicationName(QStringLiteral("Veltrane"));
        TForm1 form(prompts, Server());
        QCOMPARE(prompts.Texts("password").size(), 1);
        QCOMPARE(prompts.Texts("report").size(), 1);
        QVERIFY(!form.Directory());
        QCOMPARE(form.ClassListBox->count(), 0);
    }
};

QTEST_MAIN(TestUiLdap)
#include "test_ui_ldap.moc"
