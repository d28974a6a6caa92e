#include "app/SettingsPolls.h"

#include "common/Myfunc.h"
#include "groups/Polls.h"
#include "vcl/Kit.h"

namespace settings {

std::vector<Binding> PollRowBindings()
{
    std::vector<Binding> rows;
    for (int d = 0; d < groups::kPollGroups; ++d) {
        for (int r = 1; r <= groups::kPollRows; ++r) {
            const QString suffix = groups::PollSuffix(d, r);
            const QString typeName = QStringLiteral("Combo_PollType") + suffix;
            const QString addrName = QStringLiteral("Edit_PollAddr") + suffix;
            rows.push_back(Binding(QStringLiteral("Edit_PollVal") + suffix)
                               .Tolerant()
                               .Paint(QStringLiteral("Label_PollVal") + suffix)
                               .Adjust([typeName, addrName](const Context& ctx, Post& post) {
                                   if (!ctx.form)
                                       return false;
                                   auto* type = dynamic_cast<vcl::TComboBox*>(ctx.form->FindComponent(typeName));
                                   auto* addr = dynamic_cast<vcl::TControl*>(ctx.form->FindComponent(addrName));
                                   const int fc = FunctionCodeOfIndex(type ? type->ItemIndex() : -1);
                                   post.code = fc == 3 ? kWriteRegister : fc == 1 ? kWriteCoil : 0;
                                   post.address = StrToIntSafe(addr ? addr->Text() : QString());
                                   return post.code == 0 || groups::PollAddressValid(post.address);
                               }));
        }
    }
    return rows;
}

} // namespace settings
