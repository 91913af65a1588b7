#include "instrument/usb/FtdiUsbBridge.h"

#include <gtest/gtest.h>

#ifdef CALSETUP_HAVE_LIBFTDI1
// The advice leads with the rule the package installs and keeps a hand-written line, for the
// bridge's own product number, as the way when the package is not there.
TEST(UdevAdvice, NamesTheInstalledRuleFirstAndTheHandLineAfter)
{
    const QString advice = FtdiUsbBridge::udevRuleAdvice(0x6015);
    const QStringList inOrder{"/usr/lib/udev/rules.d/70-calsetup.rules", "/etc/udev/rules.d/",
                              "udevadm control --reload-rules", "udevadm trigger",
                              "ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6015\""};
    qsizetype from = 0;
    for (const QString &part : inOrder) {
        const qsizetype at = advice.indexOf(part, from);
        EXPECT_GE(at, 0) << part.toStdString() << " missing after " << from << " in\n" << advice.toStdString();
        from = at < 0 ? from : at;
    }
}
#endif
