#pragma once

#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <QString>
#include <QStringList>

#include <memory>

// A connection on a simulated directory that records its reports and counts the
// event pumps, for tests.
struct ReportingDirectory {
    // Serves a directory file, or the bytes of one; Client is null when it is refused.
    explicit ReportingDirectory(const QString &path) : Client(SimulatedClient::FromFile(path, &Error)) { Connect(); }
    explicit ReportingDirectory(const QByteArray &json)
        : Client(SimulatedClient::FromBytes(json, QStringLiteral("directory.json"), &Error))
    {
        Connect();
    }

    // A fault of one function (on every object and attribute unless named) from its
    // from-th call on, counted from now.
    bool AddFault(const QString &function, int32_t result, uint32_t from = 1, const QString &object = {},
                  const QString &attribute = {})
    {
        return Client->AddFault({function, result, {}, object, attribute, from, false}, &Error);
    }

    QString Error;
    std::unique_ptr<SimulatedClient> Client;
    QStringList Reports;
    int Pumps = 0;
    std::unique_ptr<tNDS> NDS;

private:
    void Connect()
    {
        if (Client)
            NDS = std::make_unique<tNDS>(
                *Client, DirectoryHooks{[this](const QString &text) { Reports << text; }, [this] { ++Pumps; }, {}});
    }
};
