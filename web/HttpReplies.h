// Writing answers with the headers every answer of the web page carries: no sniffing of
// types, no framing, no referrer, a content security policy that allows the page's own files
// only, and no caching of the API's answers.
#pragma once

#include <QByteArray>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>

class QHttpServerRequest;

namespace HttpReplies {

using Status = QHttpServerResponder::StatusCode;
using Headers = QList<QPair<QByteArray, QByteArray>>;

// The headers of every answer.
const Headers &securityHeaders();

void send(QHttpServerResponder &responder, Status status, const QByteArray &contentType,
          const QByteArray &body, const Headers &extra = {});
void json(QHttpServerResponder &responder, const QJsonObject &object, Status status = Status::Ok,
          const Headers &extra = {});
void json(QHttpServerResponder &responder, const QJsonArray &array);
// {"error": text}.
void error(QHttpServerResponder &responder, Status status, const QString &text);

// A cookie of the request's Cookie headers; empty when absent.
QByteArray cookie(const QHttpServerRequest &request, const QByteArray &name);
// A header of the request, compared without letter case; empty when absent.
QByteArray header(const QHttpServerRequest &request, const QByteArray &name);

} // namespace HttpReplies
