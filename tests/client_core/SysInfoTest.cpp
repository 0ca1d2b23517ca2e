// The computer description of the attachments page.
#include "CSysInfo.h"

#include <gtest/gtest.h>

#include <QStringList>

TEST(SysInfoTest, DiskPiecesCarryTheSameNumbersInEachForm) {
    EXPECT_EQ(CSysInfo::DiskPiece("disk", "/", 1000, 250), "硬盘/:,1000,750,250,75%,/盘^");
    EXPECT_EQ(CSysInfo::DiskPiece("remote", "/mnt/share", 200, 100), "远程系统/mnt/share:,200,100,100,50%,/mnt/share盘^");
    EXPECT_EQ(CSysInfo::DiskPiece("ram", "/tmp", 1000, 250), "内存盘/tmp:|1000|750|250|75%|/tmp盘^");
    // A disk of no size counts as empty rather than dividing by zero.
    EXPECT_EQ(CSysInfo::DiskPiece("disk", "/x", 0, 0), "硬盘/x:,0,0,0,0%,/x盘^");
}

TEST(SysInfoTest, TextHoldsMemorySystemDisksAndProcessor) {
    const CSysInfo info;
    const QStringList lines = info.Text().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("总内存=")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(",可用虚拟内存")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("Linux")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(']')) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].isEmpty() || lines[2].endsWith("盘^")) << lines[2].toStdString();
    EXPECT_FALSE(lines[3].isEmpty());
}
