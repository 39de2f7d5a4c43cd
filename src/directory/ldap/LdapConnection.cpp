#include "directory/ldap/LdapConnection.h"

#include "directory/ldap/LdapPassword.h"
#include "directory/ldap/LdapResult.h"

#include <ldap.h>

#include <chrono>
#include <csignal>
#include <cstring>

namespace {

// How often a search waiting for its result lets the wait hook run.
constexpr long WaitSliceMicroseconds = 100000;
// The longest message taken from a server: libldap allocates what a message claims
// before its bytes come. Larger than any entry a directory holds (a 100 MB value reads).
constexpr ber_len_t LongestMessage = ber_len_t(256) << 20;

// The host of an LDAP URI; empty when it has none.
QString HostOf(const QString &uri)
{
    LDAPURLDesc *description = nullptr;
    if (ldap_url_parse(uri.toUtf8().constData(), &description) != LDAP_URL_SUCCESS)
        return {};
    QString host = description->lud_host ? QString::fromUtf8(description->lud_host) : QString();
    ldap_free_urldesc(description);
    return host;
}

bool IsLoopback(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.startsWith(QLatin1String("127.")) || host == QLatin1String("::1") || host == QLatin1String("[::1]");
}

// Overwrites a password before its storage is released.
void Forget(QByteArray &password)
{
    volatile char *bytes = password.data();
    for (qsizetype i = 0; i < password.size(); ++i)
        bytes[i] = 0;
    password.clear();
}

// A server that went away makes the library's next write to it fail, which the client
// handles (the connection made again, or the server lost), rather than end the program
// with SIGPIPE: the library writes with plain write(), so the signal is ignored.
void IgnoreBrokenPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

LdapConnection::~LdapConnection()
{
    if (ld_)
        ldap_unbind_ext_s(ld_, nullptr, nullptr);
}

QString LdapConnection::Words(int result) const
{
    QString words = QString::fromUtf8(ldap_err2string(result));
    char *diagnostic = nullptr;
    if (ld_ && ldap_get_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS && diagnostic) {
        const LdapTextOwned owned(diagnostic);
        if (*diagnostic)
            words += QStringLiteral(" (%1)").arg(QString::fromUtf8(diagnostic));
    }
    return words;
}

std::unique_ptr<LdapConnection> LdapConnection::Open(const LdapServerConfig &config, const LdapPasswordPrompt &prompt,
                                                     QString *error)
{
    std::unique_ptr<LdapConnection> connection(new LdapConnection);
    const QString host = HostOf(config.uri);
    const bool ldaps = config.uri.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive);
    const bool ldap = config.uri.startsWith(QLatin1String("ldap://"), Qt::CaseInsensitive);
    if ((!ldaps && !ldap) || host.isEmpty()) {
        *error = QStringLiteral("%1 is no server address of the form ldap://host[:port] or ldaps://host[:port]")
                     .arg(config.uri);
        return nullptr;
    }
    if (ldaps && config.tls != LdapServerConfig::Tls::Ldaps) {
        *error = QStringLiteral("%1: an ldaps:// address takes TLS from its start (tls=ldaps)").arg(config.uri);
        return nullptr;
    }
    if (ldap && config.tls == LdapServerConfig::Tls::Ldaps) {
        *error = QStringLiteral("%1: tls=ldaps needs an ldaps:// address").arg(config.uri);
        return nullptr;
    }
    IgnoreBrokenPipes();
    connection->tree_ = config.tree.isEmpty() ? host.toUpper() : config.tree;
    connection->config_ = config;
    connection->prompt_ = prompt;
    if (!connection->Establish(error))
        return nullptr;
    return connection;
}

