// The anatomy of a settings handler on real kit controls: the event that acts, the conversions,
// the sign and step rules, the range every entry keeps and the limits of a row, the post into the mailbox and the red value label.
#include "CommandsSupport.h"

#include "app/SettingBinding.h"
#include "link/Modbus.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using settings::Binding;

class Anatomy : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        vcl::SetDialogService(&dialogs);
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Test");
        form->SetBounds(0, 0, 400, 300);
        edit = Make<vcl::TEdit>("Edit_FixCos");
        label = Make<vcl::TLabel>("Label_FixCos");
        label->Font()->SetColor(vcl::clBlue);
        chooser = Make<vcl::TListBox>("List_FixCosSign");
        chooser->Items()->Add("Ind");
        chooser->Items()->Add("Cap");
        combo = Make<vcl::TComboBox>("Combo_Mode");
        combo->SetStyle(vcl::csDropDownList);
        for (const char* item : {"Off", "On", "Auto"})
            combo->Items()->Add(item);
        radio = Make<vcl::TRadioButton>("Radio_RemoteON");
        button = Make<vcl::TButton>("Btn_Unlock");
        ctx.link = &link;
        ctx.form = form.get();
        ctx.reactiveSign = &reactiveSign;
        ctx.cosPhiStep = &cosPhiStep;
        user = std::make_unique<vcl::UserDriver>(form.get());
    }
    void TearDown() override
    {
        user.reset();
        form.reset();
        vcl::SetDialogService(nullptr);
    }
    template <class T>
    T* Make(const char* name)
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(form.get());
        c->SetBounds(10, 10 + 30 * count++, 120, 24);
        return c;
    }
    // Binds one row on the edit and confirms the text with Enter.
    void EnterWith(Binding b, const QString& text)
    {
        b.control = QStringLiteral("Edit_FixCos");
        ASSERT_TRUE(settings::Bind(b, ctx));
        user->Enter("Edit_FixCos", text);
    }
    void Pending(int code, int address, int value)
    {
        link.CommandCode = code;
        link.CommandAddress = address;
        link.CommandValue = static_cast<std::int16_t>(value);
    }
    std::uint16_t Word() const { return static_cast<std::uint16_t>(link.CommandValue); }

    RecordedDialogs dialogs;
    std::unique_ptr<vcl::TForm> form;
    std::unique_ptr<vcl::UserDriver> user;
    vcl::TEdit* edit = nullptr;
    vcl::TLabel* label = nullptr;
    vcl::TListBox* chooser = nullptr;
    vcl::TComboBox* combo = nullptr;
    vcl::TRadioButton* radio = nullptr;
    vcl::TButton* button = nullptr;
    Modbus link;
    int reactiveSign = 0;
    int cosPhiStep = 0;
    settings::Context ctx;
    int count = 0;
};

TEST_F(Anatomy, DecimalEntriesScaleAndTruncateIntoOneWordOrAreRefusedWithTheirRange)
{
    struct Case { const char* text; int scale; bool isSigned; int word; const char* box; };
    const Case cases[] = {
        {"0.95", 100, false, 95, ""},     // not 94: the entry is moved away from zero before scaling
        {"0.29", 100, false, 29, ""},
        {"0.999", 1000, false, 999, ""},
        {"230,5", 10, false, 2305, ""},   // either decimal separator
        {"42", 1, false, 42, ""},
        {"6553.5", 10, false, 65535, ""}, // the register's top
        {"0", 100, false, 0, ""},
        {"-1", 10, true, 0xFFF6, ""},     // a signed quantity in two's complement
        {"-3276.8", 10, true, 0x8000, ""},
        {"", 10, false, -1, "Please input 0~6553.5"},        // no number
        {"abc", 100, false, -1, "Please input 0~655.35"},
        {"1,2,3", 100, false, -1, "Please input 0~655.35"},
        {"6553.6", 10, false, -1, "Please input 0~6553.5"},  // one step past the register
        {"655.36", 100, false, -1, "Please input 0~655.35"},
        {"-1", 10, false, -1, "Please input 0~6553.5"},      // below an unsigned register
        {"1e12", 10, false, -1, "Please input 0~6553.5"},    // beyond 32 bits, never 0
        {"1e3", 100, false, -1, "Please input 0~655.35"},
        {"3276.8", 10, true, -1, "Please input -3276.8~3276.7"},
        {"-3276.9", 10, true, -1, "Please input -3276.8~3276.7"},
        {"-0.001", 1000, true, 0xFFFF, ""},
        {"32.768", 1000, true, -1, "Please input -32.768~32.767"},
    };
    for (const Case& c : cases) {
        Pending(5, 24576, 0x1234);
        label->Font()->SetColor(vcl::clBlue);
        Binding row = Binding().Register(33617).Decimal(c.scale).Paint("Label_FixCos");
        EnterWith(c.isSigned ? row.Signed() : row, c.text);
        const bool posted = QString::fromLatin1(c.box).isEmpty();
        EXPECT_EQ(dialogs.TakeShown(), posted ? QStringList{} : QStringList{c.box}) << c.text;
        EXPECT_EQ(link.CommandCode, posted ? 6 : 5) << c.text;
        EXPECT_EQ(link.CommandAddress, posted ? 33617 : 24576) << c.text;
        EXPECT_EQ(Word(), posted ? c.word : 0x1234) << c.text;
        EXPECT_EQ(label->Font()->Color(), posted ? vcl::clRed : vcl::clBlue) << c.text;
    }
}

