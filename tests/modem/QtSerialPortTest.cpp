// The QSerialPort backend on pseudo-terminals, and the port-scanning operations built on it.
#include "ModemFixture.h"
#include "ScaledTime.h"

#include "modem/PortPermission.h"
#include "modem/QtSerialPort.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

class QtSerialPortTest : public ModemFixture
{
protected:
    QtSerialPort port{ini};

    void useComPort(int number)
    {
        SerialSettings settings;
        settings.port = number;
        settings.flow = SerialFlow::None;
        port.setSettings(settings);
    }
};

TEST_F(QtSerialPortTest, ReadsWritesAndNotifiesThroughTheEventLoop)
{
    for (const char *flow : {"Hardware", "Software", "None"}) {
        SCOPED_TRACE(flow);
        SerialSettings settings;
        settings.port = Port;
        settings.baudRate = 57600;
        settings.flow = serialFlowFromName(flow);
        port.setSettings(settings);
        int opened = 0;
        int closed = 0;
        QByteArray got;
        auto c1 = QObject::connect(&port, &SerialPort::opened, [&] { ++opened; });
        auto c2 = QObject::connect(&port, &SerialPort::closed, [&] { ++closed; });
        auto c3 = QObject::connect(&port, &SerialPort::dataAvailable,
                                   [&](int count) { got += port.read(count); });

        port.open();
        EXPECT_EQ(opened, 0); // delivered later, on the event loop
        ASSERT_TRUE(waitFor([&] { return opened == 1; }));
        EXPECT_EQ(port.outputFree(), SerialPort::BufferSize);
        port.write("at\r");
        EXPECT_TRUE(waitFor([this] { return peer.commands.contains("at"); }));
        peer.send("\r\nOK\r\n");
        EXPECT_TRUE(waitFor([&] { return got == "\r\nOK\r\n"; }));

        peer.send("stale");
        Waits::waitMs(100);
        port.discardInput();
        EXPECT_EQ(port.read(100), QByteArray());
        port.close();
        EXPECT_TRUE(waitFor([&] { return closed == 1; }));
        EXPECT_THROW(port.write("at\r"), SerialError);
        EXPECT_EQ(port.outputFree(), SerialPort::BufferSize);
        QObject::disconnect(c1);
        QObject::disconnect(c2);
        QObject::disconnect(c3);
        peer.commands.clear();
        got.clear();
    }
}

TEST_F(QtSerialPortTest, OpenErrorsNameTheirKind)
{
    struct Case
    {
        int port;
        QString device;
        SerialError::Kind kind;
    };
    const Case cases[] = {
        {17, {}, SerialError::Kind::InvalidPort},
        {Port, dir.filePath("missing"), SerialError::Kind::InvalidPort},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.port);
        if (!c.device.isEmpty())
            pointPortAt(c.device);
        useComPort(c.port);
        try {
            port.open();
            ADD_FAILURE() << "opened";
        } catch (const SerialError &e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_EQ(e.className(), "EComInvalidPort");
        }
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(QtSerialPortTest, TriggerFiresOnceAcrossReadsWithoutRegardToCase)
{
    useComPort(Port);
    port.open();
    int fired = 0;
    QObject::connect(&port, &SerialPort::triggered, [&] { ++fired; });
    port.setTrigger("OK");
    peer.send("\r\no");
    Waits::waitMs(150);
    EXPECT_EQ(fired, 0);
    peer.send("k\r\n");
    EXPECT_TRUE(waitFor([&] { return fired == 1; }));
    peer.send("\r\nOK\r\n"); // fired once only
    Waits::waitMs(200);
    EXPECT_EQ(fired, 1);
}

TEST_F(QtSerialPortTest, ProbeFindsAModemThatAnswersOk)
{
    // The settling waits and the two seconds the probe listens run at a tenth.
    ScaledTime fast(0.1);
    ASSERT_TRUE(peer.isValid());
    useComPort(Port);
    answerLikeModem(peer, {});
    EXPECT_TRUE(modem().TryComPort(port, Port));
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(modem().ProbeComPort(port, Port));
    EXPECT_TRUE(peer.received.endsWith("AT\r\n"));

    answerLikeModem(peer, {{"AT", "\r\nNO CARRIER\r\n"}});
    EXPECT_FALSE(modem().ProbeComPort(port, Port));
    port.close();

    // Missing devices are passed over silently; a port another program holds is reported.
    EXPECT_FALSE(modem().TryComPort(port, 16 + 1));
    pointPortAt(dir.filePath("missing"));
    EXPECT_FALSE(modem().TryComPort(port, Port));
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_THROW(modem().ProbeComPort(port, Port), SerialError);

    pointPortAt(peer.slavePath());
    QtSerialPort holder(ini);
    holder.setSettings(port.settings());
    holder.open();
    EXPECT_FALSE(modem().TryComPort(port, Port));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith("Exception class name = EComPortInUse\n"));
}

// A terminal this user may not open is told apart from one another program holds, and the
// message of the failed opening names the device, its group and the way in.
TEST_F(QtSerialPortTest, ATerminalThisUserMayNotOpenIsRefusedForPermission)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser opens any device, so none can be refused to it";
    const QByteArray slave = QFile::encodeName(peer.slavePath());
    ASSERT_EQ(::chmod(slave.constData(), 0), 0);
    useComPort(Port);
    try {
        port.open();
        ADD_FAILURE() << "opened";
    } catch (const SerialError &e) {
        EXPECT_EQ(e.kind(), SerialError::Kind::Permission);
        EXPECT_EQ(e.className(), "EComPermissionDenied");
        EXPECT_EQ(e.device(), peer.slavePath());
    }
    EXPECT_FALSE(port.isOpen());

    EXPECT_FALSE(modem().OpenModemPort(Port, false));
    const QFileInfo info(peer.slavePath());
    const QString advice = PortPermission::advice({{peer.slavePath(), info.group()}}, info.owner());
    EXPECT_TRUE(advice.startsWith("Permission denied on " + peer.slavePath()));
    EXPECT_EQ(modem().openErrorMessage(Port),
              QStringLiteral("Error during opening com port %1\n").arg(Port) + advice);
    ASSERT_EQ(::chmod(slave.constData(), 0600), 0);
}
