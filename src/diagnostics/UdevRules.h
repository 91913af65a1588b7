#pragma once

#include "platform/SystemView.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

/**
 * @brief The udev rules files of this computer, read for what they say about the USB serial
 * bridges (vendor 0403): which give it to the user, which tell the modem manager to leave it
 * alone, which hand it to the braille display daemon.
 */
class UdevRules
{
public:
    struct Line
    {
        QString file;   ///< "/etc/udev/rules.d/70-calsetup.rules"
        int number = 0; ///< the file name's leading number, which orders the rules (-1: none)
        QString text;
    };

    /// Every rule line of every rules file in the system's rule folders.
    explicit UdevRules(const SystemView &system);

    /// The folders read, the administrator's first.
    static QStringList folders();

    /// Lines naming vendor 0403 that give access (TAG uaccess, MODE or GROUP).
    QList<Line> bridgeAccess() const;
    /// Lines naming vendor 0403 that set ID_MM_DEVICE_IGNORE to 1.
    QList<Line> modemManagerIgnore() const;
    /// Lines naming vendor 0403 that start or tag brltty.
    QList<Line> brlttyClaims() const;

    /// The file's leading number ("70-calsetup.rules": 70), -1 when it has none.
    static int fileNumber(const QString &fileName);

private:
    QList<Line> bridgeLinesMatching(const QRegularExpression &pattern) const;

    QList<Line> m_lines;
};
