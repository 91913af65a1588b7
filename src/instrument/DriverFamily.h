#pragma once

#include <QString>
#include <QStringList>

/**
 * @brief What tells the three driver families apart: their identity test, the first line of their
 * description and how a USB device that fails to open is reported.
 */
struct DriverFamily
{
    QString className;          ///< "DVM_CAL_5200", "DVM_CAL_5600" or "DVM_6481"
    QString description;        ///< first line of GetDescription
    QStringList identityModels; ///< any of these in an identification (with the maker) is ours
    bool openFailureIsTimeout;  ///< false: the DMM reports a USB bridge that will not open as ""
};

/// The maker's name that every identification of ours carries.
inline const QString kMakerName = QStringLiteral("Quorvadine");

extern const DriverFamily DVM_CAL_5200;
extern const DriverFamily DVM_CAL_5600;
extern const DriverFamily DVM_6481;
