#include "groups/PanelRows.h"

#include <QWidget>

#include <algorithm>

namespace groups::rows {

int AddRows(vcl::TComponent& form, vcl::TWinControl* parent, const std::vector<Row>& rows, int top, int width,
            int valueLeft)
{
    static int captionSerial = 0;
    for (const Row& r : rows) {
        CaptionLabel(&form, parent, QStringLiteral("Label_Row%1").arg(++captionSerial), QString::fromUtf8(r.caption), 8, top + 3, valueLeft - 8);
        switch (r.kind) {
        case RowKind::Value:
            ValueLabel(&form, parent, QLatin1String(r.label), valueLeft, top + 3, width - valueLeft - 8);
            break;
        case RowKind::ValueEdit: {
            ValueLabel(&form, parent, QLatin1String(r.label), valueLeft, top + 3, 90);
            auto* e = new vcl::TEdit(&form);
            e->SetName(QLatin1String(r.control));
            e->SetParent(parent);
            e->SetBounds(width - 72, top, 64, 21);
            break;
        }
        case RowKind::ValueCombo: {
            ValueLabel(&form, parent, QLatin1String(r.label), valueLeft, top + 3, width - valueLeft - 118);
            auto* c = new vcl::TComboBox(&form);
            c->SetName(QLatin1String(r.control));
            c->SetParent(parent);
            c->SetBounds(width - 112, top, 104, 24);
            c->SetStyle(vcl::csDropDownList);
            for (const char* item : r.items)
                c->Items()->Add(QString::fromUtf8(item));
            break;
        }
        case RowKind::Radios:
        case RowKind::Checks:
        case RowKind::Buttons: {
            // Radios of a row sit in their own container: they are partners of each other only.
            auto* holder = new vcl::TPanel(&form);
            holder->SetName(QStringLiteral("Panel_") + QLatin1String(r.control));
            holder->SetParent(parent);
            holder->SetBevelOuter(vcl::TPanel::bvNone);
            const int n = static_cast<int>(r.items.size());
            std::vector<vcl::TControl*> made;
            int widest = 0;
            for (int k = 0; k < n; ++k) {
                const QStringList parts = QString::fromUtf8(r.items[static_cast<std::size_t>(k)]).split('|');
                vcl::TControl* c = nullptr;
                if (r.kind == RowKind::Radios)
                    c = new vcl::TRadioButton(&form);
                else if (r.kind == RowKind::Checks)
                    c = new vcl::TCheckBox(&form);
                else
                    c = new vcl::TButton(&form);
                c->SetName(parts[0]);
                c->SetParent(holder);
                c->SetCaption(parts.value(1));
                made.push_back(c);
                if (r.kind != RowKind::Buttons)
                    widest = std::max(widest, c->Handle()->sizeHint().width());
            }
            // As many side by side as their captions leave room for; the rest on further lines.
            const int room = width - valueLeft - 6;
            int columns = n > 0 ? n : 1;
            while (columns > 1 && room / columns - 1 < widest)
                --columns;
            const int step = room / columns;
            const int lines = (n + columns - 1) / columns;
            holder->SetBounds(valueLeft - 4, top - 1, width - valueLeft - 2, 24 * std::max(lines, 1));
            for (int k = 0; k < n; ++k)
                made[static_cast<std::size_t>(k)]->SetBounds(2 + (k % columns) * step, 1 + 24 * (k / columns), step - 1, 22);
            top += 24 * std::max(lines - 1, 0);
            break;
        }
        }
        top += r.kind == RowKind::Radios || r.kind == RowKind::Checks || r.kind == RowKind::Buttons || r.kind == RowKind::ValueCombo ? kRowPitch + 4
                                                                                                        : kRowPitch;
    }
    return top;
}

} // namespace groups::rows
