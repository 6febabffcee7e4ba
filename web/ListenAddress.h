// Where the web page listens: "ADDRESS:PORT" as given to --listen or kept in orv.ini, an IPv6
// address in brackets ("[::1]:8080"). "localhost" stands for 127.0.0.1.
#pragma once

#include <QHostAddress>
#include <QString>
#include <optional>

struct ListenAddress
{
    QHostAddress address;
    quint16 port = 0; // 0: any free port, chosen when listening

    // Nothing when text is not an address and a port (0..65535); error says why.
    static std::optional<ListenAddress> parse(const QString &text, QString &error);
    bool isLoopback() const { return address.isLoopback(); }
    // The address as a URL's host: an IPv6 address in brackets.
    QString urlHost() const;
};
