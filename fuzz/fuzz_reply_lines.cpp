// The transports' cutting of replies into lines: serial lines at each CR, Ethernet replies up to a status line.

#include "FuzzSupport.h"
#include "instrument/ethernet/EthernetTransport.h"
#include "instrument/serial/SerialTransport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    // The bytes arrive in pieces (cut at each 0x01 byte), as a serial driver hands them over.
    fuzz::InputPieces pieces(data, size, '\x01');
    QByteArray buffer;
    qsizetype fed = 0;
    qsizetype taken = 0;
    QString reply;
    while (!pieces.atEnd()) {
        const QByteArray piece = pieces.next();
        buffer += piece;
        fed += piece.size();
        QString line;
        while (SerialTransport::takeLine(buffer, line)) {
            FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
            taken += line.size();
            reply += line + QLatin1Char('\r');
        }
        FUZZ_CHECK(!buffer.contains('\r'));
    }
    FUZZ_CHECK(taken + buffer.size() <= fed);
    // A reply complete under "first line" is complete once it holds a line end; under "status line"
    // never before that either.
    FUZZ_CHECK(!EthernetTransport::replyComplete(reply, 1) || EthernetTransport::replyComplete(reply, 0));
    return 0;
}
