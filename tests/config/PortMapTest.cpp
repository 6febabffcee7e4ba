// The COM port map: seeding and lookups in both directions.
#include "config/PortMap.h"
#include "config/TIniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PortMapTest, SeedsMissingPortsAndKeepsTheUsersOwn)
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("orv.ini"));
    ini.WriteString("ports", "COM2", "/dev/pts/7");
    PortMap::seed(ini);

    EXPECT_EQ(PortMap::devicePath(ini, 1), "/dev/ttyACM0");
    EXPECT_EQ(PortMap::devicePath(ini, 2), "/dev/pts/7");
    EXPECT_EQ(PortMap::devicePath(ini, 5), "/dev/ttyUSB0");
    EXPECT_EQ(PortMap::devicePath(ini, 9), "/dev/ttyS0");
    EXPECT_EQ(PortMap::devicePath(ini, 16), "/dev/ttyS7");
    EXPECT_EQ(PortMap::devicePath(ini, 0), "");
    EXPECT_EQ(PortMap::devicePath(ini, 17), "");
    EXPECT_EQ(ini.readSection("Ports").size(), 16);
}

TEST(PortMapTest, FindsThePortOfADeviceThroughLinks)
{
    QTemporaryDir dir;
    TIniFile ini(dir.filePath("orv.ini"));
    const QString device = dir.filePath("ttyFake");
    QFile(device).open(QIODevice::WriteOnly);
    QFile::link(device, dir.filePath("by-id-link"));
    ini.WriteString("Ports", "COM6", device);

    EXPECT_EQ(PortMap::portForDevice(ini, dir.filePath("by-id-link")), 6);
    EXPECT_EQ(PortMap::portForDevice(ini, "/dev/none-such"), 0);
}
