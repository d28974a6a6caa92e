#include "groups/ReaderFrame.h"

#include "link/LinkHost.h"

namespace groups {

int FrameStart(Modbus& link, std::uint8_t stop, std::initializer_list<const vcl::TControl*> panels,
               const QString& progress)
{
    if (stop == 1)
        return 1;
    if (link.CommandCode != 0)
        return 0;
    bool visible = false;
    for (const vcl::TControl* p : panels)
        visible = visible || (p && p->Visible());
    if (!visible)
        return 0;
    link.Host().SetStatusPanel(2, progress);
    return -1;
}

namespace {

// The header band's captions name its buttons; a colour there tells how a command went, never
// that a value is old.
bool InHeaderBand(const vcl::TControl& c)
{
    for (const vcl::TControl* p = c.Parent(); p; p = p->Parent())
        if (p->Name() == QLatin1String("Group_Top"))
            return true;
    return false;
}

template <class F>
void ForEachLabel(vcl::TComponent& form, F f)
{
    for (int i = 0; i < form.ComponentCount(); ++i) {
        vcl::TComponent* c = form.Components(i);
        if (c->ClassName() == QLatin1String("TLabel") && !InHeaderBand(*static_cast<vcl::TLabel*>(c)))
            f(*static_cast<vcl::TLabel*>(c));
    }
}

// Every label of colour `from` becomes a "??" of colour `to`.
void RecolourLabels(vcl::TComponent& form, vcl::TColor from, vcl::TColor to)
{
    ForEachLabel(form, [from, to](vcl::TLabel& l) {
        if (l.Font()->Color() == from) {
            l.SetCaption(QStringLiteral("??"));
            l.Font()->SetColor(to);
        }
    });
}

} // namespace

void MarkBlueLabelsStale(vcl::TComponent& form) { RecolourLabels(form, vcl::clBlue, vcl::clRed); }

void RecoverRedLabels(vcl::TComponent& form) { RecolourLabels(form, vcl::clRed, vcl::clBlue); }

void ClearBlueLabels(vcl::TComponent& form)
{
    ForEachLabel(form, [](vcl::TLabel& l) {
        if (l.Font()->Color() == vcl::clBlue)
            l.SetCaption(QStringLiteral("??"));
    });
}

vcl::TLabel* CaptionLabel(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                          const QString& caption, int left, int top, int width)
{
    auto* l = new vcl::TLabel(owner);
    l->SetName(name);
    l->SetParent(parent);
    l->SetAutoSize(false);
    l->SetBounds(left, top, width, 17);
    l->SetCaption(caption);
    l->SetTag(1);
    return l;
}

vcl::TLabel* ValueLabel(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                        int left, int top, int width)
{
    auto* l = new vcl::TLabel(owner);
    l->SetName(name);
    l->SetParent(parent);
    l->SetAutoSize(false);
    l->SetBounds(left, top, width, 17);
    l->SetCaption(QStringLiteral("??"));
    l->Font()->SetColor(vcl::clBlue);
    return l;
}

vcl::TWinControl* FindPanel(const vcl::TComponent& form, const QString& name)
{
    return dynamic_cast<vcl::TWinControl*>(form.FindComponent(name));
}

vcl::TLabel* FindLabel(const vcl::TComponent& form, const QString& name)
{
    return dynamic_cast<vcl::TLabel*>(form.FindComponent(name));
}

} // namespace groups
