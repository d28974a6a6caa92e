// A hostile peer on each of the three links, through the real main window: an inverter, module
// or adapter whose replies bring no data for the request (another slave's, a late one, an
// exception, a spoilt CRC, another function's, a module that never stops sending). The user sees
// the values turn stale as for a silent inverter, never the hostile reply's data, the status bar
// counts every one, and the first good reply afterwards shows the inverter's own values again.
#include "WirelessSupport.h"
#include "e2e_monitor/MonitorFixture.h"

#include <QRegularExpression>
#include <chrono>
#include <memory>

namespace {

using namespace wireless;
using invsim::FaultKind;
using testsupport::HookedScaledTime;

enum class Via { Rs485, Wifi, Radio };

const char* ViaName(Via via)
{
    switch (via) {
    case Via::Rs485: return "Rs485";
    case Via::Wifi: return "Wifi";
    case Via::Radio: return "Radio";
    }
    return "";
}

// One row of the table: the fault, and on which links it is played. On the Wi-Fi link the module
// is the only peer: a reply with another slave ID is its inverter's, and is taken.
struct Row {
    const char* name;
    invsim::Fault fault;
    bool rs485 = true, wifi = true, radio = true;
    bool takenOnWifi = false;
};

invsim::Fault Fault(FaultKind kind, int param = -1)
{
    invsim::Fault f;
    f.kind = kind;
    f.param = param;
    return f;
}

const Row kRows[] = {
    {"OtherId", Fault(FaultKind::OtherId, 2), true, true, true, true},
    {"Late", Fault(FaultKind::Late)},
    {"Exception1", Fault(FaultKind::Exception, 1)},
    {"Exception2", Fault(FaultKind::Exception, 2)},
    {"Exception3", Fault(FaultKind::Exception, 3)},
    {"Exception4", Fault(FaultKind::Exception, 4)},
    {"Exception5", Fault(FaultKind::Exception, 5)},
    {"Exception6", Fault(FaultKind::Exception, 6)},
    {"Exception8", Fault(FaultKind::Exception, 8)},
    {"Exception10", Fault(FaultKind::Exception, 10)},
    {"Exception11", Fault(FaultKind::Exception, 11)},
    {"BadCrc", Fault(FaultKind::BadCrc)},
    {"OtherFunction", Fault(FaultKind::OtherFunction)},
    {"NeverStopsSending", Fault(FaultKind::Babble, 5000), false, true, false},
};

struct Case {
    Via via;
    Row row;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << ViaName(c.via) << " " << c.row.name;
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (const Row& row : kRows) {
        if (row.rs485)
            cases.push_back({Via::Rs485, row});
        if (row.wifi)
            cases.push_back({Via::Wifi, row});
        if (row.radio)
            cases.push_back({Via::Radio, row});
    }
    return cases;
}

// The output block's power word of phase R (word 3 of input registers 49152..): shown x 10.
constexpr int kPacRRegister = 49155;
const QString kOwnPower = QStringLiteral("2800 W");
const QString kNewPower = QStringLiteral("9990 W");
constexpr const char* kValueLabels[] = {"Label_PacR", "Label_VacR_Grid", "Label_FacR", "Label_IacR"};

class HostileLink : public monitortest::MonitorHomeWindow, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override
    {
        MonitorHomeWindow::SetUp();
        if (HasFatalFailure())
            return;
        const Via via = GetParam().via;
        std::string error;
        time = std::make_unique<HookedScaledTime>(via == Via::Wifi ? 0.02 : 0.1);
        time->hookDeadlineMs = 10000;   // each phase takes a few seconds at most
        vcl::SetTimeService(time.get());
        switch (via) {
        case Via::Rs485:
            ASSERT_TRUE(bus.Start(&error)) << error;
            bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
            // Late replies count on the program's own time, and every wait lets the bus answer.
            bus.SetClock([t = time.get()] { return t->ProgramUs(); });
            time->settle = [this] { bus.WaitIdle(5000); };
            break;
        case Via::Wifi:
            ASSERT_TRUE(module.Start(0, &error)) << error;
            module.With([](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
            module.SetLinkWaitMs(static_cast<int>(6000 * 0.02));
            address = std::make_unique<WifiAddressScope>(Loopback(module.Port()));
            break;
        case Via::Radio:
            ASSERT_TRUE(adapter.Start(&error)) << error;
            adapter.AddInverter(1);
            adapter.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
            adapter.SetReplyDelayMs(100);
            adapter.SetClock([t = time.get()] { return t->ProgramUs(); });
            time->settle = [this] { adapter.WaitIdle(5000); };
            break;
        }
        OpenWindow();
        if (HasFatalFailure())
            return;
        driver->PickText("Combo_SelectMode", "Monitor");
        switch (via) {
        case Via::Rs485:
            driver->MouseDown("Radio_ComRS485");
            driver->Type("Combo_COM", QString::fromStdString(bus.Path()));
            break;
        case Via::Wifi:
            driver->MouseDown("Radio_ComWifi");
            break;
        case Via::Radio:
            window->Radio_ComSub1g->SetVisible(true);   // offered in the super-user mode only
            driver->MouseDown("Radio_ComSub1g");
            driver->Type("Combo_COM", QString::fromStdString(adapter.Path()));
            break;
        }
        // Only the output panel: each cycle reads its coil and its block.
        for (vcl::TPanel* p : window->GroupPanels)
            p->SetVisible(false);
        window->GroupPanel(QStringLiteral("Group_GetAC1"))->SetVisible(true);
    }
    void TearDown() override
    {
        if (time) {
            time->hook = nullptr;
            time->settle = nullptr;
        }
        window.reset();
        bus.Stop();
        module.Stop();
        adapter.Stop();
        address.reset();
        MonitorHomeWindow::TearDown();
    }

    void AddFault(const invsim::Fault& f)
    {
        switch (GetParam().via) {
        case Via::Rs485: bus.AddFault(1, f); break;
        case Via::Wifi: module.AddFault(f); break;
        case Via::Radio: adapter.AddFault(1, f); break;
        }
    }
    void ClearFaults()
    {
        switch (GetParam().via) {
        case Via::Rs485: bus.ClearFaults(1); break;
        case Via::Wifi: module.ClearFaults(); break;
        case Via::Radio: adapter.ClearFaults(1); break;
        }
    }
    void SetOwnPower(std::uint16_t word)
    {
        switch (GetParam().via) {
        case Via::Rs485: bus.SetInput(1, kPacRRegister, word); break;
        case Via::Wifi: module.SetInput(kPacRRegister, word); break;
        case Via::Radio: adapter.SetInput(1, kPacRRegister, word); break;
        }
    }
    // The failures status panel 5 shows: its last two figures (no reply, error) added up.
    int CountedFailures() const
    {
        const QStringList parts = driver->Status(5).section(':', 1).split('/');
        if (parts.size() < 2)
            return -1;
        return parts[parts.size() - 2].toInt() + parts.back().toInt();
    }
    bool Shows(const char* name, const QString& text, vcl::TColor colour) const
    {
        return driver->Text(QString::fromLatin1(name)) == text && driver->Color(QString::fromLatin1(name)) == colour;
    }

    std::unique_ptr<HookedScaledTime> time;
    invsim::Bus bus;
    invsim::TcpModule module;
    invsim::RadioAdapter adapter;
    std::unique_ptr<WifiAddressScope> address;
};

TEST_P(HostileLink, ValuesTurnStaleTheFailuresCountAndTheNextGoodReplyShowsTheInvertersOwn)
{
    const Row& row = GetParam().row;
    const bool taken = GetParam().via == Via::Wifi && row.takenOnWifi;
    TForm_Main& w = *window;
    enum class Phase { Good, Hostile, Recovering, Done } phase = Phase::Good;
    int countedBefore = 0, countedAtStale = 0;
    QStringList shownHostile;   // a value label that showed the hostile reply's data
    bool stale = false, recovered = false;
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastPump = Clock::now();
    long long longestWithoutPump = 0;
    std::function<void()> step = [&] {
        const auto now = Clock::now();
        if (phase == Phase::Hostile)
            longestWithoutPump = std::max<long long>(longestWithoutPump,
                std::chrono::duration_cast<std::chrono::milliseconds>(now - lastPump).count());
        lastPump = now;
        if (w.StopRequest != 0 || w.OpenPort->Enabled())
            return;
        switch (phase) {
        case Phase::Good:
            if (!Shows("Label_PacR", kOwnPower, vcl::clBlue))
                return;
            // The inverter's values change as the hostile replies begin: a label that shows the
            // new value before the replies are good again took a hostile reply for a good one.
            countedBefore = CountedFailures();
            SetOwnPower(999);
            AddFault(row.fault);
            phase = Phase::Hostile;
            time->hook = step;   // a fresh deadline for each phase
            return;
        case Phase::Hostile:
            if (!taken && driver->Text(QStringLiteral("Label_PacR")) == kNewPower)
                shownHostile << driver->Text(QStringLiteral("Label_PacR"));
            if (taken ? Shows("Label_PacR", kNewPower, vcl::clBlue) : Shows("Label_PacR", QStringLiteral("??"), vcl::clRed)) {
                stale = !taken;
                countedAtStale = CountedFailures();
                for (const char* name : kValueLabels)
                    if (!taken && !Shows(name, QStringLiteral("??"), vcl::clRed))
                        shownHostile << QString::fromLatin1(name) + " " + driver->Text(QString::fromLatin1(name));
                ClearFaults();
                phase = Phase::Recovering;
                time->hook = step;
            }
            return;
        case Phase::Recovering:
            if (Shows("Label_PacR", kNewPower, vcl::clBlue)) {
                recovered = true;
                phase = Phase::Done;
                driver->Click("ClosePort");
            }
            return;
        case Phase::Done:
            return;
        }
    };
    time->hook = step;
    driver->Click("OpenPort");
    time->hook = nullptr;

    ASSERT_NE(phase, Phase::Good) << "the good values never showed";
    EXPECT_TRUE(shownHostile.isEmpty()) << shownHostile.join("; ").toStdString();
    if (taken) {
        EXPECT_TRUE(recovered);
        return;
    }
    EXPECT_TRUE(stale) << "Label_PacR shows \"" << driver->Text(QStringLiteral("Label_PacR")).toStdString() << "\"";
    EXPECT_GE(countedAtStale - countedBefore, 9) << driver->Status(5).toStdString();
    EXPECT_TRUE(recovered) << "Label_PacR shows \"" << driver->Text(QStringLiteral("Label_PacR")).toStdString() << "\"";
    EXPECT_LT(longestWithoutPump, 1500);
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join("; ").toStdString();
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return std::string(ViaName(info.param.via)) + "_" + info.param.row.name;
}

INSTANTIATE_TEST_SUITE_P(Table, HostileLink, ::testing::ValuesIn(Cases()), CaseName);

} // namespace
