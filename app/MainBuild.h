// Small helpers that build the window's controls: each creates a kit control owned by the
// form, names it, places it in its parent and sets the properties every control of its shape
// needs. PLACE(member, ...) names the control after the member it is stored in, so each
// control's name is written once where it is declared and once where it is placed.
#pragma once

#include "vcl/Kit.h"

#include <QString>
#include <initializer_list>

namespace build {

template <class T>
T* Make(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name, int left, int top,
        int width, int height)
{
    T* c = new T(owner);
    c->SetName(QString::fromLatin1(name));
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    return c;
}

// A fixed-size label (no auto size), so that a caption change never shifts its neighbours.
inline vcl::TLabel* Label(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name,
                          const QString& caption, int left, int top, int width, int height = 17)
{
    auto* l = new vcl::TLabel(owner);
    l->SetAutoSize(false);
    l->SetName(QString::fromLatin1(name));
    l->SetParent(parent);
    l->SetBounds(left, top, width, height);
    l->SetCaption(caption);
    return l;
}

inline vcl::TEdit* Edit(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name,
                        const QString& text, int left, int top, int width, int height = 24)
{
    auto* e = Make<vcl::TEdit>(owner, parent, name, left, top, width, height);
    e->SetText(text);
    return e;
}

inline vcl::TButton* Button(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name,
                            const QString& caption, int left, int top, int width, int height = 26)
{
    auto* b = Make<vcl::TButton>(owner, parent, name, left, top, width, height);
    b->SetCaption(caption);
    return b;
}

inline vcl::TRadioButton* Radio(vcl::TComponent* owner, vcl::TWinControl* parent,
                                const char* name, const QString& caption, int left, int top,
                                int width, int height = 20)
{
    auto* r = Make<vcl::TRadioButton>(owner, parent, name, left, top, width, height);
    r->SetCaption(caption);
    return r;
}

inline vcl::TComboBox* Combo(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name,
                             std::initializer_list<const char*> items, vcl::TComboBoxStyle style,
                             int left, int top, int width, int height = 24)
{
    auto* c = Make<vcl::TComboBox>(owner, parent, name, left, top, width, height);
    c->SetStyle(style);
    for (const char* item : items)
        c->Items()->Add(QString::fromUtf8(item));
    return c;
}

// A picture from the program's resources (":/window/<file>"), or an empty surface.
inline vcl::TImage* Image(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name,
                          const char* picture, int left, int top, int width, int height)
{
    auto* i = Make<vcl::TImage>(owner, parent, name, left, top, width, height);
    if (picture)
        i->LoadPicture(QStringLiteral(":/window/") + QString::fromLatin1(picture));
    return i;
}

inline vcl::TPanel* Panel(vcl::TComponent* owner, vcl::TWinControl* parent, const char* name,
                          vcl::TAlign align, int left = 0, int top = 0, int width = 0, int height = 0)
{
    auto* p = Make<vcl::TPanel>(owner, parent, name, left, top, width, height);
    p->SetBevelOuter(vcl::TPanel::bvNone);
    p->SetAlign(align);
    return p;
}

// A component without a place on the window (timers, menus, dialogs, the hidden grid).
template <class T>
T* Component(vcl::TComponent* owner, const char* name)
{
    T* c = new T(owner);
    c->SetName(QString::fromLatin1(name));
    return c;
}

} // namespace build

#define PLACE(member, helper, parent, ...) member = build::helper(this, parent, #member, __VA_ARGS__)
#define PLACE_AS(member, parent, ...) \
    member = build::Make<std::remove_pointer_t<decltype(member)>>(this, parent, #member, __VA_ARGS__)
#define PLACE_COMPONENT(member) member = build::Component<std::remove_pointer_t<decltype(member)>>(this, #member)
