#include "caldata/DefaultFiles.h"

#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QFileInfo>

namespace {

bool choose(Prompts &prompts, const QString &key, const QString &title, const QString &filter)
{
    const QString path = prompts.openFileName(title, filter, Settings::value(key));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    // The store matches key names without regard to case, so this is the one value the setup
    // sequence reads, however an older version spelt the key.
    return Settings::setValue(key, path);
}

} // namespace

QString DefaultFiles::specFile()
{
    return Settings::value(SettingsKey::DefaultSpec);
}

QString DefaultFiles::uncertFile()
{
    return Settings::value(SettingsKey::DefaultUncert);
}

bool DefaultFiles::chooseSpecFile(Prompts &prompts)
{
    return choose(prompts, SettingsKey::DefaultSpec, QStringLiteral("Default Specifications"),
                  QStringLiteral("Spec Files (*.spec)"));
}

bool DefaultFiles::chooseUncertFile(Prompts &prompts)
{
    return choose(prompts, SettingsKey::DefaultUncert, QStringLiteral("Default Imported Uncertainties"),
                  QStringLiteral("Uncertainty Files (*.uncert)"));
}