bool LdapConnection::Establish(QString *error)
{
    const LdapServerConfig &config = config_;
    const QString host = HostOf(config.uri);
    const QString server = config.uri;
    if (ldap_initialize(&ld_, config.uri.toUtf8().constData()) != LDAP_SUCCESS) {
        ld_ = nullptr;
        *error = QStringLiteral("%1 is no usable server address").arg(server);
        return false;
    }
    LDAP *ld = ld_;
    const int version = LDAP_VERSION3;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    // The connection and its TLS handshake within the network timeout; the library's
    // own waits (StartTLS, the bind, "Who am I?") within the operation timeout.
    const timeval network{config.networkTimeout, 0};
    ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &network);
    const timeval operation{config.operationTimeout, 0};
    ldap_set_option(ld, LDAP_OPT_TIMEOUT, &operation);
    if (config.tls != LdapServerConfig::Tls::None) {
        const int demand = LDAP_OPT_X_TLS_DEMAND;
        int result = ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand);
        if (result == LDAP_OPT_SUCCESS && !config.caFile.isEmpty())
            result = ldap_set_option(ld, LDAP_OPT_X_TLS_CACERTFILE, config.caFile.toLocal8Bit().constData());
        const int client = 0;
        if (result == LDAP_OPT_SUCCESS)
            result = ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &client);
        if (result != LDAP_OPT_SUCCESS) {
            *error = QStringLiteral("TLS cannot be set up for %1 (certificate authorities %2): %3")
                         .arg(server, config.caFile.isEmpty() ? QStringLiteral("of the system") : config.caFile,
                              Words(result));
            return false;
        }
    }
    if (config.tls == LdapServerConfig::Tls::StartTls) {
        if (const int result = ldap_start_tls_s(ld, nullptr, nullptr); result != LDAP_SUCCESS) {
            *error = QStringLiteral("StartTLS with %1 failed: %2").arg(server, Words(result));
            if (result == LDAP_CONNECT_ERROR)
                *error += QStringLiteral("; ") + CertificateHint();
            return false;
        }
    }

    if (!config.bindDn.isEmpty()) {
        if (config.tls == LdapServerConfig::Tls::None && !IsLoopback(host)) {
            *error = QStringLiteral("no password is sent to %1 without TLS: it is not a loopback address; "
                                    "use ldaps:// or StartTLS")
                         .arg(server);
            return false;
        }
        QByteArray password;
        if (!config.passwordFile.isEmpty()) {
            if (!LdapPassword::ReadFile(config.passwordFile, &password, error))
                return false;
        } else if (const auto given =
                       prompt_ ? prompt_(QStringLiteral("Password for %1 on %2: ").arg(config.bindDn, server))
                               : std::nullopt) {
            password = *given;
        } else {
            *error = QStringLiteral("no password for %1 on %2: give a password file").arg(config.bindDn, server);
            return false;
        }
        berval credentials{ber_len_t(password.size()), password.data()};
        const QByteArray dn = config.bindDn.toUtf8();
        const int result =
            ldap_sasl_bind_s(ld, dn.constData(), LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, nullptr);
        Forget(password);
        if (result != LDAP_SUCCESS) {
            if (LdapResult::ToDirectory(result) == LdapResult::ERR_TRANSPORT_FAILURE)
                *error = Unreachable(result);
            else
                *error = QStringLiteral("the directory server %1 refused the bind as %2: %3")
                             .arg(server, config.bindDn, Words(result));
            return false;
        }
        Identify(dn.toStdString());
    }
    if (!ReadRootEntry(config, error))
        return false;
    // Replies are taken from the socket in large blocks, not in two reads per entry.
    Sockbuf *socket = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_SOCKBUF, &socket) == LDAP_OPT_SUCCESS && socket) {
        ber_sockbuf_add_io(socket, &ber_sockbuf_io_readahead, LBER_SBIOD_LEVEL_PROVIDER, nullptr);
        ber_len_t longest = LongestMessage;
        ber_sockbuf_ctrl(socket, LBER_SB_OPT_SET_MAX_INCOMING, &longest);
        // A reply cut short must not hold a read: the library then waits for the rest
        // in its polls, which end for the wait hook and the operation timeout.
        ber_sockbuf_ctrl(socket, LBER_SB_OPT_SET_NONBLOCK, reinterpret_cast<void *>(1));
    }
    return true;
}

