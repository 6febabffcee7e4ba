// Ports the system does not let this user open: the advice text, the lookups behind it, and
// the messages of a failed opening that carry it.
#include "ModemFixture.h"
#include "RefusingPort.h"
#include "ScaledTime.h"

#include "modem/PortPermission.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

using PortPermission::DeniedPort;

TEST(PortPermissionTest, AdviceNamesTheDevicesTheirGroupAndTheCommand)
{
    const QString dialout =
        QStringLiteral("(group dialout). Add yourself to the group with: sudo usermod -aG "
                       "dialout alice, then log out and in again.");
    const QString administrator =
        QStringLiteral(". Ask the administrator of this computer to let you use it.");
    struct Case
    {
        const char *name;
        QList<DeniedPort> ports;
        QString user;
        QString advice;
    };
    const Case cases[] = {
        {"one port",
         {{"/dev/ttyACM0", "dialout"}},
         "alice",
         "Permission denied on /dev/ttyACM0 " + dialout},
        {"two ports of one group, one of them twice",
         {{"/dev/ttyACM0", "dialout"}, {"/dev/ttyUSB0", "dialout"}, {"/dev/ttyACM0", "dialout"}},
         "alice",
         "Permission denied on /dev/ttyACM0, /dev/ttyUSB0 " + dialout},
        {"two groups",
         {{"/dev/ttyACM0", "dialout"}, {"/dev/ttyS0", "uucp"}},
         "alice",
         "Permission denied on /dev/ttyACM0 " + dialout +
             "\nPermission denied on /dev/ttyS0 (group uucp). Add yourself to the group with: "
             "sudo usermod -aG uucp alice, then log out and in again."},
        {"an unknown user",
         {{"/dev/ttyUSB1", "dialout"}},
         "",
         "Permission denied on /dev/ttyUSB1 (group dialout). Add yourself to the group with: "
         "sudo usermod -aG dialout $USER, then log out and in again."},
        {"the group root",
         {{"/dev/ttyS0", "root"}},
         "alice",
         "Permission denied on /dev/ttyS0" + administrator},
        {"an unknown group",
         {{"/dev/ttyS1", ""}},
         "alice",
         "Permission denied on /dev/ttyS1" + administrator},
        {"no ports", {}, "alice", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PortPermission::advice(c.ports, c.user), c.advice);
    }
}

TEST(PortPermissionTest, LooksUpTheDevicesGroupTheUserAndTheAccess)
{
    QTemporaryDir dir;
    const QString open = dir.filePath("open-tty");
    const QString closed = dir.filePath("closed-tty");
    const QString missing = dir.filePath("missing-tty");
    for (const QString &path : {open, closed}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(closed).constData(), 0), 0);

    const QFileInfo info(open);
    EXPECT_EQ(PortPermission::owningGroup(open), info.group());
    EXPECT_EQ(PortPermission::owningGroup(missing), QString());
    EXPECT_EQ(PortPermission::userName(), info.owner()) << "the user who created the file";
    EXPECT_EQ(PortPermission::advice(QStringList{open, closed}),
              PortPermission::advice({{open, info.group()}, {closed, info.group()}}, info.owner()));

    EXPECT_FALSE(PortPermission::denied(open));
    EXPECT_FALSE(PortPermission::denied(missing)) << "missing is another failure";
    // The superuser may open any device.
    EXPECT_EQ(PortPermission::denied(closed), ::geteuid() != 0);
}

class PortPermissionModemTest : public ModemFixture
{
protected:
    // The scan's settling waits at a tenth.
    ScaledTime fast{0.1};

    QString device(const char *name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }
};

// Modem On and the other openings of the modem link show "Error during opening com port N";
// when the system refused the device, a second line tells how to get access.
TEST_F(PortPermissionModemTest, AFailedOpeningSaysWhenPermissionWasTheReason)
{
    const QString acm = device("ttyACM0");
    const QString busy = device("ttyUSB0");
    auto *port = new RefusingPort(
        {{3, {SerialError::Kind::Permission, acm}}, {4, {SerialError::Kind::InUse, busy}}});
    TfmModem modem(ini, prefs, profile, log, messages, std::unique_ptr<SerialPort>(port));
    const QString advice = PortPermission::advice(QStringList{acm});
    ASSERT_TRUE(advice.startsWith("Permission denied on " + acm));

    struct Case
    {
        int port;
        QString denied;
        QString message;
    };
    const Case cases[] = {
        {3, acm, "Error during opening com port 3\n" + advice},
        {4, {}, "Error during opening com port 4"},
        {5, {}, "Error during opening com port 5"},
        {3, acm, "Error during opening com port 3\n" + advice},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.port);
        profile.port = c.port;
        messages.texts.clear();
        newLogLines();
        modem.modemOn();
        EXPECT_FALSE(modem.PortOpen());
        EXPECT_EQ(modem.deniedDevice(), c.denied);
        EXPECT_EQ(messages.texts, QStringList{c.message});
        EXPECT_EQ(modem.openErrorMessage(c.port), c.message);
        EXPECT_EQ(newLogLines().contains(advice), !c.denied.isEmpty()) << "the log says it too";
        // Record words its message otherwise.
        const QString record = QStringLiteral("Error opening com port %1").arg(c.port);
        EXPECT_EQ(modem.openErrorMessage(record),
                  c.denied.isEmpty() ? record : record + "\n" + advice);
    }

    // Port scanning shows the refusal with its class name and the advice.
    messages.texts.clear();
    EXPECT_FALSE(modem.TryComPort(*port, 3));
    EXPECT_EQ(messages.texts, QStringList{"Exception class name = EComPermissionDenied\n" + acm +
                                          ": Permission denied\n" + advice});
    EXPECT_FALSE(modem.TryComPort(*port, 4));
    EXPECT_EQ(messages.texts.last(),
              "Exception class name = EComPortInUse\n" + busy + ": Device or resource busy");
}
