// The web page's API on a catalogue on disk: the list (folders, search, sorting, paging), the
// audio converted for browsers with byte ranges, the original file, deleting, and the live
// status.
#include "TestWavFiles.h"
#include "WebServerFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTcpSocket>
#include <memory>
#include <vector>

namespace {

class WebServerApiTest : public WebServerFixture
{
protected:
    void SetUp() override
    {
        WebServerFixture::SetUp();
        setPassword();
        listen();
        ASSERT_EQ(login().status, 200);
    }

    QJsonObject list(const QByteArray &query)
    {
        const RawHttpResponse r = client->request("GET", "/api/recordings" + query, cookie);
        EXPECT_EQ(r.status, 200) << query.constData() << r.body.constData();
        return object(r);
    }

    static QStringList memos(const QJsonObject &page)
    {
        QStringList result;
        for (const QJsonValue &row : page.value("rows").toArray())
            result << row.toObject().value("memo").toString();
        return result;
    }
};

TEST_F(WebServerApiTest, TheListIsSearchedSortedAndPaged)
{
    // Every folder, newest first.
    EXPECT_EQ(memos(list("")),
              QStringList({"B call 2", "B call 1", "C call 2", "C call 1", "A call 2", "A call 1",
                           "General call 2", "General call 1"}));
    EXPECT_EQ(list("").value("total").toInt(), 8);
    // One folder, oldest first.
    EXPECT_EQ(memos(list("?folder=" + codes.at("A").toLatin1() + "&order=asc")),
              QStringList({"A call 1", "A call 2"}));
    // Memos in any letter case.
    EXPECT_EQ(memos(list("?q=CALL%202&sort=memo&order=asc")),
              QStringList({"A call 2", "B call 2", "C call 2", "General call 2"}));
    // As a form sends it: '+' for a blank, "%2B" for a plus.
    EXPECT_EQ(memos(list("?q=b+call+1")), QStringList({"B call 1"}));
    EXPECT_EQ(memos(list("?q=call%2B1")), QStringList());
    // A page past the first.
    const QJsonObject page = list("?sort=memo&order=asc&offset=2&limit=3");
    EXPECT_EQ(memos(page), QStringList({"B call 1", "B call 2", "C call 1"}));
    EXPECT_EQ(page.value("total").toInt(), 8);
    EXPECT_EQ(memos(list("?offset=100")), QStringList());
}

TEST_F(WebServerApiTest, ARowNamesItsCallerFromTheRecordingsDetails)
{
    QJsonArray rows = list("?q=A+call+1").value("rows").toArray();
    ASSERT_EQ(rows.size(), 1);
    const QString id = rows[0].toObject().value("id").toString();
    EXPECT_FALSE(rows[0].toObject().contains("caller")) << "no details, no caller";
    RecordingFacts facts;
    facts.callerNumber = "020 7946 0018";
    facts.callerName = "Anne <b>Smith</b>";
    ASSERT_TRUE(catalogue->Details.store(id, facts));
    rows = list("?q=A+call+1").value("rows").toArray();
    EXPECT_EQ(rows[0].toObject().value("caller").toString(), "Anne <b>Smith</b>");
    EXPECT_EQ(rows[0].toObject().value("callerNumber").toString(), "020 7946 0018");
    facts.callerName.clear();
    ASSERT_TRUE(catalogue->Details.store(id, facts));
    rows = list("?q=A+call+1").value("rows").toArray();
    EXPECT_EQ(rows[0].toObject().value("caller").toString(), "020 7946 0018");
}

TEST_F(WebServerApiTest, FoldersComeAsATreeWithTheirNames)
{
    const RawHttpResponse r = client->request("GET", "/api/folders", cookie);
    ASSERT_EQ(r.status, 200);
    QStringList names;
    for (const QJsonValue &f : QJsonDocument::fromJson(r.body).array())
        names << f.toObject().value("name").toString();
    names.sort();
    EXPECT_EQ(names, QStringList({"A", "B", "C", "General"}));
}

TEST_F(WebServerApiTest, DeletingTakesTheRowItsDetailsAndItsFile)
{
    showFolder("A");
    const QString id = idOfRow(0);
    const QString file = catalogue->recordingFilePath();
    showFolder("General");
    ASSERT_TRUE(QFile::exists(file));
    RecordingFacts facts;
    facts.lengthMs = 30000;
    ASSERT_TRUE(catalogue->Details.store(id, facts));
    const RawHttpResponse r =
        client->request("DELETE", "/api/recordings/" + id.toLatin1(), cookie, csrf);
    ASSERT_EQ(r.status, 200) << r.body.constData();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(memoOnDisk(id), "<no row>");
    EXPECT_FALSE(catalogue->Details.facts(id).has_value());
    EXPECT_EQ(list("").value("total").toInt(), 7);
    // The catalogue still shows the folder it showed, where new recordings go.
    EXPECT_EQ(catalogue->currentFolderId(), codes.at("General"));
    EXPECT_EQ(client->request("DELETE", "/api/recordings/" + id.toLatin1(), cookie, csrf).status,
              404);
    EXPECT_TRUE(log.lines().join('\n').contains("Recording " + id + " deleted from the web page"));
}

// A memo is one line: the answer gives it as it was kept, not as it was sent.
TEST_F(WebServerApiTest, AMemoIsAnsweredAsItWasKept)
{
    const QString id = idOfRow(0);
    const RawHttpResponse r =
        client->request("PUT", "/api/recordings/" + id.toLatin1() + "/memo", cookie, csrf,
                        R"({"memo":"called back\nsettled\tat last"})");
    ASSERT_EQ(r.status, 200) << r.body.constData();
    EXPECT_EQ(memoOnDisk(id), "called back settled at last");
    EXPECT_EQ(object(r).value("memo").toString(), memoOnDisk(id));
}

TEST_F(WebServerApiTest, AudioIsServedAs16BitPcmWithByteRanges)
{
    const QString id = idOfRow(0);
    showFolder("General");
    const QString file = catalogue->recordingFilePath();
    ASSERT_TRUE(testaudio::writeSpeechWav(file, 0x11, 3.0)); // IMA ADPCM
    const RawHttpResponse whole =
        client->request("GET", "/api/recordings/" + id.toLatin1() + "/audio", cookie);
    ASSERT_EQ(whole.status, 200);
    EXPECT_EQ(whole.header("Content-Type"), "audio/wav");
    EXPECT_EQ(whole.header("Accept-Ranges"), "bytes");
    ASSERT_EQ(whole.body.size(), whole.header("Content-Length").toLongLong());
    EXPECT_TRUE(whole.body.startsWith("RIFF"));

    // sox reads it as 16-bit PCM of the recording's length.
    const QString converted = dir.filePath("converted.wav");
    QFile out(converted);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(whole.body);
    out.close();
    const auto soxi = [&](const char *option) {
        QProcess p;
        p.start("soxi", {option, converted});
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    EXPECT_EQ(soxi("-t"), "wav");
    EXPECT_EQ(soxi("-b"), "16");
    EXPECT_EQ(soxi("-e"), "Signed Integer PCM");
    EXPECT_NEAR(soxi("-D").toDouble(), 3.0, 0.07);

    // A range in the middle is the same bytes as in the whole file.
    const qint64 size = whole.body.size();
    const RawHttpResponse part =
        client->request("GET", "/api/recordings/" + id.toLatin1() + "/audio", cookie, {}, {},
                        "Range: bytes=30001-30500\r\n");
    ASSERT_EQ(part.status, 206);
    EXPECT_EQ(part.header("Content-Range"), "bytes 30001-30500/" + QByteArray::number(size));
    EXPECT_EQ(part.body, whole.body.mid(30001, 500));
    const RawHttpResponse tail =
        client->request("GET", "/api/recordings/" + id.toLatin1() + "/audio", cookie, {}, {},
                        "Range: bytes=-100\r\n");
    EXPECT_EQ(tail.body, whole.body.right(100));
    EXPECT_EQ(client
                  ->request("GET", "/api/recordings/" + id.toLatin1() + "/audio", cookie, {}, {},
                            "Range: bytes=" + QByteArray::number(size) + "-\r\n")
                  .status,
              416);

    // The original as it is on disk, to be saved under its own name.
    const RawHttpResponse original =
        client->request("GET", "/api/recordings/" + id.toLatin1() + "/original", cookie);
    ASSERT_EQ(original.status, 200);
    QFile source(file);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.body, source.readAll());
    EXPECT_TRUE(original.header("Content-Disposition").startsWith("attachment"));
}

// An empty file is sent as it is; only a range asks for bytes it does not have.
TEST_F(WebServerApiTest, AnEmptyOriginalIsAnEmptyDownload)
{
    const QString id = idOfRow(0);
    showFolder("General");
    QFile file(catalogue->recordingFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();
    const QByteArray path = "/api/recordings/" + id.toLatin1() + "/original";
    const RawHttpResponse whole = client->request("GET", path, cookie);
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.header("Content-Length"), "0");
    EXPECT_EQ(client->request("GET", path, cookie, {}, {}, "Range: bytes=0-\r\n").status, 416);
}

TEST_F(WebServerApiTest, AFileThatIsNoWavIsRefusedWithAClearAnswer)
{
    // The fixture's files hold text, not sound.
    const RawHttpResponse r =
        client->request("GET", "/api/recordings/" + idOfRow(0).toLatin1() + "/audio", cookie);
    EXPECT_EQ(r.status, 422);
    EXPECT_TRUE(object(r).value("error").toString().contains("not a WAV file"));
}

TEST_F(WebServerApiTest, TheStatusIsPushedToOpenPages)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), server->port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: calvora_session=" +
                 cookie + "\r\n\r\n");
    QByteArray received;
    const auto receivedHas = [&](const QByteArray &text) {
        return QTest::qWaitFor(
            [&] {
                received += socket.readAll();
                return received.contains(text);
            },
            5000);
    };
    ASSERT_TRUE(receivedHas("\"modemOn\":false")) << received.constData();
    EXPECT_TRUE(received.contains("Content-Type: text/event-stream"));
    StatusFeed::State state;
    server->status().state = [&] { return state; };
    state.modemOn = true;
    server->status().changed();
    ASSERT_TRUE(receivedHas("\"modemOn\":true")) << received.constData();
    state.recording = true;
    state.caller = "0123 456789";
    state.started = QDateTime::currentDateTimeUtc();
    server->status().changed();
    ASSERT_TRUE(receivedHas("\"caller\":\"0123 456789\"")) << received.constData();
    ASSERT_TRUE(receivedHas("\"recording\":true"));
    log.appendLine("A line of the event log");
    ASSERT_TRUE(receivedHas("event: log\ndata: {\"line\":\"A line of the event log\"}"));

    const RawHttpResponse lines = client->request("GET", "/api/log?lines=1", cookie);
    ASSERT_EQ(lines.status, 200);
    EXPECT_EQ(object(lines).value("lines").toArray().last().toString(), "A line of the event log");
}

