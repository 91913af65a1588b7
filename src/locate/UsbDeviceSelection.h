#pragma once

#include "instrument/usb/UsbDeviceRecord.h"

#include <QList>
#include <QObject>
#include <QString>

class InstrumentSession;
class Prompts;

/**
 * @brief What the USB device window does, without the window: lists the bridges with their
 * answers to the identification query, and makes one of them the instrument's USB device, by the
 * user's choice, by its answer ("Autolocate") or by the adapter's description ("Automatic by
 * Adapter ID"); also the test exchanges of the window's test box.
 *
 * A choice takes effect at once: the device record in use, the settings and `DVM`. The rows are
 * what the list shows; when the last listing found no device they are the single row "No USB
 * Devices Detected", and nothing can be selected from it (an older listing is not offered in its
 * place). An action started while another runs (events run during the waits) does nothing.
 */
class UsbDeviceSelection : public QObject
{
    Q_OBJECT
public:
    struct Row
    {
        QString name;
        QString serialNumber;
        QString reply;
    };

    UsbDeviceSelection(InstrumentSession &session, Prompts &prompts, QObject *parent = nullptr);

    /// The device record in use from the settings.
    void load();

    const QList<Row> &rows() const { return m_rows; }
    /// How many devices the list shows (0 while it shows "No USB Devices Detected").
    int deviceCount() const { return m_count; }
    /// The device in use (the active module).
    const UsbDeviceRecord &activeDevice() const;
    /// Why the last listing found nothing when USB itself is out of reach; "" otherwise.
    QString accessProblem() const { return m_accessProblem; }

    /// "List USB Devices": lists the devices and asks each for its identification.
    void listDevices();
    /// Whether an action is running (on the thread that runs it).
    bool isBusy() const { return m_busy; }
    /// "Select Device" with the selected row (-1: none). True when a device was taken.
    bool selectDevice(int selectedRow);
    /// "Autolocate": the meter by its identification. True when one was taken.
    bool autolocate();
    /// "Automatic by Adapter ID": the first adapter whose description names the maker or "232".
    /// True when one matched (and `DVM` was switched to it).
    bool automaticByAdapterId();

    /// Enter in the test box: the text as a command ("pa" gathers up to the status line); the text
    /// to append to the replies box.
    QString sendTestCommand(const QString &text);
    /// "ID?" and "Date?": the reply to append.
    QString testIdentify();
    QString testDate();

    static inline const QString kNoDevicesRow = QStringLiteral("No USB Devices Detected");
    static inline const QString kNoDevicesFound = QStringLiteral("No USB Devices Found");
    static inline const QString kAutolocationTitle = QStringLiteral("USB Autolocation");
    static constexpr int kTestTimeoutSeconds = 2;

signals:
    /// The rows as they are now, and why USB is out of reach ("" when it is not). The signals
    /// carry copies: the actions may run on another thread than the window that hears them.
    void rowsChanged(const QList<UsbDeviceSelection::Row> &rows, const QString &accessProblem);
    void activeDeviceChanged(const QString &name, const QString &serialNumber);

private:
    /// Marks an action as running; false (and nothing to do) when one already runs.
    bool begin();
    void end();
    void listAndQuery();
    /// Lists the devices into the rows; false when none.
    bool fillList(bool trimSerialNumbers);
    void queryReplies(bool removeLineEnds);
    /// Makes the device in use, the settings and (when switchDvm) `DVM` point at the device.
    void take(const UsbDeviceRecord &device, bool switchDvm);
    void say(const QString &text, const QString &title = {});
    QString testExchange(const QString &command, int endCondition, bool reportStatus);

    InstrumentSession &m_session;
    Prompts &m_prompts;
    QList<Row> m_rows;
    int m_count = 0;
    QString m_accessProblem;
    bool m_busy = false;
};
