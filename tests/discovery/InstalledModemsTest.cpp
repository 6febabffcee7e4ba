// The installed-modem list: names from by-id links and the ports they are attached to.
#include "DiscoveryFixture.h"

#include "modem/discovery/IdentityReply.h"
#include "modem/discovery/InstalledModems.h"

TEST(InstalledModemsTest, DisplayNameComesFromTheLinkName)
{
    struct Case
    {
        const char *link;
        const char *name;
    };
    const Case cases[] = {
        {"usb-Conexant_USB_Modem_1234-if00", "Conexant USB Modem"},
        {"usb-U.S._Robotics_USB_Modem-if00", "U.S. Robotics USB Modem"},
        {"usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0",
         "Silicon Labs CP2102 USB to UART Bridge Controller"},
        {"pci-Agere_Systems_Modem_A6004Z0K-port0", "Agere Systems Modem"},
        {"usb-Modem", "Modem"},
        {"usb-_-if00", "usb-_-if00"},
        {"usb-Bad\tName\x01_X-if00", "Bad Name X"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.link);
        EXPECT_EQ(InstalledModems::displayNameOf(c.link), c.name);
    }
    EXPECT_EQ(InstalledModems::displayNameOf("usb-" + QString(500, 'A') + "-if00").size(),
              InstalledModems::MaxNameLength);
}

TEST(IdentityReplyTest, TextAfterTheFirstColonIsKept)
{
    EXPECT_EQ(IdentityReply::cut("+GMM: V90"), " V90");
    EXPECT_EQ(IdentityReply::cut("Model: Mixed: 56K"), " Mixed: 56K");
    EXPECT_EQ(IdentityReply::cut("CX93001"), "CX93001");
    EXPECT_EQ(IdentityReply::cut("A\r\nB\x07"), "A  B ");
    EXPECT_EQ(IdentityReply::cut(QString(1000, 'x')).size(), IdentityReply::MaxLength);
}

using InstalledModemsListTest = DiscoveryFixture;

TEST_F(InstalledModemsListTest, InstalledModemsAreOfferedWithoutProbing)
{
    for (const char *name : {"ttyACM0", "ttyS3", "ttyUSB9"}) {
        QFile device(dir.filePath(name));
        ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    }
    mapPort(3, dir.filePath("ttyACM0"));
    mapPort(12, dir.filePath("ttyS3"));
    addInstalledLink("usb-Conexant_USB_Modem_1234-if00", dir.filePath("ttyACM0"));
    addInstalledLink("pci-Agere_Systems_Modem-port0", dir.filePath("ttyS3"));
    addInstalledLink("usb-Zoom_Voice_Modem_77-if00", dir.filePath("ttyUSB9"));
    ini.WriteString("Modem", "Model", "old modem");

    ASSERT_EQ(discovery().FindModems(), 3);

    EXPECT_EQ(discovery().listLines(),
              QStringList({"Agere Systems Modem", "Conexant USB Modem", "Zoom Voice Modem"}));
    EXPECT_EQ(discovery().candidate(0).port, 12);
    EXPECT_EQ(discovery().candidate(0).PortName, "COM12");
    EXPECT_EQ(discovery().candidate(1).port, 3);
    EXPECT_EQ(discovery().candidate(1).PortName, "COM3");
    // No COM number stands for this device: its path is shown and it has no port yet.
    EXPECT_EQ(discovery().candidate(2).port, 0);
    EXPECT_EQ(discovery().candidate(2).PortName, dir.filePath("ttyUSB9"));
    EXPECT_FALSE(ini.SectionExists("Modem"));
    EXPECT_FALSE(logHas("----- finding modems -----"));

    // A later search that cannot place the modem keeps the port it learnt before.
    mapPort(4, dir.filePath("ttyUSB9"));
    discovery().FindModems();
    EXPECT_EQ(discovery().candidate(2).port, 4);
    mapPort(4, dir.filePath("no-such-tty4"));
    discovery().FindModems();
    EXPECT_EQ(discovery().candidate(2).port, 4);
}
