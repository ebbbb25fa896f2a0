#include "platform/hostinfo.h"

#include "support/tempdir.h"

#include <QDir>
#include <QHostAddress>
#include <QHostInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "support/printers.h"

using namespace bkp::platform;

TEST(HostInfo, LocalAddressIsTheFirstIPv4OfTheOwnName) {
    const QString ip = localIPAddress();
    QString expected;
    for (const QHostAddress &a : QHostInfo::fromName(QHostInfo::localHostName()).addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            expected = a.toString();
            break;
        }
    }
    EXPECT_EQ(ip, expected);
    if (!ip.isEmpty()) {
        EXPECT_TRUE(QRegularExpression("^\\d{1,3}(\\.\\d{1,3}){3}$").match(ip).hasMatch());
    }
}

TEST(HostInfo, ComputerNameAndTempFolder) {
    EXPECT_FALSE(computerName().isEmpty());
    EXPECT_EQ(computerName(), QHostInfo::localHostName());
    EXPECT_EQ(tempFolder(), QDir::tempPath());
}
