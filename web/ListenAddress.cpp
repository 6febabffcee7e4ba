#include "ListenAddress.h"

std::optional<ListenAddress> ListenAddress::parse(const QString &text, QString &error)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        error = QStringLiteral("\"%1\" is not ADDRESS:PORT").arg(text);
        return std::nullopt;
    }
    QString host = text.left(colon);
    const QString portText = text.mid(colon + 1);
    bool numeric = !portText.isEmpty() && portText.size() <= 5;
    for (QChar c : portText)
        numeric = numeric && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int port = numeric ? portText.toInt() : -1;
    if (port < 0 || port > 65535) {
        error = QStringLiteral("\"%1\" is not a port number (0 to 65535)").arg(portText);
        return std::nullopt;
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(QLatin1Char(':'))) {
        error = QStringLiteral("an IPv6 address needs brackets, as in [::1]:8080");
        return std::nullopt;
    }
    ListenAddress result;
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        result.address = QHostAddress(QHostAddress::LocalHost);
    else if (!result.address.setAddress(host)) {
        error = QStringLiteral("\"%1\" is not an IP address").arg(host);
        return std::nullopt;
    }
    result.port = quint16(port);
    return result;
}

QString ListenAddress::urlHost() const
{
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return QLatin1Char('[') + address.toString() + QLatin1Char(']');
    return address.toString();
}
