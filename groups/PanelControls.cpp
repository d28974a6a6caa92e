#include "groups/PanelControls.h"

namespace groups {

namespace {

template <class T>
T* Place(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name, int left, int top,
         int width, int height)
{
    T* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
}

} // namespace

vcl::TEdit* PanelEdit(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name, int left,
                      int top, int width)
{
    return Place<vcl::TEdit>(owner, parent, name, left, top - 2, width, kControlHeight);
}

vcl::TButton* PanelButton(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                          const QString& caption, int left, int top, int width)
{
    auto* b = Place<vcl::TButton>(owner, parent, name, left, top - 3, width, kControlHeight + 2);
    b->SetCaption(caption);
    b->SetTag(1);
    return b;
}

vcl::TComboBox* PanelCombo(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                           std::initializer_list<const char*> items, int left, int top, int width)
{
    auto* c = Place<vcl::TComboBox>(owner, parent, name, left, top - 2, width, kControlHeight);
    c->SetStyle(vcl::csDropDownList);
    for (const char* item : items)
        c->Items()->Add(QString::fromUtf8(item));
    c->SetDropDownCount(18);
    return c;
}

vcl::TCheckBox* PanelCheck(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                           const QString& caption, int left, int top, int width)
{
    auto* c = Place<vcl::TCheckBox>(owner, parent, name, left, top - 1, width, 20);
    c->SetCaption(caption);
    c->SetTag(1);
    return c;
}

vcl::TPanel* PanelPart(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name, int left,
                       int top, int width, int height)
{
    auto* p = Place<vcl::TPanel>(owner, parent, name, left, top, width, height);
    p->SetBevelOuter(vcl::TPanel::bvNone);
    if (parent)
        p->SetColor(parent->Color());
    return p;
}

RadioPair PanelRadioPair(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& holderName,
                         const QString& onName, const QString& onCaption, const QString& offName,
                         const QString& offCaption, int left, int top, int width)
{
    RadioPair r;
    r.Holder = PanelPart(owner, parent, holderName, left, top - 2, width, 20);
    const int half = width / 2;
    r.On = Place<vcl::TRadioButton>(owner, r.Holder, onName, 0, 0, half, 20);
    r.On->SetCaption(onCaption);
    r.Off = Place<vcl::TRadioButton>(owner, r.Holder, offName, half, 0, width - half, 20);
    r.Off->SetCaption(offCaption);
    return r;
}

void ShowSwitch(vcl::TRadioButton* on, vcl::TRadioButton* off, bool isOn)
{
    if (isOn && on)
        on->SetChecked(true);
    if (!isOn && off)
        off->SetChecked(true);
}

void ShowSwitch(const RadioPair& pair, bool on) { ShowSwitch(pair.On, pair.Off, on); }

void SetValue(vcl::TLabel* label, const QString& text, vcl::TColor colour)
{
    if (!label)
        return;
    label->SetCaption(text);
    label->Font()->SetColor(colour);
}

} // namespace groups
