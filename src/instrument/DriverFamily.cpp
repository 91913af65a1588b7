#include "instrument/DriverFamily.h"

const DriverFamily DVM_CAL_5200 = {
    QStringLiteral("DVM_CAL_5200"),
    QStringLiteral("Quorvadine 5200"),
    {QStringLiteral("5241"), QStringLiteral("5210"), QStringLiteral("5250"), QStringLiteral("5741"),
     QStringLiteral("5710"), QStringLiteral("5750"), QStringLiteral("7241"), QStringLiteral("7210"),
     QStringLiteral("7250")},
    true,
};

const DriverFamily DVM_CAL_5600 = {
    QStringLiteral("DVM_CAL_5600"),
    QStringLiteral("Quorvadine 5600"),
    {QStringLiteral("5600")},
    true,
};

const DriverFamily DVM_6481 = {
    QStringLiteral("DVM_6481"),
    QStringLiteral("Quorvadine 6481"),
    {QStringLiteral("6471"), QStringLiteral("6481"), QStringLiteral("6400"), QStringLiteral("6480"),
     QStringLiteral("6881"), QStringLiteral("6871")},
    false,
};
