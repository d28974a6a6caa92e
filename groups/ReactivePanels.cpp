// The inner controls of the reactive and active power panels. A row is a caption, its value
// label, then on the right the entry: an edit or a drop-down list, and for a setting with a
// side the one-row Ind/Cap chooser beside the edit.
#include "groups/ReactivePower.h"

#include "groups/PanelControls.h"
#include "groups/PanelRows.h"

#include <QAbstractItemView>
#include <algorithm>
#include <vector>

#include <QWidget>

#include <algorithm>

namespace groups {

namespace {

struct Line {
    const char* caption;
    const char* label;                // value label
    const char* control = nullptr;    // edit, or drop-down list when items are given
    const char* chooser = nullptr;    // Ind/Cap chooser of the edit
    std::vector<const char*> items{};
    const char* captionName = nullptr; // a caption the mode's options re-caption
};

constexpr int kLinePitch = 26;
constexpr int kEditWidth = 56;
constexpr int kChooserWidth = 50;
constexpr int kComboWidth = 112;

int serial = 0;

// One-row list box with "Ind" and "Cap": the row the user scrolls into view is the side.
void AddChooser(vcl::TComponent& form, vcl::TWinControl* parent, const QString& name, int left, int top)
{
    auto* list = new vcl::TListBox(&form);
    list->SetName(name);
    list->SetParent(parent);
    list->SetItemHeight(17);
    list->Items()->Add(QStringLiteral("Ind"));
    list->Items()->Add(QStringLiteral("Cap"));
    list->SetBounds(left, top, kChooserWidth, 22);
    list->SetTopIndex(0);
    // A page scroll passing over it must not flip the side of the next entry.
    list->SetWheelAfterClick(true);
    // One row in view: the side's name and the arrows that scroll to the other one.
    if (auto* view = qobject_cast<QAbstractItemView*>(list->Handle())) {
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        const int height = std::max(view->sizeHintForRow(0), 14) + 2 * view->frameWidth();
        list->SetBounds(left, top + std::max(0, 22 - height) / 2, kChooserWidth, height);
    }
}

vcl::TComboBox* AddCombo(vcl::TComponent& form, vcl::TWinControl* parent, const QString& name,
                         const std::vector<QString>& items, int left, int top, int width)
{
    auto* c = new vcl::TComboBox(&form);
    c->SetName(name);
    c->SetParent(parent);
    c->SetStyle(vcl::csDropDownList);
    c->SetBounds(left, top, width, 24);
    for (const QString& item : items)
        c->Items()->Add(item);
    return c;
}

// Lays the lines out in a column `width` wide starting at `left`; returns the top below them.
int AddLines(vcl::TComponent& form, vcl::TWinControl* parent, const std::vector<Line>& lines, int top, int width,
             int left = 0, int captionWidth = 106)
{
    const int valueLeft = left + captionWidth + 6;
    const int editLeft = left + width - kEditWidth - 8;
    for (const Line& l : lines) {
        const QString caption = l.captionName ? QLatin1String(l.captionName) : QStringLiteral("Label_ReactiveRow%1").arg(++serial);
        CaptionLabel(&form, parent, caption, QString::fromUtf8(l.caption), left + 8, top + 3, captionWidth - 2);
        int valueRight = left + width - 8;
        if (l.control && !l.items.empty()) {
            std::vector<QString> items;
            for (const char* i : l.items)
                items.push_back(QString::fromUtf8(i));
            // A combo of short items takes only the width they need, leaving its value the rest.
            vcl::TComboBox* combo = AddCombo(form, parent, QLatin1String(l.control), items, left + width - kComboWidth - 8, top, kComboWidth);
            const int comboWidth = std::clamp(combo->Handle()->sizeHint().width(), 60, kComboWidth);
            combo->SetBounds(left + width - comboWidth - 8, top, comboWidth, 24);
            valueRight = left + width - comboWidth - 12;
        } else if (l.control) {
            PanelEdit(&form, parent, QLatin1String(l.control), editLeft, top, kEditWidth);
            valueRight = editLeft - 4;
            if (l.chooser) {
                AddChooser(form, parent, QLatin1String(l.chooser), editLeft - kChooserWidth - 3, top);
                valueRight = editLeft - kChooserWidth - 6;
            }
        }
        ValueLabel(&form, parent, QLatin1String(l.label), valueLeft, top + 3, valueRight - valueLeft);
        top += l.control ? kLinePitch : kRowPitch;
    }
    return top;
}

// Column headings above a table of points.
void Heading(vcl::TComponent& form, vcl::TWinControl* parent, const QString& text, int left, int top, int width)
{
    CaptionLabel(&form, parent, QStringLiteral("Label_ReactiveRow%1").arg(++serial), text, left, top, width);
}

void BuildReactive(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    const std::vector<const char*> modes = {
        "Disable",          "Constant cos(φ)", "cos(φ) of P Control", "Constant Q",
        "Q(U) Control",     "Q(U) CEI021 B",   "Q(U) Class B",        "Q(U) Class C",
        "Voltage suppression", "Cosphi(U)",    "Q(P)",                "Extend Cos(φ) of P Control",
        "Reserved",         "Fixed Kvar 24/7", "Q(U) 24/7",           "Q of Pac 24/7"};
    // The mode's name is long: its label takes the row, the choice stands below it.
    int top = kFirstRowTop;
    CaptionLabel(&form, p, QStringLiteral("Label_ReactiveModeCaption"), QStringLiteral("Mode"), 8, top + 3, 60);
    ValueLabel(&form, p, QStringLiteral("Label_ReactiveMode"), 72, top + 3, w - 80);
    top += kRowPitch;
    std::vector<QString> items;
    for (const char* m : modes)
        items.push_back(QString::fromUtf8(m));
    AddCombo(form, p, QStringLiteral("Combo_ReactiveMode"), items, 72, top, w - 80);
    AddCombo(form, p, QStringLiteral("Combo_ReactiveModeForJapan"),
             {QStringLiteral("Disable"), QString::fromUtf8("Constant cos(φ)"), QStringLiteral("Voltage suppression")}, 72,
             top, w - 80)
        ->SetVisible(false);
    top += kLinePitch + 4;
    top = AddLines(form, p,
                   {{"Fixed cos(φ)", "Label_FixCos", "Edit_FixCos", "List_CosRange"},
                    {"Fixed Q (%)", "Label_FixKvar", "Edit_FixKvar", "List_FixKvar"},
                    {"Response Time", "Label_ReDelayT", "Edit_ReDelayT"}},
                   top, w);
    top += 4;
    CaptionLabel(&form, p, QStringLiteral("Label_ReactiveNightCaption"), QStringLiteral("Night Mode"), 8, top + 3, 80);
    ValueLabel(&form, p, QStringLiteral("Label_ReactiveNightMode"), 90, top + 3, w - 98);
    top += kRowPitch;
    AddCombo(form, p, QStringLiteral("Combo_ReactiveNightMode"),
             {QStringLiteral("Disable"), QStringLiteral("Fixed Kvar 24/7"), QStringLiteral("Q(U) 24/7"),
              QStringLiteral("Q of Pac 24/7")},
             90, top, w - 98);
}

void BuildCosPCtrl(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddLines(form, p,
             {{"Upper", "Label_CosUp", "Edit_CosUp", "List_CosUp"},
              {"Lower", "Label_CosLow", "Edit_CosLow", "List_CosLow"},
              {"Upper(P1)", "Label_PowerUp", "Edit_PowerUp"},
              {"Lower(P2)", "Label_PowerLow", "Edit_PowerLow"},
              {"V Lock in", "Label_CosLockInVolt", "Edit_CosLockInVolt"},
              {"V Lock out", "Label_CosLockOutVolt", "Edit_CosLockOutVolt"}},
             kFirstRowTop, p->Width());
}

void BuildQUCtrl(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    AddLines(form, p,
             {{"Q_Vmin", "Label_KvarUp", "Edit_KvarUp", "List_KvarUp", {}, "Label70"},
              {"Q2", "Label_QofU_Q2"},
              {"Q3", "Label_QofU_Q3"},
              {"Q_Vmax", "Label_KvarLow", "Edit_KvarLow", "List_KvarLow", {}, "Label63"},
              {"Vmin", "Label_UacMin", "Edit_UacMin", nullptr, {}, "Label74"},
              {"Lower(V1)", "Label_UacLow", "Edit_UacLow", nullptr, {}, "Label77"},
              {"Upper(V2)", "Label_UacUp", "Edit_UacUp", nullptr, {}, "Label79"},
              {"Vmax", "Label_UacMax", "Edit_UacMax", nullptr, {}, "Label75"},
              {"Hysteresis", "Label_Hystersis", "Edit_Hystersis"},
              {"Lock-in Power", "Label_UacLockIn", "Edit_UacLockIn"},
              {"Lock-out Power", "Label_UacLockOut", "Edit_UacLockOut"}},
             kFirstRowTop, w);
    // The response delay row: shown only for an inverter that answers for it, and placed to
    // the right of the panel's visible width.
    auto* item = new vcl::TGroupBox(&form);
    item->SetName(QStringLiteral("Item_ResponseDelay"));
    item->SetParent(p);
    item->SetCaption(QString());
    item->SetBounds(381, kFirstRowTop, 280, 34);
    CaptionLabel(&form, item, QStringLiteral("Label_ResponseDelayCaption"), QStringLiteral("Response delay"), 8, 10, 100);
    ValueLabel(&form, item, QStringLiteral("Label_ResponseDelay"), 110, 10, 70);
    std::vector<QString> seconds;
    for (int s = 0; s <= 30; ++s)
        seconds.push_back(QString::number(s));
    AddCombo(form, item, QStringLiteral("Combo_ResponseDelay"), seconds, 190, 6, 70);
    item->SetVisible(false);
}

void BuildCosphiOfU(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddLines(form, p,
             {{"Upper Limit", "Label_CosphiOfU_UpperLimit", "Edit_CosphiOfU_UpperLimit", "List_CosphiOfU_UpperLimit"},
              {"Lower_Limit", "Label_CosphiOfU_LowerLimit", "Edit_CosphiOfU_LowerLimit", "List_CosphiOfU_LowerLimit"},
              {"Vmin", "Label_CosphiOfU_Vmin", "Edit_CosphiOfU_Vmin"},
              {"Vmax", "Label_CosphiOfU_Vmax", "Edit_CosphiOfU_Vmax"},
              {"V1", "Label_CosphiOfU_V1", "Edit_CosphiOfU_V1"},
              {"V2", "Label_CosphiOfU_V2", "Edit_CosphiOfU_V2"},
              {"Lock-in Power", "Label_CosphiOfU_Lockin", "Edit_CosphiOfU_Lockin"},
              {"Lock-out Power", "Label_CosphiOfU_Lockout", "Edit_CosphiOfU_Lockout"}},
             kFirstRowTop, p->Width());
}

void BuildQbyNight(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddLines(form, p,
             {{"Const.Q_Percent", "Label_ConstQ_Percent", "Edit_ConstQ_Percent"},
              {"Q(U)_Upper_Limit", "Label_QU_Upper_Limit", "Edit_QU_Upper_Limit"},
              {"Q(U)_Lower_Limit", "Label_QU_Lower_Limit", "Edit_QU_Lower_Limit"},
              {"Q(U)_Vmin(V2i)", "Label_QU_Vmin", "Edit_QU_Vmin"},
              {"Q(U)_Vmax(V2s)", "Label_QU_Vmax", "Edit_QU_Vmax"},
              {"Q(U)_V1(V1i)", "Label_QU_V1", "Edit_QU_V1"},
              {"Q(U)_V2(V1s)", "Label_QU_V2", "Edit_QU_V2"},
              {"Q(U)_P_Lock_in", "Label_QU_P_Lock_in", "Edit_QU_P_Lock_in"},
              {"Q(U)_P_Lock_out", "Label_QU_P_Lock_out", "Edit_QU_P_Lock_out"},
              {"Q(U)_Hysteresis", "Label_QU_Hysteresis", "Edit_QU_Hysteresis"},
              {"Response_Delay", "Label_Response_Delay", "Edit_Response_Delay"}},
             kFirstRowTop, p->Width(), 0, 124);
    // The Q(T) mode and the Q(P) night rows form a second column beyond the panel's visible
    // width; the reader fills them all the same.
    AddLines(form, p,
             {{"Q(T) Mode", "Label_QTMode", "Combo_QTMode", nullptr, {"Disable", "Enable"}},
              {"Q(P)_Q_Upper", "Label_QP_Q_Upper", "Edit_QP_Q_Upper"},
              {"Q(P)_Q_Lower", "Label_QP_Q_Lower", "Edit_QP_Q_Lower"},
              {"Q(P)_Upper_Limit ", "Label_QP_Upper_Limit", "Edit_QP_Upper_Limit"},
              {"Q(P)_Lower_Limit", "Label_QP_Lower_Limit", "Edit_QP_Lower_Limit"},
              {"Q(P)_Lockin_V", "Label_QP_Lockin_V", "Edit_QP_Lockin_V"},
              {"Q(P)_Lockout_V", "Label_QP_Lockout_V", "Edit_QP_Lockout_V"}},
             kFirstRowTop, 255, 330, 124);
}

// A table of curve points: one row a point, its P with an edit, its Q (or cos φ) with the
// chooser and an edit.
void AddPoints(vcl::TComponent& form, vcl::TWinControl* p, int top, int first, int count, const QString& pName,
               const QString& qName, const QString& chooserName, const QString& suffix, const QString& qHeading)
{
    const int w = p->Width();
    Heading(form, p, QStringLiteral("P"), 28, top, 90);
    Heading(form, p, qHeading, 120, top, 90);
    top += 18;
    for (int k = first; k < first + count; ++k) {
        const QString n = QString::number(k);
        CaptionLabel(&form, p, QStringLiteral("Label_ReactiveRow%1").arg(++serial), n, 8, top + 3, 18);
        ValueLabel(&form, p, QStringLiteral("Label_") + pName + n + suffix, 28, top + 3, 48);
        PanelEdit(&form, p, QStringLiteral("Edit_") + pName + n + suffix, 78, top, 38);
        ValueLabel(&form, p, QStringLiteral("Label_") + qName + n + suffix, 120, top + 3, w - 120 - 106);
        AddChooser(form, p, chooserName + n + suffix, w - 104, top);
        PanelEdit(&form, p, QStringLiteral("Edit_") + qName + n + suffix, w - 50, top, 42);
        top += 24;
    }
}

void BuildQofP(vcl::TComponent& form, vcl::TWinControl* p, const QString& suffix)
{
    const int w = p->Width();
    const QByteArray s = suffix.toLatin1();
    const QByteArray mode = "Label_QofP_Mode" + s, modeCombo = "Combo_QofP_Mode" + s;
    const QByteArray points = "Label_QofP_SetPoint" + s, pointsEdit = "Edit_QofP_SetPoint" + s;
    const int top = AddLines(form, p,
                             {{"Mode", mode.constData(), modeCombo.constData(), nullptr, {"Rated", "Actual"}},
                              {"No of Set Point", points.constData(), pointsEdit.constData()}},
                             kFirstRowTop, w);
    AddPoints(form, p, top + 4, 0, 10, QStringLiteral("QofP_P"), QStringLiteral("QofP_Q"), QStringLiteral("List_QofP_RangeQ"),
              suffix, QStringLiteral("Q"));
}

void BuildExtendCosphiP(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    int top = AddLines(form, p, {{"No of Set Point", "Label_ExtendCosphiP_SetPoint", "Edit_ExtendCosphiP_SetPoint"}},
                       kFirstRowTop, w);
    AddPoints(form, p, top + 4, 1, 8, QStringLiteral("ExtendCosphiP_P"), QStringLiteral("ExtendCosphiP_CosP"),
              QStringLiteral("Combo_ExtendCosphiP_CosP"), QString(), QStringLiteral("CosPhi"));
    top += 4 + 18 + 8 * 24 + 6;
    AddLines(form, p,
             {{"V Lock in", "Label_CosLockInVolt_Ext", "Edit_CosLockInVolt_ext"},
              {"V Lock out", "Label_CosLockOutVolt_Ext", "Edit_CosLockOutVolt_Ext"}},
             top, w);
}

void BuildActive(vcl::TComponent& form, vcl::TWinControl* p)
{
    const int w = p->Width();
    AddLines(form, p,
             {{"Mode", "Label_PowerManageMode", "Combo_PowerManageMode", nullptr, {"Disable", "Enable"}},
              {"PM (%)", "Label_PowerManage", "Edit_PowerManage"},
              {"Ramp Up Power(%) ", "Label_RampUp", "Edit_RampUp"}},
             kFirstRowTop, w, 0, 130);
    // The slope row lies below the panel's normal height: it shows only when the mode's
    // option gives the panel its taller size.
    AddLines(form, p, {{"Active Power Slope", "Label_ActiveSlope", "Edit_ActiveSlope"}}, 212, w, 0, 130);
}

void BuildPofU(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddLines(form, p,
             {{"Mode:", "Label_ProvrMode", "Combo_ProvrMode", nullptr, {"Disable", "Enable"}},
              {"Recovery Time(s)", "Label_ProvrRecTime", "Edit_ProvrRecTime"},
              {"Lockin Power(%)", "Label_ProvrLockInP", "Edit_ProvrLockInP"},
              {"Lockout Power(%)", "Label_ProvrLockOutP", "Edit_ProvrLockOutP"},
              {"Lockin Voltage(Vac)", "Label_ProvrLockInV", "Edit_ProvrLockInV"},
              {"Lockout Voltage(Vac)", "Label_ProvrLockOutV", "Edit_ProvrLockOutV"},
              {"Stop Voltage", "Label_StopVoltage_Vac", "Edit_StopVoltage_Vac"},
              {"Pend", "Label_PofU_Pend", "Edit_PofU_Pend"},
              {"Response Time", "Label_ReDelayT1", "Edit_ReDelayT1"}},
             kFirstRowTop, p->Width(), 0, 140);
}

void BuildSuppression(vcl::TComponent& form, vcl::TWinControl* p)
{
    AddLines(form, p,
             {{"V1", "Label_VoltageSuppression_V1", "Edit_VoltageSuppression_V1"},
              {"PF", "Label_VoltageSuppression_PF", "Edit_VoltageSuppression_PF"},
              {"V2", "Label_VoltageSuppression_V2", "Edit_VoltageSuppression_V2"},
              {"Power Level", "Label_VoltageSuppression_PL", "Edit_VoltageSuppression_PL"}},
             kFirstRowTop, p->Width());
}

void BuildJapanActive(vcl::TComponent& form, vcl::TWinControl* p)
{
    std::vector<const char*> percent;
    static std::vector<QByteArray> texts;
    if (texts.empty())
        for (int k = 0; k <= 100; ++k)
            texts.push_back(QByteArray::number(k));
    for (const QByteArray& t : texts)
        percent.push_back(t.constData());
    AddLines(form, p,
             {{"Power Management", "Label_JapanPowerManage", "Combo_JapanPowerManage", nullptr, {"OFF", "RATED"}},
              {"Percentage", "Label_JapanActivePercentage", "Combo_JapanActivePercentage", nullptr, percent},
              {"Slope", "Label_JapanActiveSlope", "Combo_JapanActiveSlope", nullptr,
               {"60", "120", "180", "240", "300", "360", "420", "480", "540", "600"}}},
             kFirstRowTop, p->Width());
}

// The labels of the active power panels show "???" until their first reading.
void NotYetRead(vcl::TComponent& form, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        SetText(rows::L(form, n), QStringLiteral("???"));
}

} // namespace

ReactiveGroups FindReactiveGroups(const vcl::TComponent& form)
{
    ReactiveGroups g;
    g.Reactive = FindPanel(form, QStringLiteral("Group_ReactivePower"));
    g.CosPCtrl = FindPanel(form, QStringLiteral("Group_CosPCtrl"));
    g.QUCtrl = FindPanel(form, QStringLiteral("Group_QUCtrl"));
    g.CosphiOfU = FindPanel(form, QStringLiteral("Group_CosphiOfU"));
    g.QbyNight = FindPanel(form, QStringLiteral("Group_QbyNight"));
    g.QofP = FindPanel(form, QStringLiteral("Group_QofP"));
    g.QofPDaytime = FindPanel(form, QStringLiteral("Group_QofP_DayTime"));
    g.ExtendCosphiP = FindPanel(form, QStringLiteral("Group_ExtendCosphiP"));
    g.Active = FindPanel(form, QStringLiteral("Group_ActivePower"));
    g.PofU = FindPanel(form, QStringLiteral("Group_PUFunction"));
    g.Suppression = FindPanel(form, QStringLiteral("Group_VoltageSuppression"));
    g.JapanActive = FindPanel(form, QStringLiteral("Group_JapanActivePower"));
    return g;
}

ReactiveGroups BuildReactiveGroups(vcl::TComponent& form)
{
    const ReactiveGroups g = FindReactiveGroups(form);
    auto fresh = [&form](vcl::TWinControl* panel, const char* marker) {
        return panel && !form.FindComponent(QLatin1String(marker));
    };
    if (fresh(g.Reactive, "Label_ReactiveMode"))
        BuildReactive(form, g.Reactive);
    if (fresh(g.CosPCtrl, "Label_CosUp"))
        BuildCosPCtrl(form, g.CosPCtrl);
    if (fresh(g.QUCtrl, "Label_KvarUp"))
        BuildQUCtrl(form, g.QUCtrl);
    if (fresh(g.CosphiOfU, "Label_CosphiOfU_UpperLimit"))
        BuildCosphiOfU(form, g.CosphiOfU);
    if (fresh(g.QbyNight, "Label_QTMode"))
        BuildQbyNight(form, g.QbyNight);
    if (fresh(g.QofP, "Label_QofP_Mode"))
        BuildQofP(form, g.QofP, QString());
    if (fresh(g.QofPDaytime, "Label_QofP_Mode_DT"))
        BuildQofP(form, g.QofPDaytime, QStringLiteral("_DT"));
    if (fresh(g.ExtendCosphiP, "Label_ExtendCosphiP_SetPoint"))
        BuildExtendCosphiP(form, g.ExtendCosphiP);
    if (fresh(g.Active, "Label_PowerManageMode")) {
        BuildActive(form, g.Active);
        NotYetRead(form, {"Label_PowerManageMode", "Label_PowerManage", "Label_RampUp", "Label_ActiveSlope"});
    }
    if (fresh(g.PofU, "Label_ProvrMode")) {
        BuildPofU(form, g.PofU);
        NotYetRead(form, {"Label_ProvrMode", "Label_ProvrRecTime", "Label_ProvrLockInP", "Label_ProvrLockOutP",
                          "Label_ProvrLockInV", "Label_ProvrLockOutV", "Label_StopVoltage_Vac", "Label_PofU_Pend"});
    }
    if (fresh(g.Suppression, "Label_VoltageSuppression_V1")) {
        BuildSuppression(form, g.Suppression);
        NotYetRead(form, {"Label_VoltageSuppression_V1", "Label_VoltageSuppression_PF", "Label_VoltageSuppression_V2",
                          "Label_VoltageSuppression_PL"});
    }
    if (fresh(g.JapanActive, "Label_JapanPowerManage")) {
        BuildJapanActive(form, g.JapanActive);
        NotYetRead(form, {"Label_JapanPowerManage", "Label_JapanActivePercentage", "Label_JapanActiveSlope"});
    }
    return g;
}

void ApplyQofUCaptions(vcl::TComponent& form, int style)
{
    static const char* const kNames[6] = {"Label63", "Label70", "Label75", "Label74", "Label79", "Label77"};
    static const char* const kCurve[6] = {"Q_Vmax", "Q_Vmin", "Vmax", "Vmin", "Upper(V2)", "Lower(V1)"};
    static const char* const kPoints[6] = {"Q4", "Q1", "V4", "V1", "V3", "V2"};
    if (style != 0 && style != 1)
        return;
    for (int k = 0; k < 6; ++k)
        SetText(rows::L(form, kNames[k]), QLatin1String(style == 0 ? kCurve[k] : kPoints[k]));
}

} // namespace groups
