#include "platform/SystemView.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <unistd.h>
#endif

#include <vector>

QString SystemView::shown(const QString &prefixed) const
{
    return !root.isEmpty() && prefixed.startsWith(root) ? prefixed.mid(root.size()) : prefixed;
}

QString SystemView::nameOfGroup(uint gid) const
{
    const QString name = groupName ? groupName(gid) : QString();
    return name.isEmpty() ? QString::number(gid) : name;
}

bool SystemView::listedInGroup(const QString &group) const
{
    QFile file(path(QStringLiteral("/etc/group")));
    if (userName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    // name:password:gid:member,member
    while (!file.atEnd()) {
        const QStringList fields = QString::fromLocal8Bit(file.readLine()).trimmed().split(QLatin1Char(':'));
        if (fields.size() >= 4 && fields.at(0) == group)
            return fields.at(3).split(QLatin1Char(','), Qt::SkipEmptyParts).contains(userName);
    }
    return false;
}

SystemView SystemView::current()
{
    SystemView view;
#ifdef Q_OS_UNIX
    view.uid = ::geteuid();
    view.userName = qEnvironmentVariable("USER");
    view.groups << ::getegid();
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> ids(size_t(count), 0);
        const int got = ::getgroups(count, ids.data());
        for (int i = 0; i < got; ++i) {
            if (!view.groups.contains(ids[size_t(i)]))
                view.groups << ids[size_t(i)];
        }
    }
    view.groupName = [](uint gid) {
        const group *entry = ::getgrgid(gid_t(gid));
        return entry ? QString::fromLocal8Bit(entry->gr_name) : QString();
    };
#endif
    return view;
}
