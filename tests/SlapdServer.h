#pragma once

// A slapd of its own for a test: configured in a temporary folder, loaded with slapadd
// before it starts, listening on 127.0.0.1 at a free port, stopped when the object goes.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

class SlapdServer
{
public:
    // Where slapd and slapadd are; empty when slapd is not installed.
    static QString Binary(const QString &name)
    {
        return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin", "/usr/bin"});
    }
    static bool Installed() { return !Binary("slapd").isEmpty() && !Binary("slapadd").isEmpty(); }

    ~SlapdServer() { Stop(); }

    // Starts a server for suffix with rootDn (password rootPassword), the given schema
    // files of /etc/ldap/schema plus extraSchema (the text of one more schema file),
    // extraConfig lines for the database, and ldif loaded; false with *error.
    bool Start(const QString &suffix, const QString &rootDn, const QString &rootPassword, const QStringList &schemas,
               const QByteArray &extraSchema, const QByteArray &extraConfig, const QByteArray &ldif, QString *error)
    {
        if (!folder_.isValid()) {
            *error = "no temporary folder";
            return false;
        }
        QDir(folder_.path()).mkpath("db");
        QByteArray config = global_;
        for (const QString &schema : schemas)
            config += "include /etc/ldap/schema/" + schema.toUtf8() + ".schema\n";
        if (!extraSchema.isEmpty()) {
            Write("extra.schema", extraSchema);
            config += "include " + Path("extra.schema").toUtf8() + "\n";
        }
        config += "pidfile " + Path("slapd.pid").toUtf8() + "\n";
        config += "modulepath /usr/lib/ldap\nmoduleload back_mdb\n";
        config += "database mdb\nmaxsize 104857600\n";
        config += "suffix \"" + suffix.toUtf8() + "\"\n";
        config += "rootdn \"" + rootDn.toUtf8() + "\"\n";
        config += "rootpw " + rootPassword.toUtf8() + "\n";
        config += "directory " + Path("db").toUtf8() + "\n";
        config += extraConfig;
        Write("slapd.conf", config);
        Write("data.ldif", ldif);
        QProcess add;
        add.start(Binary("slapadd"), {"-q", "-f", Path("slapd.conf"), "-l", Path("data.ldif")});
        if (!add.waitForFinished(60000) || add.exitCode() != 0) {
            *error = "slapadd failed: " + QString::fromLocal8Bit(add.readAllStandardError());
            return false;
        }
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = FreePort();
            tlsPort_ = global_.isEmpty() ? 0 : FreePort();
            if (Launch())
                return true;
        }
        *error = "slapd did not start: " + QString::fromLocal8Bit(slapd_.readAll());
        return false;
    }

    // Starts the stopped server again on its port, with its database as it was.
    bool Restart() { return Launch(); }

    void Stop()
    {
        if (slapd_.state() != QProcess::NotRunning) {
            slapd_.terminate();
            if (!slapd_.waitForFinished(10000)) {
                slapd_.kill();
                slapd_.waitForFinished(5000);
            }
        }
    }

    // Before Start: global lines of the configuration (TLS certificate settings, say);
    // the server then listens for ldaps:// as well.
    void SetGlobalConfig(const QByteArray &lines) { global_ = lines; }

    // Before Start: the server logs every operation it receives, for Logged to count.
    void LogOperations() { logOperations_ = true; }
    // The operations the server has logged so far whose line holds text (LogOperations),
    // across restarts.
    int Logged(const QByteArray &text) const
    {
        QFile log(Path("operations.log"));
        if (!log.open(QIODevice::ReadOnly))
            return -1;
        return int(log.readAll().count(text));
    }
    // The searches the server has received so far (LogOperations).
    int Searches() const { return Logged(" SRCH base="); }

    QString Uri() const { return QStringLiteral("ldap://127.0.0.1:%1").arg(port_); }
    int Port() const { return port_; }
    int TlsPort() const { return tlsPort_; }
    QString Path(const QString &name) const { return folder_.filePath(name); }

    QString Write(const QString &name, const QByteArray &content) const
    {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    // A file readable by its owner only, as password files must be.
    QString WriteOwnerOnly(const QString &name, const QByteArray &content) const
    {
        const QString path = Write(name, content);
        if (chmod(path.toLocal8Bit().constData(), 0600) != 0)
            qFatal("cannot restrict %s", qPrintable(path));
        return path;
    }

private:
    bool Launch()
    {
        slapd_.setProcessChannelMode(QProcess::MergedChannels);
        QString listen = Uri();
        if (tlsPort_ != 0)
            listen += QStringLiteral(" ldaps://127.0.0.1:%1").arg(tlsPort_);
        if (logOperations_)
            slapd_.setStandardOutputFile(Path("operations.log"), QIODevice::Append);
        slapd_.start(Binary("slapd"), {"-d", logOperations_ ? "stats" : "0", "-f", Path("slapd.conf"), "-h", listen});
        if (!slapd_.waitForStarted(10000))
            return false;
        for (int wait = 0; wait < 100 && slapd_.state() == QProcess::Running; ++wait) {
            if (Answers())
                return true;
            QThread::msleep(50);
        }
        Stop();
        return false;
    }

    static int FreePort()
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 0;
        if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        close(fd);
        return port;
    }

    bool Answers() const
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(port_));
        const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        close(fd);
        return connected;
    }

    QTemporaryDir folder_;
    QProcess slapd_;
    QByteArray global_;
    bool logOperations_ = false;
    int port_ = 0;
    int tlsPort_ = 0;
};
