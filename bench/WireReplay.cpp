#include "WireReplay.h"

#include "sim/VirtualCalibrator.h"

QList<WireExchange> replayOnTheWire(const ExchangeTimeline &timeline, const QString &model)
{
    VirtualCalibrator reference(model);
    QList<WireExchange> run;
    const QList<ExchangeTimeline::Exchange> &all = timeline.exchanges();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const ExchangeTimeline::Exchange &e = all.at(i);
        const bool ofTheRun = i >= timeline.runFirst();
        if (e.sentNs < 0) {
            // Never reached the instrument: nothing on the line.
            if (ofTheRun)
                run << WireExchange{};
            continue;
        }
        const QByteArray command = e.command.toLatin1();
        const qsizetype replyChars = reference.handleLine(command).size();
        if (ofTheRun)
            run << WireExchange{command.size() + 1, e.awaited ? replyChars : 0};
    }
    return run;
}