TEST_F(Anatomy, IntegerEntries)
{
    // Whole numbers only, within the register: anything else is refused and nothing posted.
    struct Whole { const char* text; bool isSigned; int word; const char* box; };
    const Whole wholes[] = {
        {"65535", false, 65535, ""},
        {"$10", false, 16, ""},
        {"-32768", true, 0x8000, ""},
        {"", false, -1, "Please input a whole number 0~65535"},
        {"5.5", false, -1, "Please input a whole number 0~65535"},
        {"1e3", false, -1, "Please input a whole number 0~65535"},   // digits only, no exponent
        {"12x", false, -1, "Please input a whole number 0~65535"},
        {"70000", false, -1, "Please input a whole number 0~65535"},
        {"-1", false, -1, "Please input a whole number 0~65535"},
        {"99999999999", false, -1, "Please input a whole number 0~65535"},
        {"32768", true, -1, "Please input a whole number -32768~32767"},
    };
    for (const Whole& c : wholes) {
        Pending(5, 24576, 7);
        const Binding row = Binding().Register(100).Tolerant();
        EnterWith(c.isSigned ? row.Signed() : row, c.text);
        const bool posted = QString::fromLatin1(c.box).isEmpty();
        EXPECT_EQ(dialogs.TakeShown(), posted ? QStringList{} : QStringList{c.box}) << c.text;
        EXPECT_EQ(link.CommandCode, posted ? 6 : 5) << c.text;
        EXPECT_EQ(Word(), posted ? c.word : 7) << c.text;
    }

    // Strict: text that is no integer gets the class library's error box, and a command already
    // waiting stays as it was; an integer beyond the range gets the range.
    struct Case { const char* text; QString box; };
    const Case cases[] = {{"", "'' is not a valid integer value"},
                          {"5.5", "'5.5' is not a valid integer value"},
                          {"-1", "Please input a whole number 0~65535"}};
    for (const Case& c : cases) {
        Pending(5, 24576, 0xFF00 - 0x10000);
        label->Font()->SetColor(vcl::clBlue);
        EnterWith(Binding().Register(200).Strict().Paint("Label_FixCos"), c.text);
        EXPECT_EQ(dialogs.TakeShown(), QStringList{c.box});
        EXPECT_EQ(link.CommandCode, 5);
        EXPECT_EQ(link.CommandAddress, 24576);
        EXPECT_EQ(Word(), 0xFF00);
        EXPECT_EQ(label->Font()->Color(), vcl::clBlue);
    }
    EnterWith(Binding().Register(200).Strict().Signed(), "-3");
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(Word(), 0xFFFD);
}

TEST_F(Anatomy, OnlyEnterActsInAnEdit)
{
    ASSERT_TRUE(settings::Bind(Binding("Edit_FixCos").Register(1).Decimal(100), ctx));
    user->Type("Edit_FixCos", "0.5");        // typing posts nothing
    user->PressKey("Edit_FixCos", vcl::VK_TAB);
    EXPECT_EQ(link.CommandCode, 0);
    user->PressKey("Edit_FixCos", vcl::VK_RETURN);
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(Word(), 50);
}

