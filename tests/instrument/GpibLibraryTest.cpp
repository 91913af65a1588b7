#include "instrument/gpib/GpibLibrary.h"

#include "fixtures/FakeClock.h"
#include "instrument/IDVM.h"
#include "instrument/InterfaceType.h"
#include "instrument/gpib/GpibTransport.h"
#include "session/InstrumentSession.h"

#include <QLibrary>

#include <gtest/gtest.h>

namespace {

const QString kMissing = QStringLiteral("/nonexistent/gpib/libgpib.so.0");

// Every call of a backend without a library fails the same way.
void expectNoBoard(const Gpib488 &gpib, const char *call)
{
    EXPECT_TRUE(gpib.failed()) << call;
    EXPECT_EQ(gpib.iberr, Gpib488::ENEB) << call;
}

TEST(GpibLibrary, WithoutALibraryEveryCallIsNoBoard)
{
    GpibLibrary gpib({kMissing});
    EXPECT_FALSE(gpib.available());
    EXPECT_EQ(gpib.reason(), QStringLiteral("no IEEE-488.2 library found"));
    EXPECT_TRUE(gpib.fileName().isEmpty());

    EXPECT_EQ(gpib.ibdev(0, 9, 0, Gpib488::T10s, 1, Gpib488::kEndOnLf), -1);
    expectNoBoard(gpib, "ibdev");
    gpib.ibwrt(1, "*IDN?");
    expectNoBoard(gpib, "ibwrt");
    QByteArray data("stale");
    gpib.ibrd(1, data, 128);
    expectNoBoard(gpib, "ibrd");
    EXPECT_TRUE(data.isEmpty());
    short found = 1;
    gpib.ibln(1, 9, 0, &found);
    expectNoBoard(gpib, "ibln");
    EXPECT_EQ(found, 0);
    gpib.ibclr(1);
    expectNoBoard(gpib, "ibclr");
    gpib.ibonl(1, 0);
    expectNoBoard(gpib, "ibonl");
}

TEST(GpibLibrary, ThisMachineHasNoLibraryAndSaysSo)
{
    for (const QString &name : GpibLibrary::defaultCandidates()) {
        QLibrary probe(name);
        if (probe.load())
            GTEST_SKIP() << "this machine has " << name.toStdString();
    }
    const std::shared_ptr<GpibLibrary> system = GpibLibrary::system();
    EXPECT_FALSE(system->available());
    EXPECT_EQ(system->reason(), QStringLiteral("no IEEE-488.2 library found"));
    EXPECT_EQ(system->ibdev(0, 1, 0, Gpib488::T1s, 1, Gpib488::kEndOnLf), -1);
    EXPECT_EQ(system->iberr, Gpib488::ENEB);
}

TEST(GpibLibrary, TheDriverOverGpibWithoutALibraryAnswersFalse)
{
    ScopedFakeClock fake;
    InstrumentSession session;
    session.context().setGpibBus(std::make_shared<GpibLibrary>(QStringList{kMissing}));
    session.setDvm(CreateDVM(QStringLiteral("5200"), session.context()));
    session.dvm()->connect(Endpoint::gpib(9));
    EXPECT_EQ(session.dvm()->SendString(QStringLiteral("SYSTEM:PASSWORD 1"), true, 5, 1), QStringLiteral("False"));
    EXPECT_EQ(session.dvm()->exchange({QStringLiteral("T"), true, 5, 1}).outcome, ExchangeOutcome::NoBoard);
    // The identification has nothing to recognise: no instrument is found, nothing crashes.
    EXPECT_FALSE(session.dvm()->CheckIdentity(session.dvm()->Identify()));
}

/// The test controls of a fake library, reached through the same loaded file.
class FakeControls
{
public:
    explicit FakeControls(const QString &path) : m_library(path) { m_library.load(); }
    void setReply(const char *reply) { call<void (*)(const char *)>("fakegpib_set_reply")(reply); }
    QByteArray lastWrite() { return call<const char *(*)()>("fakegpib_last_write")(); }
    int openHandles() { return call<int (*)()>("fakegpib_open_handles")(); }
    void setRegisterResult(int r) { call<void (*)(int)>("fakegpib_set_register_result")(r); }
    int registerCalls() { return call<int (*)()>("fakegpib_register_calls")(); }
    int unregisterCalls() { return call<int (*)()>("fakegpib_unregister_calls")(); }

private:
    template <typename F>
    F call(const char *name)
    {
        auto f = reinterpret_cast<F>(m_library.resolve(name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }
    QLibrary m_library;
};

struct Variant
{
    const char *name;
    const char *path;
};

class GpibLibraryVariant : public ::testing::TestWithParam<Variant>
{
};

TEST_P(GpibLibraryVariant, CallsReachTheLibraryAndTheStatusIsCopiedAfterEach)
{
    const QString path = QString::fromLocal8Bit(GetParam().path);
    FakeControls fake(path);
    fake.setReply("*0\r\n");
    GpibLibrary gpib({kMissing, path});
    ASSERT_TRUE(gpib.available()) << gpib.reason().toStdString();
    EXPECT_FALSE(gpib.fileName().isEmpty());

    // A read nobody answers leaves TIMO and EABO ...
    const int silent = gpib.ibdev(0, 5, 0, Gpib488::T10s, 1, Gpib488::kEndOnLf);
    ASSERT_GE(silent, 0);
    QByteArray data;
    gpib.ibrd(silent, data, 128);
    EXPECT_TRUE(gpib.failed());
    EXPECT_TRUE(gpib.timedOut());
    EXPECT_EQ(gpib.iberr, Gpib488::EABO);
    short found = 1;
    gpib.ibln(silent, 5, 0, &found);
    EXPECT_EQ(found, 0);
    // ... and the next call that succeeds reads as no error, though the library keeps EABO.
    gpib.ibonl(silent, 0);
    EXPECT_FALSE(gpib.failed());
    EXPECT_EQ(gpib.iberr, 0);

    const int ud = gpib.ibdev(0, 9, 0, Gpib488::T10s, 1, Gpib488::kEndOnLf);
    ASSERT_GE(ud, 0);
    gpib.ibln(ud, 9, 0, &found);
    EXPECT_EQ(found, 1);
    gpib.ibwrt(ud, "SYSTEM:PASSWORD 1");
    EXPECT_FALSE(gpib.failed());
    EXPECT_EQ(gpib.ibcntl, 17);
    EXPECT_EQ(fake.lastWrite(), "SYSTEM:PASSWORD 1");
    gpib.ibrd(ud, data, 128);
    EXPECT_EQ(data, "*0\r\n");
    EXPECT_TRUE(gpib.ended());
    EXPECT_EQ(gpib.ibcnt, 4);
    gpib.ibonl(ud, 0);
    EXPECT_EQ(fake.openHandles(), 0);
}

TEST_P(GpibLibraryVariant, TheTransportGetsAMultiLineAnswerAndLeavesNoHandleOpen)
{
    ScopedFakeClock clock;
    const QString path = QString::fromLocal8Bit(GetParam().path);
    FakeControls fake(path);
    fake.setReply("5241\r\n1.20\r\n*0\r\n");
    InstrumentSession session;
    session.context().setGpibBus(std::make_shared<GpibLibrary>(QStringList{path}));
    GpibTransport transport(session.context());
    transport.open(Endpoint::gpib(9));
    EXPECT_EQ(transport.exchange({QStringLiteral("T"), true, 5, 1}).text, QStringLiteral("5241\r\n1.20\r\n*0\r\n"));
    EXPECT_EQ(fake.lastWrite(), "T");
    transport.open(Endpoint::gpib(4));
    const ExchangeReply nobody = transport.exchange({QStringLiteral("T"), true, 5, 1});
    EXPECT_EQ(nobody.text, QString());
    EXPECT_EQ(nobody.outcome, ExchangeOutcome::LinkFailed);
    EXPECT_EQ(fake.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fakes, GpibLibraryVariant,
                         ::testing::Values(Variant{"ThreadFunctions", FAKEGPIB_THREAD_FUNCTIONS_LIBRARY},
                                           Variant{"Globals", FAKEGPIB_GLOBALS_LIBRARY},
                                           Variant{"Vendor", FAKEGPIB_VENDOR_LIBRARY}),
                         [](const auto &info) { return std::string(info.param.name); });

#ifdef Q_OS_LINUX
TEST(GpibLibrary, ALibraryWithoutTheCallsIsPassedOver)
{
    GpibLibrary gpib({QStringLiteral("libc.so.6")});
    EXPECT_FALSE(gpib.available());
    EXPECT_TRUE(gpib.reason().contains(QLatin1String("lacks ibdev"))) << gpib.reason().toStdString();

    GpibLibrary next({QStringLiteral("libc.so.6"), QString::fromLocal8Bit(FAKEGPIB_GLOBALS_LIBRARY)});
    EXPECT_TRUE(next.available()) << next.reason().toStdString();
}
#endif

// The vendor's library wants the status variables registered for the thread before any call.
TEST(GpibLibraryRegistration, EachAnswerOfTheRegistrationIsHandled)
{
    const QString path = QString::fromLocal8Bit(FAKEGPIB_VENDOR_LIBRARY);
    FakeControls fake(path);
    struct Case
    {
        int result;
        bool usable;
        int unregistrations;
        const char *message;
    };
    const Case cases[] = {
        {0, true, 0, ""},
        {1, true, 1, ""},
        {2, false, 1, "Operating System is not multi-threaded. Quitting the Program!"},
        {3, false, 1, "Unable to register GPIB thread globals. Quitting the Program!"},
        {7, false, 0, "Unknown Error for Registering GPIB Globals!!! Quitting the Program!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result);
        QStringList heard;
        GpibLibrary::setSetupFailureHandler([&heard](const QString &message) { heard << message; });
        fake.setRegisterResult(c.result);
        fake.setReply("*0\r\n");
        const int registrationsBefore = fake.registerCalls();
        int unregistrationsBefore = 0;
        {
            GpibLibrary gpib({path});
            EXPECT_TRUE(gpib.available()); // nothing is registered before the first call
            EXPECT_EQ(fake.registerCalls(), registrationsBefore);
            unregistrationsBefore = fake.unregisterCalls();
            const int ud = gpib.ibdev(0, 9, 0, Gpib488::T10s, 1, Gpib488::kEndOnLf);
            EXPECT_EQ(gpib.available(), c.usable);
            EXPECT_EQ(fake.unregisterCalls() - unregistrationsBefore, c.unregistrations);
            if (c.usable) {
                ASSERT_GE(ud, 0);
                gpib.ibwrt(ud, "L");
                QByteArray data;
                gpib.ibrd(ud, data, 128);
                EXPECT_EQ(data, "*0\r\n"); // the count came through the registered variables
                EXPECT_TRUE(gpib.ended());
                gpib.ibonl(ud, 0);
                EXPECT_TRUE(heard.isEmpty());
            } else {
                EXPECT_EQ(ud, -1);
                EXPECT_EQ(gpib.iberr, Gpib488::ENEB);
                EXPECT_EQ(gpib.reason(), QLatin1String(c.message));
                EXPECT_EQ(heard, QStringList{QLatin1String(c.message)});
            }
            // Registration happens once, not before every call.
            const int registrations = fake.registerCalls();
            const int again = gpib.ibdev(0, 9, 0, Gpib488::T10s, 1, Gpib488::kEndOnLf);
            if (again >= 0)
                gpib.ibonl(again, 0);
            EXPECT_EQ(fake.registerCalls(), registrations);
        }
        fake.setRegisterResult(0);
    }
    GpibLibrary::setSetupFailureHandler({});
    EXPECT_EQ(fake.openHandles(), 0);
}

} // namespace
