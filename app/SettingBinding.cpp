#include "app/SettingBinding.h"

#include "common/Myfunc.h"
#include "link/Modbus.h"
#include "vcl/IniFile.h"
#include "vcl/Kit.h"

#include <algorithm>

namespace settings {

namespace {

vcl::TComponent* Find(const Context& ctx, const QString& name)
{
    return ctx.form ? ctx.form->FindComponent(name) : nullptr;
}

QString SourceText(const Binding& b, const Context& ctx)
{
    auto* c = dynamic_cast<vcl::TControl*>(Find(ctx, b.source.isEmpty() ? b.control : b.source));
    return c ? c->Text() : QString();
}

int SourceIndex(const Binding& b, const Context& ctx)
{
    vcl::TComponent* c = Find(ctx, b.source.isEmpty() ? b.control : b.source);
    if (auto* combo = dynamic_cast<vcl::TComboBox*>(c))
        return combo->ItemIndex();
    if (auto* list = dynamic_cast<vcl::TListBox*>(c))
        return list->ItemIndex();
    return -1;
}

// The cos φ step rule: hundredths into the first register, or thousandths into the second.
bool TwoResolutions(const Binding& b) { return b.address2 != 0; }
bool FineStep(const Context& ctx) { return ctx.cosPhiStep && *ctx.cosPhiStep == 1; }

int Negated(int v) { return static_cast<int>(0u - static_cast<unsigned>(v)); }

} // namespace

ConvertError::ConvertError(const QString& text)
    : std::runtime_error(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString())
{
}

int Convert(const Binding& b, const Context& ctx)
{
    switch (b.conv) {
    case Conv::Decimal: {
        int scale = b.scale;
        if (TwoResolutions(b))
            scale = FineStep(ctx) ? 1000 : 100;
        return TruncToInt(StrToFloatSafe(SourceText(b, ctx)) * scale);
    }
    case Conv::TolerantInt:
        return StrToIntSafe(SourceText(b, ctx));
    case Conv::StrictInt: {
        const QString text = SourceText(b, ctx);
        int v = 0;
        if (!vcl::TryStrToInt(text, v))
            throw ConvertError(text);
        return v;
    }
    case Conv::ComboIndex: {
        const int index = SourceIndex(b, ctx);
        if (!b.codes.empty())
            return index >= 0 && index < static_cast<int>(b.codes.size()) ? b.codes[static_cast<size_t>(index)] : 0;
        return index * b.factor + b.offset;
    }
    case Conv::ComboText:
        return StrToIntSafe(SourceText(b, ctx));
    case Conv::Constant:
        return b.constant;
    case Conv::None:
        return 0;
    }
    return 0;
}

Outcome Apply(const Binding& b, const Context& ctx)
{
    // The conversion comes first: a strict entry that is no integer leaves the mailbox untouched.
    int value = Convert(b, ctx);

    // A combo box whose table of codes has no entry for the choice (no item chosen) posts nothing.
    if (b.conv == Conv::ComboIndex && !b.codes.empty()) {
        const int index = SourceIndex(b, ctx);
        if (index < 0 || index >= static_cast<int>(b.codes.size()))
            return Outcome::Refused;
    }

    const Limit& lim = b.limit;
    const int compared = lim.onWord ? static_cast<std::int16_t>(static_cast<std::uint16_t>(value)) : value;
    switch (lim.kind) {
    case LimitKind::None:
        break;
    case LimitKind::Clamp:
        if (lim.onWord) {
            if (compared < lim.min || compared > lim.max)
                value = std::clamp(compared, lim.min, lim.max);
        } else {
            value = std::clamp(value, lim.min, lim.max);
        }
        break;
    case LimitKind::Refuse:
        if (compared < lim.min || compared > lim.max)
            return Outcome::Refused;
        break;
    case LimitKind::RefuseWithMessage:
        if (compared < lim.min || compared > lim.max) {
            vcl::MessageBox(lim.message);
            return Outcome::Refused;
        }
        break;
    case LimitKind::TextLongerThan:
        if (SourceText(b, ctx).size() <= lim.length)
            return Outcome::Refused;
        break;
    }

    // The Ind/Cap sign rule: the one-row chooser's top row (0 "Ind", 1 "Cap") against the
    // mode's sign convention.
    if (!b.signChooser.isEmpty()) {
        auto* chooser = dynamic_cast<vcl::TListBox*>(Find(ctx, b.signChooser));
        const int top = chooser ? chooser->TopIndex() : 0;
        const int sign = ctx.reactiveSign ? *ctx.reactiveSign : 0;
        if ((top == 1 && sign == 0) || (top == 0 && sign == 1))
            value = Negated(value);
    }

    Post post{b.code, b.address, value};
    if (TwoResolutions(b) && FineStep(ctx))
        post.address = b.address2;
    if (b.adjust && !b.adjust(ctx, post))
        return Outcome::Refused;

    if (ctx.link) {
        Modbus& link = *ctx.link;
        link.CommandCode = post.code;
        if (post.address != 0)
            link.CommandAddress = post.address;
        if (b.conv != Conv::None)
            link.CommandValue = static_cast<std::int16_t>(static_cast<std::uint16_t>(post.value));
    }
    if (!b.valueLabel.isEmpty())
        if (auto* label = dynamic_cast<vcl::TLabel*>(Find(ctx, b.valueLabel)))
            label->Font()->SetColor(vcl::clRed);
    return Outcome::Posted;
}

bool Bind(const Binding& b, const Context& ctx)
{
    vcl::TComponent* c = Find(ctx, b.control);
    if (!c)
        return false;
    Event event = b.event;
    if (event == Event::Auto) {
        if (dynamic_cast<vcl::TEdit*>(c))
            event = Event::KeyDownEnter;
        else if (dynamic_cast<vcl::TComboBox*>(c))
            event = Event::Change;
        else if (dynamic_cast<vcl::TRadioButton*>(c) || dynamic_cast<vcl::TCheckBox*>(c))
            event = Event::MouseDown;
        else if (dynamic_cast<vcl::TControl*>(c))
            event = Event::Click;
        else
            return false;
    }
    // The handler keeps its own copy of the row and the context.
    auto apply = [b, ctx] { Apply(b, ctx); };
    switch (event) {
    case Event::KeyDownEnter: {
        auto* win = dynamic_cast<vcl::TWinControl*>(c);
        if (!win)
            return false;
        win->OnKeyDown = [apply](vcl::TObject*, vcl::WORD& key, vcl::TShiftState) {
            if (key == vcl::VK_RETURN)
                apply();
        };
        return true;
    }
    case Event::Change:
        if (auto* combo = dynamic_cast<vcl::TComboBox*>(c)) {
            combo->OnChange = [apply](vcl::TObject*) { apply(); };
            return true;
        }
        return false;
    case Event::MouseDown:
        if (auto* control = dynamic_cast<vcl::TControl*>(c)) {
            control->OnMouseDown = [apply](vcl::TObject*, vcl::TMouseButton, vcl::TShiftState, int, int) { apply(); };
            return true;
        }
        return false;
    case Event::Click:
        if (auto* control = dynamic_cast<vcl::TControl*>(c)) {
            control->OnClick = [apply](vcl::TObject*) { apply(); };
            return true;
        }
        return false;
    case Event::Auto:
        break;
    }
    return false;
}

int BindTable(std::span<const Binding> table, const Context& ctx)
{
    int bound = 0;
    for (const Binding& b : table)
        bound += Bind(b, ctx) ? 1 : 0;
    return bound;
}

} // namespace settings
