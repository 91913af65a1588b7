#pragma once

#include <QLoggingCategory>

/// Every command and reply of the instrument layer; "--trace" and the communication log read it.
Q_DECLARE_LOGGING_CATEGORY(lcInstrument)

/// Shows control characters of wire text readably: CR as \r, LF as \n, others as \xNN.
QString visibleWireText(const QByteArray &bytes);
