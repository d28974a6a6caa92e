#include "design/SettingsOnForm.h"

#include "vcl/Controls.h"
#include "vcl/StdCtrls.h"

namespace design {

namespace {

template <typename T>
T* Find(const vcl::TComponent& form, const QString& name)
{
    return dynamic_cast<T*>(form.FindComponent(name));
}

} // namespace

QString TemperatureTitleName(int i)
{
    return QStringLiteral("Label_TemperTitle%1%2").arg(i / 4 + 1).arg(i % 4 + 1);
}

QString PollControlName(const char* prefix, int digit, int row)
{
    return QStringLiteral("%1%2%3").arg(QLatin1StringView(prefix)).arg(digit).arg(row);
}

void CollectPollsAndTitles(const vcl::TComponent& form, ModeSettings& s, const TitleText& toFile)
{
    for (int i = 0; i < 8; ++i)
        if (auto* label = Find<vcl::TControl>(form, TemperatureTitleName(i)))
            s.temperatureTitles[i] = toFile ? toFile(label->Caption()) : label->Caption();
    for (int d = 0; d < 4; ++d) {
        for (int r = 1; r <= 10; ++r) {
            PollRow& row = s.poll[d][r - 1];
            if (auto* addr = Find<vcl::TControl>(form, PollControlName("Edit_PollAddr", d, r)))
                row.addr = addr->Text();
            if (auto* type = Find<vcl::TComboBox>(form, PollControlName("Combo_PollType", d, r)))
                row.type = type->ItemIndex();
            if (auto* value = Find<vcl::TControl>(form, PollControlName("Edit_PollVal", d, r)))
                row.value = value->Text();
        }
    }
}

void ApplyPollsAndTitles(vcl::TComponent& form, const ModeSettings& s, const TitleText& shown)
{
    for (int i = 0; i < 8; ++i)
        if (auto* label = Find<vcl::TControl>(form, TemperatureTitleName(i)))
            label->SetCaption(shown ? shown(s.temperatureTitles[i]) : s.temperatureTitles[i]);
    for (int d = 0; d < 4; ++d) {
        for (int r = 1; r <= 10; ++r) {
            const PollRow& row = s.poll[d][r - 1];
            if (auto* addr = Find<vcl::TControl>(form, PollControlName("Edit_PollAddr", d, r)))
                addr->SetText(row.addr);
            if (auto* type = Find<vcl::TComboBox>(form, PollControlName("Combo_PollType", d, r)))
                type->SetItemIndex(row.type >= 0 && row.type < type->Items()->Count() ? row.type : -1);
            if (auto* value = Find<vcl::TControl>(form, PollControlName("Edit_PollVal", d, r)))
                value->SetText(row.value);
        }
    }
}

} // namespace design
