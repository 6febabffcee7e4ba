// The small parts of the web page: listen addresses, byte ranges, the password file and the
// conversion of recordings for browsers.
#include "TestWavFiles.h"
#include "web/ByteRange.h"
#include "web/ListenAddress.h"
#include "web/LoginThrottle.h"
#include "web/PasswordStore.h"
#include "web/PcmWavStream.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ListenAddressTest, AddressesAndPortsAreReadStrictly)
{
    struct Case
    {
        const char *text;
        const char *address; // null: refused
        int port;
        bool loopback;
    };
    const Case cases[] = {
        {"127.0.0.1:8080", "127.0.0.1", 8080, true},
        {"localhost:80", "127.0.0.1", 80, true},
        {"[::1]:8080", "::1", 8080, true},
        {"0.0.0.0:8080", "0.0.0.0", 8080, false},
        {"192.168.1.5:0", "192.168.1.5", 0, false},
        {"::1:8080", nullptr, 0, false},
        {"127.0.0.1", nullptr, 0, false},
        {"127.0.0.1:65536", nullptr, 0, false},
        {"127.0.0.1:-1", nullptr, 0, false},
        {"127.0.0.1:80x", nullptr, 0, false},
        {"example.com:80", nullptr, 0, false},
        {":8080", nullptr, 0, false},
    };
    for (const Case &c : cases) {
        QString error;
        const auto a = ListenAddress::parse(c.text, error);
        if (!c.address) {
            EXPECT_FALSE(a) << c.text;
            EXPECT_FALSE(error.isEmpty()) << c.text;
            continue;
        }
        ASSERT_TRUE(a) << c.text << ": " << error.toStdString();
        EXPECT_EQ(a->address, QHostAddress(c.address)) << c.text;
        EXPECT_EQ(a->port, c.port) << c.text;
        EXPECT_EQ(a->isLoopback(), c.loopback) << c.text;
    }
}

TEST(ByteRangeTest, OneRangeIsResolvedAgainstTheSize)
{
    using K = ByteRange::Kind;
    struct Case
    {
        const char *header;
        K kind;
        qint64 first, last;
    };
    const Case cases[] = {
        {"", K::Whole, 0, 999},
        {"bytes=0-", K::Part, 0, 999},
        {"bytes=100-199", K::Part, 100, 199},
        {"bytes=900-5000", K::Part, 900, 999},
        {"bytes=-100", K::Part, 900, 999},
        {"bytes=-5000", K::Part, 0, 999},
        {"bytes=1000-", K::Unsatisfiable, 0, -1},
        {"bytes=-0", K::Unsatisfiable, 0, -1},
        {"bytes=200-100", K::Whole, 0, 999},
        {"bytes=0-1,5-6", K::Whole, 0, 999},
        {"items=0-1", K::Whole, 0, 999},
        {"bytes=a-b", K::Whole, 0, 999},
        {"bytes=+1-2", K::Whole, 0, 999},
        {"bytes=99999999999999999999-", K::Whole, 0, 999},
    };
    for (const Case &c : cases) {
        const ByteRange r = ByteRange::parse(c.header, 1000);
        EXPECT_EQ(r.kind, c.kind) << c.header;
        if (r.kind != K::Unsatisfiable) {
            EXPECT_EQ(r.first, c.first) << c.header;
            EXPECT_EQ(r.last, c.last) << c.header;
        }
    }
}

TEST(LoginThrottleTest, AClientIsItsAddressOrItsIpv6Network)
{
    LoginThrottle throttle;
    QDateTime now = QDateTime::currentDateTimeUtc();
    throttle.clock = [&now] { return now; };
    for (int i = 0; i < LoginThrottle::FreeFailures; ++i)
        throttle.failed(QHostAddress(QStringLiteral("2001:db8:1:2::%1").arg(i + 1)));
    EXPECT_EQ(throttle.waitMs(QHostAddress("2001:db8:1:2:ffff::9")), LoginThrottle::FirstWaitMs);
    EXPECT_EQ(throttle.waitMs(QHostAddress("2001:db8:1:3::1")), 0);
    for (int i = 0; i < LoginThrottle::FreeFailures; ++i)
        throttle.failed(QHostAddress("::ffff:192.0.2.7"));
    EXPECT_EQ(throttle.waitMs(QHostAddress("192.0.2.7")), LoginThrottle::FirstWaitMs);
    EXPECT_EQ(throttle.waitMs(QHostAddress("192.0.2.8")), 0);
    throttle.succeeded(QHostAddress("192.0.2.7"));
    EXPECT_EQ(throttle.waitMs(QHostAddress("192.0.2.7")), 0);
    // A flood of other networks does not clear a client that must wait.
    for (int i = 0; i < LoginThrottle::MaxClients + 5; ++i)
        throttle.failed(QHostAddress(QStringLiteral("2001:db8:%1::1").arg(i + 10, 0, 16)));
    EXPECT_GT(throttle.waitMs(QHostAddress("2001:db8:1:2::1")), 0);
}

