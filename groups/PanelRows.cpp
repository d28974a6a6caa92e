#include "groups/PanelRows.h"

namespace groups::rows {

int AddRows(vcl::TComponent& form, vcl::TWinControl* parent, const std::vector<Row>& rows, int top, int width)
{
    static int captionSerial = 0;
    const int valueLeft = 120;
    for (const Row& r : rows) {
        CaptionLabel(&form, parent, QStringLiteral("Label_Row%1").arg(++captionSerial), QString::fromUtf8(r.caption), 8, top + 3, valueLeft - 10);
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
            holder->SetBounds(valueLeft - 4, top - 1, width - valueLeft - 2, 24);
            const int n = static_cast<int>(r.items.size());
            const int step = (width - valueLeft - 6) / (n > 0 ? n : 1);
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
                c->SetBounds(2 + k * step, 1, step - 4, 22);
                c->SetCaption(parts.value(1));
            }
            break;
        }
        }
        top += r.kind == RowKind::Radios || r.kind == RowKind::Checks || r.kind == RowKind::Buttons || r.kind == RowKind::ValueCombo ? kRowPitch + 4
                                                                                                        : kRowPitch;
    }
    return top;
}

} // namespace groups::rows
