#pragma once

#include <QStringList>

class UsbBridgeAccess;

/**
 * @brief Asks every listed USB device for its identification at once: opens each and writes
 * "*IDN?" to all, waits one common pause so they answer in parallel, then reads and closes each.
 *
 * Each device's Reply field takes its answer. Returns one text per device for the list's "Reply"
 * column: the answer, "No Reply" when the device opened but said nothing in time, "-" when it
 * would not open.
 */
class UsbIdentificationPass
{
public:
    /// count: how many of the transport's devices to ask (the listing's count). With
    /// removeLineEnds every CR and LF is taken out of the answers.
    static QStringList run(UsbBridgeAccess &usb, int count, bool removeLineEnds);

    static constexpr int kAnswerPauseMs = 500;
    static inline const QString kNotOpened = QStringLiteral("-");
    static inline const QString kNoReply = QStringLiteral("No Reply");
};
