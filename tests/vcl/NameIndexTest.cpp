// Finding an owned component by name: case-insensitive as in the class library, and right after
// renames, deletions, re-parenting and components made and destroyed at run time.
#include "KitTestApp.h"
#include "vcl/Kit.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vcl;

namespace {

class NameIndexTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }

    // What FindComponent must answer: the first owned component, in creation order, whose name
    // compares equal ignoring case.
    static TComponent* Scan(const TComponent& owner, const QString& name)
    {
        if (name.isEmpty())
            return nullptr;
        for (int i = 0; i < owner.ComponentCount(); ++i)
            if (owner.Components(i)->Name().compare(name, Qt::CaseInsensitive) == 0)
                return owner.Components(i);
        return nullptr;
    }
};

TEST_F(NameIndexTest, FindsANameInAnyCaseAsTheClassLibraryComparesIt)
{
    struct Case {
        QString name, asked;
    };
    // Pairs that compare equal and pairs that do not; the expectation is Qt's own comparison.
    const std::vector<Case> cases = {
        {"Label_FixCos", "label_fixcos"},
        {"Label_FixCos", "LABEL_FIXCOS"},
        {"Label_FixCos", "Label_FixCo"},
        {"Label_FixCos", "Label_FixCos "},
        {"Edit_1", "edit_1"},
        {QString::fromUtf8("Ämter_Ö"), QString::fromUtf8("ämter_ö")},
        {QString::fromUtf8("ΣΙΓΜΑ"), QString::fromUtf8("σιγμα")},
        {QString::fromUtf8("Straße"), QString::fromUtf8("STRASSE")},
        {QString::fromUtf8("Kelvin"), QString::fromUtf8("\u212Aelvin")},
        {QString::fromUtf8("\U00010400x"), QString::fromUtf8("\U00010428X")}, // a pair of surrogates
        {QString(QChar(0xD801)) + "a", QString(QChar(0xD802)) + "a"},           // lone surrogates
    };
    for (const Case& c : cases) {
        TForm form;
        auto* label = new TLabel(&form);
        label->SetName(c.name);
        const bool same = c.name.compare(c.asked, Qt::CaseInsensitive) == 0;
        EXPECT_EQ(form.FindComponent(c.asked), same ? label : nullptr)
            << c.name.toStdString() << " asked as " << c.asked.toStdString();
        EXPECT_EQ(form.FindComponent(c.name), label) << c.name.toStdString();
    }
    TForm form;
    new TLabel(&form); // no name
    EXPECT_EQ(form.FindComponent(""), nullptr);
}

TEST_F(NameIndexTest, ARenamedComponentIsFoundByItsNewNameOnly)
{
    TForm form;
    auto* panel = new TPanel(&form);
    panel->SetName("Group_Poll01");
    panel->SetName("Group_Poll02");
    EXPECT_EQ(form.FindComponent("group_poll01"), nullptr);
    EXPECT_EQ(form.FindComponent("GROUP_POLL02"), panel);
    panel->SetName("GROUP_poll02"); // only its case changes
    EXPECT_EQ(form.FindComponent("Group_Poll02"), panel);
    EXPECT_EQ(panel->Name(), "GROUP_poll02");
    panel->SetName("");
    EXPECT_EQ(form.FindComponent("Group_Poll02"), nullptr);
    panel->SetName("Group_Poll03");
    EXPECT_EQ(form.FindComponent("group_poll03"), panel);
}

