#include "groups/Polls.h"

#include "common/Myfunc.h"
#include "vcl/Kit.h"

namespace groups {

namespace {

constexpr int kHeadTop = 38;
constexpr int kFirstRow = 58;
constexpr int kPitch = 28;
constexpr int kTypeLeft = 8, kTypeWidth = 62;
constexpr int kAddrLeft = 74, kAddrWidth = 70;
constexpr int kWriteLeft = 148, kWriteWidth = 70;
constexpr int kReadLeft = 224, kReadWidth = 70;

const char* const kCleanAllNames[kPollGroups] = {
    "Btn_Poll1CleanAll", "Btn_Poll2CleanAll", "Btn_Poll3ClearAll", "Btn_Poll4ClearAll"};

QString Shown(PollForm form, int word)
{
    switch (form) {
    case PollForm::Unsigned: return QString::number(word);
    case PollForm::Signed: return QString::number(static_cast<std::int16_t>(static_cast<std::uint16_t>(word)));
    case PollForm::Hex: return QStringLiteral("%1").arg(word, 4, 16, QLatin1Char('0')).toUpper();
    }
    return QString();
}

int ReadPollCell(Modbus& link, const QString& address, int typeIndex, vcl::TLabel* label, PollForm form)
{
    const int fc = FunctionCodeOfIndex(typeIndex);
    if (fc != 1 && fc != 3 && fc != 4)
        return 0;
    const int reg = StrToIntSafe(address);
    if (!PollAddressValid(reg))
        return 0;
    if (link.Request(reg, 1, static_cast<std::uint8_t>(fc)) != 0)
        return 1;
    if (!label)
        return 0;
    if (Accepted(link, static_cast<std::uint8_t>(fc)))
        label->SetCaption(fc == 1 ? QString::number(link.Reply[3]) : Shown(form, Word(link, 0)));
    else
        label->SetCaption(QStringLiteral("Error"));
    label->Font()->SetColor(vcl::clBlue);
    return 0;
}

} // namespace

QString PollSuffix(int digit, int row)
{
    return QString::number(digit) + QString::number(row);
}

PollForm PollFormOf(int digit)
{
    switch (digit) {
    case 2: return PollForm::Signed;
    case 3: return PollForm::Hex;
    default: return PollForm::Unsigned;
    }
}

bool PollAddressValid(int reg)
{
    return reg >= 1 && reg <= 65535;
}

PollGroups BuildPollGroups(vcl::TComponent& form)
{
    PollGroups groups{};
    for (int d = 0; d < kPollGroups; ++d) {
        PollGroup& g = groups[static_cast<size_t>(d)];
        g.Panel = FindPanel(form, QStringLiteral("Group_Poll0%1").arg(d + 1));
        if (!g.Panel)
            continue;
        const QString digit = QString::number(d);
        CaptionLabel(&form, g.Panel, "Label_PollTypeHead" + digit, QStringLiteral("Type"), kTypeLeft, kHeadTop, kTypeWidth);
        CaptionLabel(&form, g.Panel, "Label_PollAddrHead" + digit, QStringLiteral("Address"), kAddrLeft, kHeadTop, kAddrWidth);
        CaptionLabel(&form, g.Panel, "Label_PollValHead" + digit, QStringLiteral("Value"), kWriteLeft, kHeadTop, kWriteWidth);
        for (int r = 1; r <= kPollRows; ++r) {
            PollRowControls& row = g.Rows[static_cast<size_t>(r - 1)];
            const QString suffix = PollSuffix(d, r);
            const int top = kFirstRow + (r - 1) * kPitch;

            row.Type = new vcl::TComboBox(&form);
            row.Type->SetName("Combo_PollType" + suffix);
            row.Type->SetParent(g.Panel);
            row.Type->SetBounds(kTypeLeft, top, kTypeWidth, 24);
            row.Type->SetStyle(vcl::csDropDownList);
            for (const char* item : {"Coil", "IR", "HR"})
                row.Type->Items()->Add(QString::fromLatin1(item));
            row.Type->SetItemIndex(-1);

            row.Address = new vcl::TEdit(&form);
            row.Address->SetName("Edit_PollAddr" + suffix);
            row.Address->SetParent(g.Panel);
            row.Address->SetBounds(kAddrLeft, top, kAddrWidth, 24);

            row.Value = new vcl::TEdit(&form);
            row.Value->SetName("Edit_PollVal" + suffix);
            row.Value->SetParent(g.Panel);
            row.Value->SetBounds(kWriteLeft, top, kWriteWidth, 24);

            row.Read = ValueLabel(&form, g.Panel, "Label_PollVal" + suffix, kReadLeft, top + 4, kReadWidth);
        }
        g.CleanAll = new vcl::TButton(&form);
        g.CleanAll->SetName(QString::fromLatin1(kCleanAllNames[d]));
        g.CleanAll->SetParent(g.Panel);
        g.CleanAll->SetBounds(kWriteLeft, kFirstRow + kPollRows * kPitch + 4, kWriteWidth + kReadWidth + 6, 26);
        g.CleanAll->SetCaption(QStringLiteral("Clean All"));
    }
    return groups;
}

int ReadPoll(Modbus& link, const PollGroup& group, int digit, std::uint8_t stop)
{
    const int gate = FrameStart(link, stop, {group.Panel}, QStringLiteral("Poll0%1...").arg(digit + 1));
    if (gate >= 0)
        return gate;
    for (const PollRowControls& row : group.Rows) {
        if (!row.Type || !row.Address)
            continue;
        if (ReadPollCell(link, row.Address->Text(), row.Type->ItemIndex(), row.Read, PollFormOf(digit)) != 0)
            return 1;
    }
    return 0;
}

void CleanAllRows(PollGroup& group)
{
    for (PollRowControls& row : group.Rows) {
        if (row.Type)
            row.Type->SetText(QString());
        if (row.Address)
            row.Address->SetText(QString());
        if (row.Value)
            row.Value->SetText(QString());
    }
}

} // namespace groups
