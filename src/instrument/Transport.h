#pragma once

#include "instrument/Endpoint.h"
#include "instrument/Exchange.h"

#include <QList>
#include <QString>

/**
 * @brief One way of reaching an instrument: RS-232, GPIB, USB, Ethernet, or any interface added
 * later. The driver holds one and never knows which.
 *
 * Each implementation keeps its interface's quirks inside it: when its device opens, how a reply
 * ends, what a time-out means. Failures never throw; they come back as the reply's outcome.
 */
class Transport
{
public:
    virtual ~Transport() = default;

    /// Points the transport at an endpoint. False, with *error, when the endpoint cannot be used
    /// at all (an address of the wrong form). The device itself opens when an exchange first
    /// needs it, each interface in its own way.
    virtual bool open(const Endpoint &endpoint, QString *error = nullptr) = 0;
    /// Lets go of whatever the transport holds open (a port, a bridge); the endpoint stays.
    virtual void close() = 0;

    /// One command and its reply.
    virtual ExchangeReply exchange(const ExchangeRequest &request) = 0;

    /// Where an instrument may be on this interface now: the ports, bridges, listeners or modules
    /// there are. Nothing is asked who it is.
    virtual QList<Endpoint> endpoints() = 0;

    /// The second part of the driver's description, naming the connection ("RS232 Port 3").
    virtual QString descriptionLine() const = 0;
    /// How this route spells its failures in reply texts.
    virtual FailureTexts failureTexts() const { return {}; }
    /// How long a reading ("READ?") may take to come.
    virtual int readingTimeoutSeconds() const { return kReadingTimeoutSeconds; }

    static constexpr int kReadingTimeoutSeconds = 20;
};