TEST_F(NameIndexTest, ADestroyedComponentIsNotFoundAndItsOwnComponentsGoWithIt)
{
    TForm form;
    auto* panel = new TPanel(&form);
    panel->SetName("Group_Output");
    auto* inner = new TLabel(panel); // owned by the panel: not the form's
    inner->SetName("Label_PacR");
    EXPECT_EQ(form.FindComponent("Label_PacR"), nullptr);
    EXPECT_EQ(panel->FindComponent("label_pacr"), inner);
    delete inner;
    EXPECT_EQ(panel->FindComponent("Label_PacR"), nullptr);
    EXPECT_EQ(panel->ComponentCount(), 0);
    delete panel;
    EXPECT_EQ(form.FindComponent("Group_Output"), nullptr);
    EXPECT_EQ(form.ComponentCount(), 0);
    // A new component may take the name of one destroyed.
    auto* again = new TPanel(&form);
    again->SetName("group_output");
    EXPECT_EQ(form.FindComponent("Group_Output"), again);
}

// Names are not checked for uniqueness; of two with the same name the first created is found,
// whatever the order of the renames.
TEST_F(NameIndexTest, OfTwoWithTheSameNameTheFirstCreatedIsFound)
{
    TForm form;
    auto* first = new TLabel(&form);
    auto* second = new TLabel(&form);
    second->SetName("Label_Same");
    first->SetName("LABEL_SAME");
    EXPECT_EQ(form.FindComponent("label_same"), first);
    first->SetName("Label_Other");
    EXPECT_EQ(form.FindComponent("label_same"), second);
    first->SetName("Label_Same");
    EXPECT_EQ(form.FindComponent("label_same"), first);
    delete first;
    EXPECT_EQ(form.FindComponent("label_same"), second);
}

// A new parent is not a new owner: the owner still finds the control, and the new parent
// (which owns nothing) does not.
TEST_F(NameIndexTest, ReparentingKeepsTheOwnersLookUp)
{
    TForm form;
    auto* page1 = new TScrollBox(&form);
    page1->SetParent(&form);
    auto* page2 = new TScrollBox(&form);
    page2->SetParent(&form);
    auto* group = new TGroupBox(&form);
    group->SetName("Group_Version");
    group->SetParent(page1);
    group->SetParent(page2);
    EXPECT_EQ(form.FindComponent("group_version"), group);
    EXPECT_EQ(page2->FindComponent("group_version"), nullptr);
    delete page2; // the group's widget leaves with its parent; the group stays the form's
    EXPECT_EQ(form.FindComponent("Group_Version"), group);
}

// A designer's session at run time, many times over: components made, renamed and destroyed
// in a random order among thousands; every answer equals a scan of the component list.
TEST_F(NameIndexTest, AgreesWithAScanOfTheListThroughChangesAtRunTime)
{
    TForm form;
    const QStringList pool = {"Group_Poll01", "group_poll01", "GROUP_POLL02", "Label_Poll02", "label_poll02",
                              "Edit_X", "EDIT_x", "", QString::fromUtf8("Größe"), QString::fromUtf8("GRÖSSE")};
    std::vector<TComponent*> made;
    std::mt19937 random(31);
    for (int i = 0; i < 2000; ++i) {
        auto* c = new TLabel(&form);
        c->SetName(QStringLiteral("Label_Filler%1").arg(i));
        made.push_back(c);
    }
    for (int step = 0; step < 3000; ++step) {
        const unsigned op = random() % 3;
        if (op == 0 || made.empty()) {
            auto* c = new TPanel(&form);
            c->SetName(pool[static_cast<int>(random() % pool.size())]);
            made.push_back(c);
        } else if (op == 1) {
            made[random() % made.size()]->SetName(pool[static_cast<int>(random() % pool.size())]);
        } else {
            const size_t i = random() % made.size();
            delete made[i];
            made.erase(made.begin() + static_cast<std::ptrdiff_t>(i));
        }
        for (const QString& name : pool)
            ASSERT_EQ(form.FindComponent(name), Scan(form, name)) << "step " << step << ", " << name.toStdString();
    }
    for (int i = 0; i < 2000; i += 97) {
        const QString name = QStringLiteral("LABEL_FILLER%1").arg(i);
        ASSERT_EQ(form.FindComponent(name), Scan(form, name)) << name.toStdString();
    }
}

} // namespace
