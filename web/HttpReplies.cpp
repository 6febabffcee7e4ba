#include "HttpReplies.h"

#include <QHttpServerRequest>
#include <QJsonDocument>

namespace HttpReplies {

const Headers &securityHeaders()
{
    static const Headers headers{
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "no-referrer"},
        {"Content-Security-Policy",
         "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self'; "
         "media-src 'self'; connect-src 'self'; object-src 'none'; base-uri 'none'; "
         "form-action 'self'; frame-ancestors 'none'"},
        {"Cache-Control", "no-store"},
    };
    return headers;
}

void send(QHttpServerResponder &responder, Status status, const QByteArray &contentType,
          const QByteArray &body, const Headers &extra)
{
    responder.writeStatusLine(status);
    for (const auto &h : securityHeaders())
        responder.writeHeader(h.first, h.second);
    for (const auto &h : extra)
        responder.writeHeader(h.first, h.second);
    responder.writeHeader("Content-Type", contentType);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeBody(body);
}

void json(QHttpServerResponder &responder, const QJsonObject &object, Status status,
          const Headers &extra)
{
    send(responder, status, "application/json",
         QJsonDocument(object).toJson(QJsonDocument::Compact), extra);
}

void json(QHttpServerResponder &responder, const QJsonArray &array)
{
    send(responder, Status::Ok, "application/json",
         QJsonDocument(array).toJson(QJsonDocument::Compact));
}

void error(QHttpServerResponder &responder, Status status, const QString &text)
{
    json(responder, QJsonObject{{QStringLiteral("error"), text}}, status);
}

QByteArray header(const QHttpServerRequest &request, const QByteArray &name)
{
    for (const auto &h : request.headers())
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

QByteArray cookie(const QHttpServerRequest &request, const QByteArray &name)
{
    for (const auto &h : request.headers()) {
        if (h.first.compare("Cookie", Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray &part : h.second.split(';')) {
            const QByteArray item = part.trimmed();
            const qsizetype eq = item.indexOf('=');
            if (eq > 0 && item.left(eq) == name)
                return item.mid(eq + 1);
        }
    }
    return {};
}

} // namespace HttpReplies
