// A form with the group panels the readers need, the link opened on a simulated inverter, and a
// host that records the status bar and marks the form's labels as the window does.
#pragma once

#include "groups/Output.h"
#include "groups/ReaderFrame.h"
#include "groups/Version.h"
#include "link/LinkHost.h"
#include "link/Modbus.h"
#include "tools/invsim/Bus.h"
#include "tools/invsim/Demo.h"
#include "vcl/Kit.h"

#include "support/HookedTime.h"
#include "support/QtApp.h"
#include "vcl/Services.h"
#include <map>
#include <memory>
#include <gtest/gtest.h>

namespace groupstest {

inline void EnsureApp()
{
    testsupport::EnsureApplication();
}

struct FormHost : LinkHost {
    vcl::TComponent* form = nullptr;
    std::map<int, QString> panels;
    std::map<int, int> writes;
    void Pump() override {}
    void SetStatusPanel(int index, const QString& text) override { panels[index] = text; ++writes[index]; }
    void MarkStale() override { if (form) groups::MarkBlueLabelsStale(*form); }
    void RecoverStale() override { if (form) groups::RecoverRedLabels(*form); }
};

// The group panels as the window makes them: titled panels found by name.
inline vcl::TPanel* MakeGroupPanel(vcl::TForm& form, const char* name, int top)
{
    auto* p = new vcl::TPanel(&form);
    p->SetName(QString::fromLatin1(name));
    p->SetParent(&form);
    p->SetBounds(0, top, 300, 250);
    return p;
}

class GroupsOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Main");
        ac[0] = MakeGroupPanel(*form, "Group_GetAC1", 0);
        ac[1] = MakeGroupPanel(*form, "Group_GetAC2", 250);
        ac[2] = MakeGroupPanel(*form, "Group_GetAC3", 500);
        total = MakeGroupPanel(*form, "Group_TotalPower", 750);
        version = MakeGroupPanel(*form, "Group_Version", 1000);
        output = groups::BuildOutputGroups(*form);
        ver = groups::BuildVersionGroup(*form);
        ctx = state.Context(form.get());
        host.form = form.get();
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        bus.AddInverter(1, 9600);
        link.SetHost(&host);
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.SetBaudCode(1);
        link.ResetLinkCounters();
        link.SlaveId = 1;
        UseClock(1.0);
    }
    void TearDown() override
    {
        vcl::SetTimeService(nullptr);
        link.Com.Close();
        bus.Stop();
        form.reset();
    }
    // The link's waits on a clock faster by a factor, each of them ended only once the simulator
    // has answered what it was sent: a busy machine never cuts a reply off.
    void UseClock(double factor)
    {
        auto next = std::make_unique<testsupport::Hooked<vcl::ScaledTimeService>>(factor);
        next->settle = [this] { bus.WaitIdle(5000); };
        vcl::SetTimeService(next.get());
        clock = std::move(next);
    }
    // Input registers 49152.. of the output block, 30 words.
    void SetOutputBlock(const std::vector<std::uint16_t>& words)
    {
        for (int k = 0; k < 30; ++k)
            bus.SetInput(1, 49152 + k, k < static_cast<int>(words.size()) ? words[k] : 0);
    }
    QString Text(const char* name) const { return groups::FindLabel(*form, QString::fromLatin1(name))->Caption(); }
    vcl::TColor Colour(const char* name) const { return groups::FindLabel(*form, QString::fromLatin1(name))->Font()->Color(); }
    bool Shown(const char* name) const
    {
        return dynamic_cast<vcl::TControl*>(form->FindComponent(QString::fromLatin1(name)))->Visible();
    }

    std::unique_ptr<vcl::TForm> form;
    vcl::TPanel* ac[3] = {};
    vcl::TPanel* total = nullptr;
    vcl::TPanel* version = nullptr;
    groups::OutputGroup output;
    groups::VersionGroup ver;
    groups::ReaderState state;
    groups::ReaderContext ctx;
    invsim::Bus bus;
    FormHost host;
    Modbus link;
    std::unique_ptr<testsupport::Hooked<vcl::ScaledTimeService>> clock;
};

} // namespace groupstest
