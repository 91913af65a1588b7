#pragma once

#include "instrument/Transport.h"

class Gpib488;
class InstrumentContext;
class TransportState;

/**
 * @brief One command and its reply over GPIB (see GpibExchange): device handle per command,
 * write, read, offline; board 0, secondary address 0, 10 s library time-out, EOI on the last
 * byte, reads ending on LF.
 *
 * This route always reads, even when the caller does not wait for an answer; with end condition
 * 1 and a caller that waits it reads on, line by line, until the status line. The LF of each
 * line stays in the reply. A read that runs out of time gives what it read, which is nothing: a
 * GPIB time-out reads as "" in the reply texts, not as "TIMEOUT".
 *
 * The library's reads block the calling thread for up to the 10 s time-out.
 */
class GpibTransport : public Transport
{
public:
    /// The bus is looked up in the context at each exchange: the system's library, or a simulated
    /// bus put in its place.
    explicit GpibTransport(InstrumentContext &context);

    /// Takes the primary address (0 to 30).
    bool open(const Endpoint &endpoint, QString *error = nullptr) override;
    void close() override {}
    ExchangeReply exchange(const ExchangeRequest &request) override;
    /// The addresses where a listener answers (see GpibBusSearch).
    QList<Endpoint> endpoints() override;
    QString descriptionLine() const override;
    FailureTexts failureTexts() const override;
    /// A reading over GPIB may take longer than on the other routes.
    int readingTimeoutSeconds() const override { return kReadingTimeoutSeconds; }

    static constexpr int kReadingTimeoutSeconds = 35;

private:
    InstrumentContext &m_context;
    int m_address = 0;
    bool m_toldUnavailable = false;
};
