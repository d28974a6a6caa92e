#include "app/SettingBinding.h"

#include "common/Myfunc.h"
#include "link/Modbus.h"
#include "vcl/IniFile.h"
#include "vcl/Kit.h"

#include <algorithm>
#include <cmath>

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

const QString kPowerUnitUnknown = QStringLiteral("Max. Power not written: the inverter's scale factors are not read yet");

ConvertError::ConvertError(const QString& text)
    : std::runtime_error(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString())
{
}

bool IsEntry(const Binding& b)
{
    return b.conv == Conv::Decimal || b.conv == Conv::TolerantInt || b.conv == Conv::StrictInt ||
           b.conv == Conv::ComboText;
}

namespace {

int EntryScale(const Binding& b, const Context& ctx)
{
    if (b.conv != Conv::Decimal)
        return 1;
    if (TwoResolutions(b))
        return FineStep(ctx) ? 1000 : 100;
    return b.scale;
}

// Text as a whole number; false for anything else (empty, letters, a fraction, beyond 32 bits).
bool WholeNumber(const QString& text, long long& v)
{
    int i = 0;
    if (!vcl::TryStrToInt(text, i))
        return false;
    v = i;
    return true;
}

} // namespace

EntryRange RangeOf(const Binding& b, const Context& ctx)
{
    EntryRange r;
    r.scale = EntryScale(b, ctx);
    r.whole = b.conv == Conv::TolerantInt || b.conv == Conv::StrictInt || b.conv == Conv::ComboText;
    const bool isSigned = b.signedWord || !b.signChooser.isEmpty();
    r.min = isSigned ? -32768 : 0;
    r.max = isSigned ? 32767 : 65535;
    if (b.perPowerUnit) {
        // The register's range in the inverter's unit, typed in watts.
        const int unit = ctx.powerUnit ? std::max(ctx.powerUnit(), 1) : 1;
        r.min *= unit;
        r.max *= unit;
    }
    const Limit& lim = b.limit;
    if (lim.kind == LimitKind::Clamp || lim.kind == LimitKind::Refuse || lim.kind == LimitKind::RefuseWithMessage) {
        // The row's own bound replaces the register's end. A bound of a setting kept in two
        // resolutions is stated in hundredths.
        const long long step = TwoResolutions(b) ? r.scale / 100 : 1;
        if (lim.min != INT_MIN)
            r.min = static_cast<long long>(lim.min) * step;
        if (lim.max != INT_MAX)
            r.max = static_cast<long long>(lim.max) * step;
    }
    if (lim.kind == LimitKind::Clamp) {
        r.clampLow = lim.clampLow;
        r.clampHigh = lim.clampHigh;
    }
    r.message = lim.kind == LimitKind::RefuseWithMessage && !lim.message.isEmpty() ? lim.message : RangeMessage(r);
    return r;
}

QString RangeMessage(const EntryRange& r)
{
    // Exact decimals of the register's step, without trailing zeros: 0, 655.35, -3276.8.
    const auto shown = [&r](long long v) {
        const int decimals = r.scale >= 1000 ? 3 : r.scale >= 100 ? 2 : r.scale >= 10 ? 1 : 0;
        QString t = QString::number(static_cast<double>(v) / r.scale, 'f', decimals);
        if (decimals > 0) {
            while (t.endsWith(u'0'))
                t.chop(1);
            if (t.endsWith(u'.'))
                t.chop(1);
        }
        return t;
    };
    if (r.whole)
        return QStringLiteral("Please input a whole number %1~%2").arg(shown(r.min), shown(r.max));
    return QStringLiteral("Please input %1~%2").arg(shown(r.min), shown(r.max));
}