TEST_F(Anatomy, TheIndCapSignRule)
{
    struct Case { int top; int sign; const char* text; int value; };
    const Case cases[] = {
        {0, 0, "0.95", 95},     // Ind, sign convention 0: as typed
        {1, 0, "0.95", -95},    // Cap
        {0, 1, "0.95", -95},    // Ind with ReactiveSign 1
        {1, 1, "0.95", 95},
        {1, 0, "-0.9", 90},     // a typed negative is turned the same way
    };
    for (const Case& c : cases) {
        reactiveSign = c.sign;
        chooser->SetItemIndex(1 - c.top);   // the selection is not what counts
        chooser->SetTopIndex(c.top);
        EnterWith(Binding().Register(33617).Decimal(100).Sign("List_FixCosSign"), c.text);
        EXPECT_EQ(link.CommandValue, c.value) << c.top << c.sign << c.text;
    }
    // The user scrolls the one-row chooser as in the window.
    reactiveSign = 0;
    chooser->SetTopIndex(0);
    user->ScrollTop("List_FixCosSign", 1);
    EnterWith(Binding().Register(33617).Decimal(100).Sign("List_FixCosSign"), "0.95");
    EXPECT_EQ(link.CommandValue, -95);
}

TEST_F(Anatomy, TheCosPhiStepRuleChoosesRegisterAndResolution)
{
    const Binding row = Binding().Register(33617).FineStep(48795).Sign("List_FixCosSign");
    struct Case { int step; int top; int address; int value; };
    const Case cases[] = {{0, 0, 33617, 95}, {1, 0, 48795, 950}, {1, 1, 48795, -950}};
    for (const Case& c : cases) {
        cosPhiStep = c.step;
        chooser->SetTopIndex(c.top);
        EnterWith(row, "0.95");
        EXPECT_EQ(link.CommandAddress, c.address) << c.step;
        EXPECT_EQ(link.CommandValue, c.value) << c.step;
    }
}

TEST_F(Anatomy, TheLimitsOfARow)
{
    struct Case {
        const char* what;
        Binding row;
        const char* text;
        bool posted;
        int value;
        QStringList box;
    };
    const Binding base = Binding().Register(33610).Paint("Label_FixCos");
    const Binding clamp = base.Decimal(100).Clamp(0, 6500);
    const Binding refuse = base.Decimal(100).Refuse(0, 60000);
    const Binding message = base.Tolerant().RefuseWithMessage(0, 100, "Please input 0~100");
    const Binding clampBelow = base.Decimal(100).ClampBelow(4500);
    const Binding text = base.Constant(0).TextLongerThan(12);
    const Case cases[] = {
        {"clamp above", clamp, "70", true, 6500, {}},
        {"clamp inside", clamp, "64.5", true, 6450, {}},
        {"clamp before the cut", clamp, "400", true, 6500, {}},
        {"clamp beyond 32 bits", clamp, "1e9", true, 6500, {}},
        {"clamp negative", clamp, "-1", true, 0, {}},
        {"clamp no number", clamp, "abc", false, 0, {"Please input 0~65"}},
        {"clamp below", clampBelow, "-1e9", true, 4500, {}},
        {"clamp below inside", clampBelow, "50", true, 5000, {}},
        {"clamp below, top refused", clampBelow, "655.36", false, 0, {"Please input 45~655.35"}},
        {"refuse", refuse, "600.01", false, 0, {"Please input 0~600"}},
        {"refuse beyond 32 bits", refuse, "1e9", false, 0, {"Please input 0~600"}},
        {"refuse inside", refuse, "600", true, 60000 - 65536, {}},
        {"message above", message, "101", false, 0, {"Please input 0~100"}},
        {"message below", message, "-1", false, 0, {"Please input 0~100"}},
        {"message past the word", message, "65636", false, 0, {"Please input 0~100"}},
        {"message no number", message, "abc", false, 0, {"Please input 0~100"}},
        {"text too short", text, "123456789012", false, 0, {}},
        {"text long enough", text, "1234567890123", true, 0, {}},
    };
    for (const Case& c : cases) {
        Pending(5, 24576, 0x55AA);
        label->Font()->SetColor(vcl::clBlue);
        EnterWith(c.row, c.text);
        EXPECT_EQ(dialogs.TakeShown(), c.box) << c.what;
        if (c.posted) {
            EXPECT_EQ(link.CommandCode, 6) << c.what;
            EXPECT_EQ(link.CommandValue, c.value) << c.what;
            EXPECT_EQ(label->Font()->Color(), vcl::clRed) << c.what;
        } else {
            // A refusal leaves the waiting command and the label alone.
            EXPECT_EQ(link.CommandCode, 5) << c.what;
            EXPECT_EQ(link.CommandAddress, 24576) << c.what;
            EXPECT_EQ(link.CommandValue, 0x55AA) << c.what;
            EXPECT_EQ(label->Font()->Color(), vcl::clBlue) << c.what;
        }
    }
}

