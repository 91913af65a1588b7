#include "diagnostics/UdevRules.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

bool namesBridgeVendor(const QString &text)
{
    // By the device's attribute, or by the kernel's PRODUCT ("403/6001/600"), as the braille
    // daemon's packaged rules name it.
    static const QRegularExpression vendor(QStringLiteral(R"(idVendor\}?\s*==\s*"0403"|PRODUCT\}\s*==\s*"403/)"));
    return vendor.match(text).hasMatch();
}

} // namespace

UdevRules::UdevRules(const SystemView &system)
{
    // A file in /etc replaces the packaged file of the same name, as udev itself reads them.
    QSet<QString> seen;
    for (const QString &folder : folders()) {
        const QDir dir(system.path(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.rules")}, QDir::Files, QDir::Name)) {
            if (seen.contains(name))
                continue;
            seen.insert(name);
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            QString pending;
            while (!file.atEnd()) {
                QString text = QString::fromUtf8(file.readLine()).trimmed();
                // A backslash at the end continues the rule on the next line.
                if (text.endsWith(QLatin1Char('\\'))) {
                    pending += text.chopped(1) + QLatin1Char(' ');
                    continue;
                }
                text = pending + text;
                pending.clear();
                if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
                    continue;
                m_lines << Line{folder + QLatin1Char('/') + name, fileNumber(name), text};
            }
        }
    }
}

QStringList UdevRules::folders()
{
    return {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
            QStringLiteral("/usr/lib/udev/rules.d"), QStringLiteral("/lib/udev/rules.d")};
}

QList<UdevRules::Line> UdevRules::bridgeLinesMatching(const QRegularExpression &pattern) const
{
    QList<Line> found;
    for (const Line &line : m_lines) {
        if (namesBridgeVendor(line.text) && pattern.match(line.text).hasMatch())
            found << line;
    }
    return found;
}

QList<UdevRules::Line> UdevRules::bridgeAccess() const
{
    static const QRegularExpression grants(QStringLiteral(R"(uaccess|\bMODE\s*:?=|\bGROUP\s*:?=)"));
    return bridgeLinesMatching(grants);
}

QList<UdevRules::Line> UdevRules::modemManagerIgnore() const
{
    static const QRegularExpression ignore(QStringLiteral(R"(ENV\{ID_MM_DEVICE_IGNORE\}\s*=\s*"1")"));
    return bridgeLinesMatching(ignore);
}

QList<UdevRules::Line> UdevRules::brlttyClaims() const
{
    static const QRegularExpression brltty(QStringLiteral("brltty"), QRegularExpression::CaseInsensitiveOption);
    return bridgeLinesMatching(brltty);
}

int UdevRules::fileNumber(const QString &fileName)
{
    static const QRegularExpression leading(QStringLiteral(R"(^(\d+))"));
    const QRegularExpressionMatch match = leading.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}