std::optional<int> CheckedEntry(const Binding& b, const Context& ctx)
{
    const EntryRange r = RangeOf(b, ctx);
    const QString text = SourceText(b, ctx);
    long double v = 0;
    bool number = false;
    if (b.conv == Conv::Decimal) {
        long double typed = 0;
        number = vcl::TryStrToFloat(text, typed) && std::isfinite(typed);
        // The safe conversion moves the number away from zero before scaling, so that 0.95 x 100
        // gives 95, not 94; the value is compared before any cut to an integer.
        if (number)
            v = std::trunc(StrToFloatSafe(text) * r.scale);
    } else {
        long long whole = 0;
        number = WholeNumber(text, whole);
        if (!number && b.conv == Conv::StrictInt)
            throw ConvertError(text);
        v = static_cast<long double>(whole);
    }
    if (number && v < r.min && r.clampLow)
        v = static_cast<long double>(r.min);
    if (number && v > r.max && r.clampHigh)
        v = static_cast<long double>(r.max);
    if (!number || v < r.min || v > r.max) {
        vcl::MessageBox(r.message);
        return std::nullopt;
    }
    return static_cast<int>(v);
}

namespace {

// The value of a control that is not typed: an item's index or code, a constant.
int Convert(const Binding& b, const Context& ctx)
{
    switch (b.conv) {
    case Conv::Decimal:
    case Conv::TolerantInt:
    case Conv::ComboText: {
        long double v = 0;
        if (b.conv == Conv::Decimal) {
            v = StrToFloatSafe(SourceText(b, ctx)) * EntryScale(b, ctx);
        } else {
            long long whole = 0;
            v = WholeNumber(SourceText(b, ctx), whole) ? whole : 0;
        }
        return TruncToInt(v);
    }
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
    case Conv::Constant:
        return b.constant;
    case Conv::None:
        return 0;
    }
    return 0;
}

} // namespace

Outcome Apply(const Binding& b, const Context& ctx)
{
    // A command that runs reads its code, address and values from the mailbox up to its last
    // request: a post made inside its waits would change the command or be cleared with it.
    if (ctx.refusedWhileBusy && ctx.refusedWhileBusy())
        return Outcome::Refused;
    if (ctx.switchRefused && dynamic_cast<vcl::TButtonControl*>(Find(ctx, b.control)) && ctx.switchRefused())
        return Outcome::Refused;
    // Watts without the inverter's unit have no register value.
    if (b.perPowerUnit && ctx.powerUnit && ctx.powerUnit() <= 0) {
        vcl::MessageBox(kPowerUnitUnknown);
        return Outcome::Refused;
    }
    int value = 0;
    if (IsEntry(b) && b.limit.kind != LimitKind::TextLongerThan) {
        // The one check of every typed entry: a strict entry that is no integer throws before
        // the mailbox is touched; other refusals show the range.
        const std::optional<int> checked = CheckedEntry(b, ctx);
        if (!checked)
            return Outcome::Refused;
        value = *checked;
    } else {
        value = Convert(b, ctx);
    }

    // A combo box whose table of codes has no entry for the choice (no item chosen) posts nothing.
    if (b.conv == Conv::ComboIndex && !b.codes.empty()) {
        const int index = SourceIndex(b, ctx);
        if (index < 0 || index >= static_cast<int>(b.codes.size()))
            return Outcome::Refused;
    }

    if (b.limit.kind == LimitKind::TextLongerThan && SourceText(b, ctx).size() <= b.limit.length)
        return Outcome::Refused;

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
    // The handler keeps its own copy of the row and the context. A switch that posted nothing
    // must not show a state the inverter was never sent.
    auto* box = dynamic_cast<vcl::TButtonControl*>(c);
    // A pick refused shows the item the box had; a box that never posts keeps its pick.
    auto* combo = b.conv == Conv::None ? nullptr : dynamic_cast<vcl::TComboBox*>(c);
    auto apply = [b, ctx, box, combo] {
        Outcome outcome = Outcome::Refused;
        try {
            outcome = Apply(b, ctx);
        } catch (...) {
            if (box)
                box->RefuseClick();
            if (combo)
                combo->RefusePick();
            throw;
        }
        if (box && outcome == Outcome::Refused)
            box->RefuseClick();
        if (combo && outcome == Outcome::Refused)
            combo->RefusePick();
    };
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
