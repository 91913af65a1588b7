// The installed udev rule gives the user at the seat exactly the FTDI bridges the program opens,
// and the GPIB boards, early enough for the seat's access lists to apply.
#include "platform/UsbBridge.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QStringList ruleLines()
{
    QFile file(QStringLiteral(CALSETUP_UDEV_RULES_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(QLatin1Char('#')))
            lines << line;
    }
    return lines;
}

QString field(const QString &line, const QString &key)
{
    const QRegularExpression pattern(QRegularExpression::escape(key) + QStringLiteral("==\"([^\"]*)\""));
    return pattern.match(line).captured(1);
}

TEST(UdevRules, NumberedBeforeTheSeatAppliesItsTags)
{
    // 73-seat-late.rules turns the "uaccess" tags into access lists; a tag set later is ignored.
    const QString name = QFileInfo(QStringLiteral(CALSETUP_UDEV_RULES_FILE)).fileName();
    bool ok = false;
    const int number = name.section(QLatin1Char('-'), 0, 0).toInt(&ok);
    ASSERT_TRUE(ok) << name.toStdString();
    EXPECT_LT(number, 73);
    EXPECT_TRUE(name.endsWith(QLatin1String(".rules")));
}

TEST(UdevRules, GiveTheSeatEveryBridgeTheProgramOpensAndTheGpibBoards)
{
    const QStringList lines = ruleLines();
    ASSERT_FALSE(lines.isEmpty()) << CALSETUP_UDEV_RULES_FILE;

    QSet<int> products;
    int gpibRules = 0;
    for (const QString &line : lines) {
        EXPECT_TRUE(line.contains(QLatin1String("TAG+=\"uaccess\""))) << line.toStdString();
        if (field(line, QStringLiteral("KERNEL")) == QLatin1String("gpib[0-9]*")) {
            ++gpibRules;
            continue;
        }
        EXPECT_EQ(field(line, QStringLiteral("SUBSYSTEM")), QStringLiteral("usb")) << line.toStdString();
        bool vendorOk = false;
        bool productOk = false;
        EXPECT_EQ(field(line, QStringLiteral("ATTR{idVendor}")).toInt(&vendorOk, 16), UsbBridge::kFtdiVendorId)
            << line.toStdString();
        const int product = field(line, QStringLiteral("ATTR{idProduct}")).toInt(&productOk, 16);
        EXPECT_TRUE(vendorOk && productOk) << line.toStdString();
        EXPECT_FALSE(products.contains(product)) << "twice: " << line.toStdString();
        products.insert(product);
    }

    EXPECT_EQ(gpibRules, 1);
    // No bridge the program opens is left to root, and no other device is handed out.
    const QSet<int> opened(std::begin(UsbBridge::kFtdiProductIds), std::end(UsbBridge::kFtdiProductIds));
    EXPECT_EQ(products, opened);
}

} // namespace