void LdapConnection::Identify(const std::string &bindName)
{
    boundDn_.clear();
    boundName_.clear();
    berval *identity = nullptr;
    std::string told;
    if (ldap_whoami_s(ld_, &identity, nullptr, nullptr) == LDAP_SUCCESS && identity && identity->bv_val)
        told.assign(identity->bv_val, identity->bv_len);
    ber_bvfree(identity);
    if (told.starts_with("dn:") && told.size() > 3) {
        boundDn_ = told.substr(3);
        return;
    }
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(bindName.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) == LDAP_SUCCESS && parsed) {
        ldap_dnfree(parsed);
        boundDn_ = bindName;
        return;
    }
    boundName_ = told.starts_with("u:") && told.size() > 2 ? told.substr(2) : bindName;
}

bool LdapConnection::ReadRootEntry(const LdapServerConfig &config, QString *error)
{
    const char *attributes[] = {"namingContexts", "subschemaSubentry", "supportedControl", nullptr};
    namingContexts_.clear();
    subschemaDn_.clear();
    pages_ = false;
    LdapMessages result;
    const int code = RunOnce(LdapServer::Search("", LDAP_SCOPE_BASE, attributes), result);
    if (code != LDAP_SUCCESS) {
        if (LdapResult::ToDirectory(code) == LdapResult::ERR_TRANSPORT_FAILURE)
            *error = Unreachable(code);
        else
            *error = QStringLiteral("the root entry of %1 cannot be read: %2").arg(config.uri, Words(code));
        return false;
    }
    for (LDAPMessage *entry = ldap_first_entry(ld_, result.get()); entry; entry = ldap_next_entry(ld_, entry)) {
        for (const char *name : {"namingContexts", "subschemaSubentry", "supportedControl"}) {
            const LdapValuesOwned values(ldap_get_values_len(ld_, entry, name));
            for (int i = 0; values && values.get()[i]; ++i) {
                std::string value(values.get()[i]->bv_val, values.get()[i]->bv_len);
                if (std::strcmp(name, "namingContexts") == 0)
                    namingContexts_.push_back(std::move(value));
                else if (std::strcmp(name, "supportedControl") == 0)
                    pages_ = pages_ || value == LDAP_CONTROL_PAGEDRESULTS;
                else if (subschemaDn_.empty())
                    subschemaDn_ = std::move(value);
            }
        }
    }
    baseDn_ = !config.base.isEmpty()     ? config.base.toStdString()
              : !namingContexts_.empty() ? namingContexts_.front()
                                         : std::string();
    return true;
}

int LdapConnection::Start(const Search &search, int *message)
{
    LDAPControl *page = nullptr;
    if (search.pageSize > 0) {
        berval cookie{ber_len_t(search.cookie.size()), const_cast<char *>(search.cookie.data())};
        if (const int made =
                ldap_create_page_control(ld_, search.pageSize, search.cookie.empty() ? nullptr : &cookie, 0, &page);
            made != LDAP_SUCCESS)
            return made;
    }
    const LdapControlOwned owned(page);
    LDAPControl *controls[] = {page, nullptr};
    const std::string base(search.base);
    return ldap_search_ext(ld_, base.c_str(), search.scope, search.filter, const_cast<char **>(search.attributes),
                           search.attributesOnly ? 1 : 0, page ? controls : nullptr, nullptr, nullptr, LDAP_NO_LIMIT,
                           message);
}

int LdapConnection::RunOnce(const Search &search, LdapMessages &result)
{
    result.reset();
    int message = -1;
    if (const int sent = Start(search, &message); sent != LDAP_SUCCESS)
        return sent;
    return Await(message, result);
}