TEST_F(Anatomy, EventsOfComboRadioAndButton)
{
    ASSERT_TRUE(settings::Bind(Binding("Combo_Mode").Register(48158).Codes({0x0040, 0x8040, 0x8041}).Paint("Label_FixCos"), ctx));
    ASSERT_TRUE(settings::Bind(Binding("Radio_RemoteON").Coil(24577).Constant(0xFF00), ctx));
    ASSERT_TRUE(settings::Bind(Binding("Btn_Unlock").Code(166).NoValue(), ctx));

    combo->SetItemIndex(2);   // code setting the choice posts nothing
    EXPECT_EQ(link.CommandCode, 0);
    user->Pick("Combo_Mode", 1);
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(link.CommandAddress, 48158);
    EXPECT_EQ(Word(), 0x8040);
    EXPECT_EQ(label->Font()->Color(), vcl::clRed);

    // A radio posts on mouse-down, also when it is already checked; it paints nothing.
    label->Font()->SetColor(vcl::clBlue);
    for (int press = 0; press < 2; ++press) {
        Pending(0, 0, 0);
        user->MouseDown("Radio_RemoteON");
        EXPECT_EQ(link.CommandCode, 5);
        EXPECT_EQ(link.CommandAddress, 24577);
        EXPECT_EQ(Word(), 0xFF00);
    }
    EXPECT_TRUE(radio->Checked());
    EXPECT_EQ(label->Font()->Color(), vcl::clBlue);

    // A special code without address or value leaves those fields as they are.
    Pending(0, 1234, 77);
    user->Click("Btn_Unlock");
    EXPECT_EQ(link.CommandCode, 166);
    EXPECT_EQ(link.CommandAddress, 1234);
    EXPECT_EQ(link.CommandValue, 77);
}

TEST_F(Anatomy, ComboMappingsAndTheFamilysAdjustment)
{
    auto pick = [&](const Binding& b, int index) {
        ASSERT_TRUE(settings::Bind(b, ctx));
        user->Pick("Combo_Mode", index);
    };
    const Binding row = Binding("Combo_Mode").Register(33821);
    pick(row.Index(2), 2);
    EXPECT_EQ(Word(), 4);
    pick(row.Index(0, 50), 1);
    EXPECT_EQ(Word(), 50);
    combo->Items()->Clear();
    for (const char* item : {"9600", "19200", "38400"})
        combo->Items()->Add(item);
    pick(row.ItemText(), 2);
    EXPECT_EQ(Word(), 38400);
    // An offset of 0x8000 added by the family, and a refusal it decides.
    pick(row.Index().Adjust([](const settings::Context&, settings::Post& p) {
             p.value += 0x8000;
             return p.value != 0x8000;
         }),
         1);
    EXPECT_EQ(Word(), 0x8001);
    Pending(0, 0, 0);
    user->Pick("Combo_Mode", 0);
    EXPECT_EQ(link.CommandCode, 0);
}

TEST_F(Anatomy, TwoPostsInARowLeaveOnlyTheLater)
{
    auto* second = Make<vcl::TEdit>("Edit_Second");
    (void)second;
    ASSERT_TRUE(settings::Bind(Binding("Edit_FixCos").Register(100).Tolerant(), ctx));
    ASSERT_TRUE(settings::Bind(Binding("Edit_Second").Register(200).Tolerant(), ctx));
    user->Enter("Edit_FixCos", "1");
    user->Enter("Edit_Second", "2");
    EXPECT_EQ(link.CommandCode, 6);
    EXPECT_EQ(link.CommandAddress, 200);
    EXPECT_EQ(link.CommandValue, 2);
}

TEST_F(Anatomy, MissingControlsBindNothing)
{
    const Binding table[] = {Binding("Edit_FixCos").Register(1), Binding("Edit_NotOnThisWindow").Register(2)};
    EXPECT_EQ(settings::BindTable(table, ctx), 1);
    EXPECT_FALSE(settings::Bind(Binding("Label_FixCos").Register(3).On(settings::Event::Change), ctx));
}

} // namespace
