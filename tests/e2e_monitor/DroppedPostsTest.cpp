// A click that posts a command takes something from the window while the command waits: Energy
// Clone's Read disables its buttons, the clock button turns its caption red. When the command
// then never runs, whatever drops it gives them back. One table of the events that drop a post.
#include "MonitorFixture.h"

#include <QStringList>

namespace {

using namespace monitortest;

enum class Post { EnergyRead, SyncClock };
enum class Event { LinkOpen, Close, ModeSwitchWithLink, ModeSwitchWithoutLink, WriteLock, NewerPost };

struct DropCase {
    Event event;
    Post post;   // the post that is dropped
};

const char* const kEventNames[] = {"LinkOpen", "Close", "ModeSwitchWithLink", "ModeSwitchWithoutLink", "WriteLock", "NewerPost"};
const char* const kPostNames[] = {"EnergyRead", "SyncClock"};

class DroppedPosts : public MonitorWindow, public ::testing::WithParamInterface<DropCase> {
protected:
    void Click(Post post)
    {
        TForm_Main& w = *window;
        if (post == Post::EnergyRead)
            w.Btn_ReadEnergy->OnClick(w.Btn_ReadEnergy);
        else
            driver->Click("Image_SyncClock");
    }
    // What the post took and has not given back.
    QStringList Taken(Post post) const
    {
        QStringList taken;
        const TForm_Main& w = *window;
        if (post == Post::EnergyRead) {
            if (!w.Btn_ReadEnergy->Enabled())
                taken << "Read stays disabled";
            if (w.Btn_WriteEnergy->Enabled())
                taken << "Write is enabled with no history read";
        } else if (w.Label_SyncClock->Font()->Color() != captionColour) {
            taken << "the clock caption stays red";
        }
        return taken;
    }
    // The post's command never ran: nothing of it reached the inverter.
    bool Ran(Post post) const
    {
        for (const auto& f : bus.Frames()) {
            const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
            if (post == Post::EnergyRead ? (reg >= 2048 && reg < 2160) || reg == 809 || reg == 810 : reg == 784 || reg == 785)
                return true;
        }
        return false;
    }
    vcl::TColor captionColour = vcl::clBlack;
};

TEST_P(DroppedPosts, ThePostsClickIsGivenBack)
{
    const DropCase c = GetParam();
    TForm_Main& w = *window;
    ASSERT_NE(w.Btn_ReadEnergy, nullptr);
    Prepare();
    captionColour = w.Label_SyncClock->Font()->Color();
    QStringList taken;          // what was not given back right after the event
    bool checked = false;
    const Post other = c.post == Post::EnergyRead ? Post::SyncClock : Post::EnergyRead;

    if (c.event == Event::ModeSwitchWithoutLink || c.event == Event::LinkOpen) {
        Click(c.post);
        ASSERT_FALSE(Taken(c.post).isEmpty()) << "the click took nothing";
        if (c.event == Event::ModeSwitchWithoutLink) {
            driver->PickText("Combo_SelectMode", "GridTied");
            taken = Taken(c.post);
            checked = true;
        } else {
            // The first wait of the new link's loop: the post of the time without a link is gone.
            time.hook = [&] {
                if (!checked) {
                    taken = Taken(c.post);
                    checked = true;
                }
                if (w.PollCycleCount >= 1 && w.StopRequest == 0)
                    driver->Click("ClosePort");
            };
            driver->Click("OpenPort");
            time.hook = nullptr;
        }
    } else {
        int postedAt = -1;
        time.hook = [&] {
            if (w.StopRequest != 0 || w.PollCycleCount < 1)
                return;
            if (postedAt < 0) {
                // Inside a reader's wait of the second cycle, as a click arrives.
                postedAt = w.PollCycleCount;
                if (c.event == Event::WriteLock)
                    w.WriteLock = 1;
                Click(c.post);
                EXPECT_FALSE(Taken(c.post).isEmpty()) << "the click took nothing";
                switch (c.event) {
                case Event::Close:
                    driver->Click("ClosePort");
                    return;   // given back when the loop has ended
                case Event::ModeSwitchWithLink:
                    driver->PickText("Combo_SelectMode", "GridTied");
                    break;
                case Event::NewerPost:
                    Click(other);
                    break;
                default:
                    return;   // the write lock: the executor refuses it at the cycle's end
                }
                taken = Taken(c.post);
                checked = true;
                driver->Click("ClosePort");
                return;
            }
            if (c.event == Event::WriteLock && !checked && w.PollCycleCount > postedAt) {
                taken = Taken(c.post);
                checked = true;
                driver->Click("ClosePort");
            }
        };
        driver->Click("OpenPort");
        time.hook = nullptr;
        if (c.event == Event::Close) {
            taken = Taken(c.post);
            checked = true;
        }
    }

    ASSERT_TRUE(checked) << "the event never came";
    EXPECT_TRUE(taken.isEmpty()) << taken.join("; ").toStdString();
    EXPECT_FALSE(Ran(c.post)) << "the dropped command ran";
    if (c.event == Event::WriteLock) {
        EXPECT_TRUE(dialogs.shown.contains("Lock: Permission denied")) << dialogs.shown.join(" | ").toStdString();
    }
    // Nothing stays taken once the link is closed either.
    EXPECT_TRUE(w.OpenPort->Enabled());
    EXPECT_TRUE(Taken(c.post).isEmpty()) << Taken(c.post).join("; ").toStdString();
    EXPECT_EQ(w.ClaimedCommand, 0);
}

INSTANTIATE_TEST_SUITE_P(Events, DroppedPosts,
                         ::testing::Values(DropCase{Event::LinkOpen, Post::EnergyRead},
                                           DropCase{Event::Close, Post::EnergyRead},
                                           DropCase{Event::Close, Post::SyncClock},
                                           DropCase{Event::ModeSwitchWithLink, Post::EnergyRead},
                                           DropCase{Event::ModeSwitchWithLink, Post::SyncClock},
                                           DropCase{Event::ModeSwitchWithoutLink, Post::EnergyRead},
                                           DropCase{Event::WriteLock, Post::EnergyRead},
                                           DropCase{Event::NewerPost, Post::EnergyRead},
                                           DropCase{Event::NewerPost, Post::SyncClock}),
                         [](const ::testing::TestParamInfo<DropCase>& info) {
                             return std::string(kEventNames[static_cast<int>(info.param.event)]) + "_" +
                                    kPostNames[static_cast<int>(info.param.post)];
                         });

} // namespace