TEST(PasswordStoreTest, OnlyAnArgon2idHashIsKeptForItsOwnerAlone)
{
    QTemporaryDir dir;
    PasswordStore store(dir.path());
    EXPECT_FALSE(store.isSet());
    EXPECT_FALSE(store.verify(""));
    QString error;
    EXPECT_FALSE(store.set("short", error));
    EXPECT_FALSE(QFile::exists(store.filePath()));
    ASSERT_TRUE(store.set("a long enough secret", error)) << error.toStdString();
    QFile file(store.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    EXPECT_TRUE(stored.startsWith("$argon2id$")) << stored.constData();
    EXPECT_FALSE(stored.contains("secret"));
    // Nothing for the group or others (the "user" bits are the owner's as this user sees them).
    EXPECT_EQ(QFileInfo(file).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadUser | QFileDevice::WriteUser);
    EXPECT_TRUE(store.verify("a long enough secret"));
    EXPECT_FALSE(store.verify("a long enough secreT"));
    // A damaged file is no password.
    file.close();
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain text\n");
    file.close();
    EXPECT_FALSE(store.isSet());
    EXPECT_FALSE(store.verify("plain text"));
}

// Decodes a whole converted file with sox into raw 16-bit samples.
QByteArray soxSamples(const QString &wav)
{
    QProcess sox;
    sox.start("sox", {wav, "-t", "raw", "-e", "signed-integer", "-b", "16", "-"});
    sox.waitForFinished(20000);
    return sox.readAllStandardOutput();
}

QByteArray readRange(PcmWavStream &stream, qint64 first, qint64 last)
{
    stream.close();
    EXPECT_TRUE(stream.openRange(first, last));
    QByteArray bytes;
    while (!stream.atEnd()) {
        const QByteArray block = stream.read(3000);
        if (block.isEmpty())
            break;
        bytes += block;
    }
    return bytes;
}

TEST(PcmWavStreamTest, EachCompressionBecomesPcmThatSoxReadsAtFullLength)
{
    struct Case
    {
        const char *name;
        std::uint16_t tag, bits;
        bool rangesExact; // block codecs without state across blocks
    };
    const Case cases[] = {
        {"ima", 0x11, 4, true}, {"gsm", 0x31, 0, false}, {"pcm8", 1, 8, true},
        {"alaw", 6, 8, true},   {"msadpcm", 2, 4, true}, {"pcm16", 1, 16, true},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = dir.filePath(QString(c.name) + ".wav");
        // 2.345 s: the last codec block is a partial one.
        ASSERT_TRUE(testaudio::writeSpeechWav(source, c.tag, 2.345, c.bits));
        QString error;
        auto stream = PcmWavStream::open(source, error);
        ASSERT_TRUE(stream) << error.toStdString();
        const qint64 size = stream->convertedSize();
        const QByteArray whole = readRange(*stream, 0, size - 1);
        ASSERT_EQ(whole.size(), size);
        const QString converted = dir.filePath(QString(c.name) + "-pcm.wav");
        QFile out(converted);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(whole);
        out.close();
        // sox reads the header and every sample; as many samples as sox decodes from the source.
        const QByteArray fromOurs = soxSamples(converted);
        EXPECT_EQ(fromOurs.size(), size - PcmWavStream::HeaderSize);
        EXPECT_EQ(fromOurs, whole.mid(PcmWavStream::HeaderSize));
        const QByteArray fromSource = soxSamples(source);
        EXPECT_NEAR(double(fromOurs.size()), double(fromSource.size()), 2.0 * 64);
        // Ranges anywhere, as a browser's seek asks for them.
        for (const qint64 first :
             {qint64(0), qint64(43), qint64(44), qint64(1001), size / 2, size - 3}) {
            const qint64 last = std::min(size - 1, first + 4999);
            const QByteArray part = readRange(*stream, first, last);
            ASSERT_EQ(part.size(), last - first + 1) << first;
            if (c.rangesExact || first < PcmWavStream::HeaderSize) {
                EXPECT_EQ(part, whole.mid(first, last - first + 1)) << first;
            }
        }
    }
}

TEST(PcmWavStreamTest, FilesThatAreNoWavAreRefused)
{
    QTemporaryDir dir;
    const QList<QByteArray> contents = {
        "", "not a wav file at all", QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16),
        QByteArray("RIFF\xff\xff\xff\x7fWAVEdata\xff\xff\xff\x7f", 20)};
    for (const QByteArray &content : contents) {
        const QString path = dir.filePath("bad.wav");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QString error;
        EXPECT_FALSE(PcmWavStream::open(path, error)) << content.toHex().constData();
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_FALSE(PcmWavStream::open(dir.filePath("missing.wav"), error));
}

} // namespace
