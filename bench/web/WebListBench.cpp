// Server time of the web page's list on a 100 000-row catalogue over 50 folders: the first
// page (newest first) of every folder and of one folder, the first page right after the rows
// changed (the sort keys made again), and a memo search through every row; each request goes
// over a loopback connection to the server and is timed until its answer is complete. And the
// sort keys a starting server makes before it answers (every date and time text parsed).
// And the start of playing a one-hour IMA ADPCM recording: from the browser's first request
// until the first 64 KiB of converted sound have arrived.
// The files are made once in $CALVORA_BENCH_DIR/web (kept) or in a temporary directory.
#include "LargeCatalogue.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "audio/codecs/CodecLayer.h"
#include "catalogue/Catalogue.h"
#include "support/MessageService.h"
#include "web/PasswordStore.h"
#include "web/WebServer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int Rows = 100000;
constexpr int Folders = 50;

QString dataDir()
{
    static const QString dir = bench::catalogueDir(QStringLiteral("web"));
    return dir;
}

// An hour of a warbling tone in IMA ADPCM, 8 kHz mono.
void writeHourOfIma(const QString &path)
{
    TdeWaveFormat pcm, ima;
    codecs::buildFormat(1, 8000, 1, 16, pcm.Buffer());
    codecs::buildFormat(0x11, 8000, 1, 4, ima.Buffer());
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    TdeRIFFAudioWriter writer(file);
    writer.setFormat(ima);
    TdeAudioConvertor converter;
    converter.setFormatIn(pcm);
    converter.setFormatOut(ima);
    converter.OnAudioConverted = [&writer](TdeAudioConvertor &, const std::uint8_t *data,
                                           qint64 size) { writer.Write(data, size); };
    converter.Open();
    std::vector<std::int16_t> second(8000);
    for (int s = 0; s < 3600; ++s) {
        for (int i = 0; i < 8000; ++i)
            second[std::size_t(i)] = std::int16_t(8000 * std::sin(i * (0.2 + 0.1 * (s % 7))));
        converter.Convert(second.data(), qint64(second.size() * 2));
    }
    converter.flush();
    writer.complete();
}

struct Fixture
{
    Fixture()
    {
        bench::writeLargeCatalogue(dataDir(), Folders, Rows, [](int row) { return row % Folders; });
        catalogue = std::make_unique<Catalogue>(dataDir(), messages, nullptr);
        catalogue->OpenCatalogue();
        server = std::make_unique<WebServer>(*catalogue, nullptr, dataDir(), QString());
        QString error;
        if (!server->start(ListenAddress{QHostAddress(QHostAddress::LocalHost), 0}, {}, {}, error))
            qFatal("%s", qPrintable(error));
        // Without a password the page opens a session for this computer.
        const QByteArray answer = get("/api/session");
        const qsizetype at = answer.indexOf("calvora_session=");
        cookie = answer.mid(at + 16, 64);
        socket.connectToHost(QStringLiteral("127.0.0.1"), server->port());
        socket.waitForConnected(5000);
        const TStoreCursor &cursor = catalogue->CallsTbl.cursor();
        const std::string_view id = cursor.bytes(0, cursor.fieldIndex("id"));
        firstId = QByteArray(id.data(), qsizetype(id.size()));
        const QString hour = server->query().filePath(QString::fromLatin1(firstId));
        if (QFileInfo(hour).size() < 8000 * 3600 / 2)
            writeHourOfIma(hour);
    }

    // One request on a connection of its own when fresh, else on the kept-alive one; returns
    // the whole answer.
    QByteArray get(const QByteArray &path, bool kept = false)
    {
        QTcpSocket own;
        QTcpSocket &s = kept ? socket : own;
        if (!kept) {
            own.connectToHost(QStringLiteral("127.0.0.1"), server->port());
            QEventLoop loop;
            QObject::connect(&own, &QTcpSocket::connected, &loop, &QEventLoop::quit);
            loop.exec();
        }
        s.write("GET " + path +
                " HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: calvora_session=" + cookie + "\r\n\r\n");
        QByteArray data;
        qint64 length = -1;
        qsizetype headerEnd = -1;
        while (length < 0 || data.size() < headerEnd + 4 + length) {
            QEventLoop loop;
            QObject::connect(&s, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
            loop.exec();
            data += s.readAll();
            if (headerEnd < 0 && (headerEnd = data.indexOf("\r\n\r\n")) >= 0) {
                const qsizetype cl = data.indexOf("Content-Length: ");
                length = data.mid(cl + 16, data.indexOf("\r\n", cl) - cl - 16).toLongLong();
            }
        }
        return data;
    }

    UnattendedMessageService messages;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<WebServer> server;
    QByteArray cookie;
    QByteArray firstId;
    QTcpSocket socket;
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void request(benchmark::State &state, const QByteArray &path, bool rowsChanged = false)
{
    Fixture &f = fixture();
    qint64 bytes = 0;
    for (auto _ : state) {
        if (rowsChanged) {
            state.PauseTiming();
            emit f.catalogue->CallsTbl.dataSetChanged();
            state.ResumeTiming();
        }
        bytes = f.get(path, true).size();
    }
    state.counters["answer_bytes"] = double(bytes);
}

void BM_FirstPage(benchmark::State &state)
{
    request(state, "/api/recordings?limit=50");
}

void BM_FirstPageOfAFolder(benchmark::State &state)
{
    request(state, "/api/recordings?limit=50&folder=" + bench::folderCode(3).toLatin1());
}

void BM_FirstPageAfterAChange(benchmark::State &state)
{
    request(state, "/api/recordings?limit=50", true);
}

// Matches a tenth of the rows ("order 12" in 12, 120..129, ...), all of them counted.
void BM_MemoSearch(benchmark::State &state)
{
    request(state, "/api/recordings?limit=50&q=order%2012");
}

void BM_MemoSearchWithoutMatch(benchmark::State &state)
{
    request(state, "/api/recordings?limit=50&q=no%20such%20caller");
}

// What a starting server does once before its first answer.
void BM_SortKeysAtStart(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        RecordingsQuery fresh(*f.catalogue);
        fresh.prepare();
    }
}

void BM_AudioStartOfAnHour(benchmark::State &state)
{
    Fixture &f = fixture();
    constexpr qsizetype Wanted = 64 * 1024;
    for (auto _ : state) {
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), f.server->port());
        s.waitForConnected(5000);
        s.write("GET /api/recordings/" + f.firstId +
                "/audio HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: bytes=0-\r\nCookie: "
                "calvora_session=" +
                f.cookie + "\r\n\r\n");
        QByteArray data;
        while (data.size() < Wanted) {
            QEventLoop loop;
            QObject::connect(&s, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
            QObject::connect(&s, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
            loop.exec();
            data += s.readAll();
            if (s.state() != QAbstractSocket::ConnectedState)
                break;
        }
        if (!data.startsWith("HTTP/1.1 206"))
            state.SkipWithError("the audio was not served");
        s.abort();
    }
}

BENCHMARK(BM_FirstPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageOfAFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageAfterAChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortKeysAtStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoSearchWithoutMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AudioStartOfAnHour)->Unit(benchmark::kMillisecond);

} // namespace