// Pages that were closed give their places to new ones, even when every place was taken.
TEST_F(WebServerApiTest, ClosedPagesFreeTheirEventStreams)
{
    std::vector<std::unique_ptr<QTcpSocket>> pages;
    for (int i = 0; i < StatusFeed::MaxListeners; ++i) {
        pages.push_back(openEvents(cookie));
        ASSERT_TRUE(pages.back()) << "page " << i;
    }
    EXPECT_FALSE(openEvents(cookie)) << "one page too many";
    pages.clear();
    QTest::qWait(200);
    EXPECT_TRUE(openEvents(cookie)) << "a page after all were closed";
}

// A page that stops taking its events is closed once they pile up, instead of holding them
// all in the recorder's memory.
TEST_F(WebServerApiTest, APageThatDoesNotReadItsEventsIsClosed)
{
    auto events = openEvents(cookie);
    ASSERT_TRUE(events);
    events->setReadBufferSize(1024);
    ASSERT_EQ(server->status().listenerCount(), 1);
    const QString line(4000, QLatin1Char('x'));
    for (int i = 0; i < 8000; ++i) {
        server->status().logLine(line);
        if (i % 500 == 0)
            QTest::qWait(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->status().listenerCount() == 0; }, 10000));
    // Reading again, the page finds its stream ended.
    events->setReadBufferSize(0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            events->readAll();
            return events->state() == QAbstractSocket::UnconnectedState;
        },
        10000));
    // A page that reads still gets its events.
    auto reader = openEvents(cookie);
    ASSERT_TRUE(reader);
    server->status().logLine("after the flood");
    QByteArray received;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            received += reader->readAll();
            return received.contains("after the flood");
        },
        5000));
}

} // namespace
