// Builders for the settings controls inside a group panel: edits, buttons, combo boxes, check
// boxes and ON/OFF radio pairs. Each control is owned by the form, named, and placed in its
// parent; captions follow the interface language (Tag 1) where a caption is shown.
#pragma once

#include "vcl/StdCtrls.h"

#include <QString>
#include <initializer_list>

namespace groups {

// Height of an edit, combo box or button in a panel row; rows with one use this pitch.
constexpr int kControlHeight = 22;
constexpr int kControlPitch = 26;

vcl::TEdit* PanelEdit(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                      int left, int top, int width = 70);
vcl::TButton* PanelButton(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                          const QString& caption, int left, int top, int width);
// A drop-down list (items only, no edit).
vcl::TComboBox* PanelCombo(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                           std::initializer_list<const char*> items, int left, int top, int width);
vcl::TCheckBox* PanelCheck(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                           const QString& caption, int left, int top, int width = 60);

// Two radio buttons in a frameless holder of their own (radio buttons group by parent, so every
// pair needs its own): `on` on the left, `off` beside it.
struct RadioPair {
    vcl::TPanel* Holder = nullptr;
    vcl::TRadioButton* On = nullptr;
    vcl::TRadioButton* Off = nullptr;
};
RadioPair PanelRadioPair(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& holderName,
                         const QString& onName, const QString& onCaption, const QString& offName,
                         const QString& offCaption, int left, int top, int width = 160);

// A frameless holder for a part of a panel that is shown or hidden as one (a sub-panel).
vcl::TPanel* PanelPart(vcl::TComponent* owner, vcl::TWinControl* parent, const QString& name,
                       int left, int top, int width, int height);

// Checks `on` when the condition holds, else `off` (the reader's way of showing a switch).
void ShowSwitch(const RadioPair& pair, bool on);
void ShowSwitch(vcl::TRadioButton* on, vcl::TRadioButton* off, bool isOn);

// A control of the form by name and kind, or nullptr.
template <class T>
T* FindAs(const vcl::TComponent& form, const QString& name)
{
    return dynamic_cast<T*>(form.FindComponent(name));
}

// A label's text and colour at once (when the label exists).
void SetValue(vcl::TLabel* label, const QString& text, vcl::TColor colour = vcl::clBlue);

} // namespace groups