int LdapConnection::Await(int message, LdapMessages &result)
{
    result.reset();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(config_.operationTimeout);
    for (;;) {
        timeval slice{0, WaitSliceMicroseconds};
        LDAPMessage *got = nullptr;
        const int type = ldap_result(ld_, message, LDAP_MSG_ALL, &slice, &got);
        result.reset(got);
        if (type > 0)
            break;
        if (type < 0) {
            int code = LDAP_OTHER;
            ldap_get_option(ld_, LDAP_OPT_RESULT_CODE, &code);
            result.reset();
            return code == LDAP_SUCCESS ? LDAP_OTHER : code;
        }
        if (stop_ && stop_()) {
            ldap_abandon_ext(ld_, message, nullptr, nullptr);
            return LDAP_USER_CANCELLED;
        }
        if (std::chrono::steady_clock::now() >= limit) {
            // What the server sent of the reply is left half read: the connection is of
            // no further use.
            lost_ = true;
            lostWords_ = QStringLiteral("the directory server %1 did not answer within %2 s")
                             .arg(config_.uri)
                             .arg(config_.operationTimeout);
            return LDAP_TIMEOUT;
        }
    }
    // A search's result is its entries and references, then its end; anything else is
    // a reply the client does not read, never the listing's end.
    for (LDAPMessage *at = ldap_first_message(ld_, result.get()); at; at = ldap_next_message(ld_, at)) {
        const int type = ldap_msgtype(at);
        const bool last = !ldap_next_message(ld_, at);
        if (last ? type != LDAP_RES_SEARCH_RESULT
                 : type != LDAP_RES_SEARCH_ENTRY && type != LDAP_RES_SEARCH_REFERENCE) {
            const QByteArray words = QStringLiteral("the server's reply holds a message of tag 0x%1 among a search's")
                                         .arg(type, 2, 16)
                                         .toUtf8();
            ldap_set_option(ld_, LDAP_OPT_DIAGNOSTIC_MESSAGE, words.constData());
            return LDAP_DECODING_ERROR;
        }
    }
    int code = LDAP_OTHER;
    if (ldap_parse_result(ld_, result.get(), &code, nullptr, nullptr, nullptr, nullptr, 0) != LDAP_SUCCESS)
        code = LDAP_DECODING_ERROR;
    return code;
}

LdapReply LdapConnection::Run(const Search &search)
{
    if (lost_)
        return {this, LDAP_SERVER_DOWN, {}};
    LdapMessages result;
    int status = RunOnce(search, result);
    if (!LdapResult::ServerGone(status))
        return {this, status, std::move(result)};
    // The server went away (the connection closed, or the server stopping said it is
    // unavailable): the connection is made again once; when that fails too, the server
    // is lost for good and every later search fails at once.
    result.reset();
    if (Reconnect()) {
        status = RunOnce(search, result);
        if (!LdapResult::ServerGone(status))
            return {this, status, std::move(result)};
        result.reset();
        lostWords_ = Unreachable(status);
    }
    lost_ = true;
    return {this, LDAP_SERVER_DOWN, {}};
}

int LdapConnection::Send(const Search &search)
{
    int message = -1;
    if (lost_ || !ld_ || Start(search, &message) != LDAP_SUCCESS)
        return -1;
    return message;
}

bool LdapConnection::Receive(int message, LdapReply &reply)
{
    if (lost_ || !ld_)
        return false;
    LdapMessages result;
    const int code = Await(message, result);
    // A server that says it goes away, in whichever way, is made again by Run.
    if (LdapResult::ServerGone(code))
        return false;
    reply = {this, code, std::move(result)};
    return true;
}

void LdapConnection::Abandon(int message)
{
    if (ld_ && !lost_)
        ldap_abandon_ext(ld_, message, nullptr, nullptr);
}

QString LdapConnection::CertificateHint() const
{
    return QStringLiteral("the server's certificate must verify against the certificate authorities %1 and name "
                          "the host %2")
        .arg(config_.caFile.isEmpty() ? QStringLiteral("of the system") : config_.caFile, HostOf(config_.uri));
}

QString LdapConnection::Unreachable(int result) const
{
    QString text = QStringLiteral("the directory server %1 cannot be reached: %2").arg(config_.uri, Words(result));
    // Over ldaps:// a certificate that does not verify looks the same to the library.
    if (config_.tls == LdapServerConfig::Tls::Ldaps)
        text += QStringLiteral("; ") + CertificateHint();
    return text;
}

bool LdapConnection::Reconnect()
{
    if (ld_)
        ldap_unbind_ext_s(ld_, nullptr, nullptr);
    ld_ = nullptr;
    ++session_;
    return Establish(&lostWords_);
}
