// The Ethernet module's discovery reply, as any host on the network may send it.

#include "FuzzSupport.h"
#include "instrument/ethernet/EthernetModuleLink.h"

#include <QHostAddress>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::setUp();
    const QByteArray datagram(reinterpret_cast<const char *>(data), qsizetype(size));
    EthernetModuleRecord record;
    const bool read = EthernetModuleLink::parseDiscoveryReply(datagram, QHostAddress(QHostAddress::LocalHost), &record);
    FUZZ_CHECK(!read || datagram.startsWith('A'));
    // The record's fields keep their fixed lengths whatever the reply held, and the address is
    // the sender's, never a text from the reply.
    FUZZ_CHECK(record.EchoReply.isEmpty() || record.EchoReply.size() == EthernetModuleRecord::kReplyLength);
    FUZZ_CHECK(record.MAC.isEmpty() || record.MAC.size() == EthernetModuleRecord::kMacLength);
    FUZZ_CHECK(record.OwnerName.size() <= EthernetModuleRecord::kNameLength);
    FUZZ_CHECK(record.DeviceName.size() <= EthernetModuleRecord::kNameLength);
    FUZZ_CHECK(record.IP.isEmpty() || record.ipText() == QLatin1String("127.0.0.1"));
    return 0;
}
