// A group panel's inner controls as a list of rows: a caption on the left, then a value label,
// a value label with an edit or a combo on the right, or a row of radio buttons, check boxes or
// buttons (each row's radios in a container of their own, so that they are partners only of
// each other).
#pragma once

#include "groups/ReaderFrame.h"

#include <vector>

namespace groups::rows {

enum class RowKind { Value, ValueEdit, ValueCombo, Radios, Checks, Buttons };

struct Row {
    RowKind kind;
    const char* caption;              // the row's caption
    const char* label = nullptr;      // the value label
    const char* control = nullptr;    // edit or combo
    std::vector<const char*> items{}; // combo items; radio or button "Name|Caption" pairs
};

// Lays out rows from `top` down inside a parent `width` wide, the values from `valueLeft` on;
// returns the top below the last. A row of radios, check boxes or buttons whose captions do not
// fit side by side goes on over further lines.
int AddRows(vcl::TComponent& form, vcl::TWinControl* parent, const std::vector<Row>& rows, int top, int width,
            int valueLeft = 120);

// A label of the form by name (readers of the protection panels look their labels up).
inline vcl::TLabel* L(const vcl::TComponent& form, const char* name) { return FindLabel(form, QLatin1String(name)); }

// Paints a value label blue: read back from the inverter.
inline void Blue(vcl::TLabel* l)
{
    if (l)
        l->Font()->SetColor(vcl::clBlue);
}

// Checks a radio button of the form by name (which unchecks its partners).
inline void Check(const vcl::TComponent& form, const char* name)
{
    if (auto* r = dynamic_cast<vcl::TRadioButton*>(form.FindComponent(QLatin1String(name))))
        r->SetChecked(true);
}

} // namespace groups::rows
