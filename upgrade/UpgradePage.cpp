#include "upgrade/UpgradePage.h"

#include "vcl/Services.h"
#include "vcl/StdCtrls.h"

UpgradePage::UpgradePage(upgradeTool& tool, UpgradeView& view) : tool_(tool), view_(view)
{
    tool_.View = &view_;
}

bool UpgradePage::IsBinName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = name.mid(dot);
    return ext == QLatin1String(".BIN") || ext == QLatin1String(".bin");
}

bool UpgradePage::AcceptsDroppedName(const QString& name)
{
    return name.size() >= 3 && name.right(3).compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0;
}

void UpgradePage::Btn_LoadHEXClick()
{
    if (busy_)
        return;
    // File names are case-sensitive here: images named in upper case are offered too.
    vcl::TOpenDialog dialog(nullptr);
    dialog.SetFilter(QStringLiteral("*.hex;*.bin|*.hex;*.bin;*.HEX;*.BIN"));
    if (!dialog.Execute()) {
        view_.SetStartEnabled(false);
        return;
    }
    const QString path = dialog.FileName();
    view_.SetHexPath(path);
    busy_ = true;
    if (RescanIds)
        RescanIds();
    busy_ = false;
    LoadUpgradeFile();
}

bool UpgradePage::DropFiles(const QStringList& names)
{
    if (busy_ || names.isEmpty() || !AcceptsDroppedName(names.first()))
        return false;
    view_.SetHexPath(names.first());
    LoadUpgradeFile();
    return true;
}

int UpgradePage::LoadUpgradeFile()
{
    if (busy_)
        return 0;
    busy_ = true;
    Load();
    busy_ = false;
    return 0;
}

int UpgradePage::Load()
{
    if (!LinkOpen || !LinkOpen()) {
        vcl::MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return 0;
    }
    const bool bin = IsBinName(view_.HexPath());
    const int link = LinkType ? LinkType() : 0;
    // The file is read before anything is cleared: a HEX file that may be cut short is loaded only
    // when the user says so, and until then the image loaded before stays as it was.
    QByteArray bytes;
    bool read = false;
    if (bin || link != LinkRadio) {
        read = tool_.ReadImageFile(!bin, bytes);
        if (read && !bin && !tool_.AcceptHexText(bytes)) {
            view_.SetHexPath(shownPath_);
            return 0;
        }
    }
    shownPath_ = view_.HexPath();

    // The grid is about to be emptied: nothing may be started until this load succeeds.
    view_.SetStartEnabled(false);
    imageIsBin_ = false;
    tool_.ClearHexInfo();
    // What the last run showed of its progress is not this image's.
    view_.SetProgress(0);
    view_.SetStatusPanel(8, QString());
    view_.SetStatusPanel(9, QString());
    vcl::ProcessMessages();

    if (bin) {
        if (!read || tool_.LoadBinBytes(bytes) != 0) {
            view_.SetStartEnabled(false);
            vcl::MessageBox(QStringLiteral("Error - Load BIN File"));
            return 0;
        }
        imageIsBin_ = true;
        view_.SetStartEnabled(true);
        return 0;
    }

    if (link == LinkRadio) {
        // The radio link programs nothing from the image; the start only reads the delay.
        imageIsBin_ = false;
        view_.SetStartEnabled(true);
        return 0;
    }
    if (link == LinkRs485 && BeforeHexLoad)
        BeforeHexLoad();
    if (!read || tool_.LoadHexText(bytes) != 0) {
        view_.SetStartEnabled(false);
        vcl::MessageBox(QStringLiteral("Error - Load Hex File"));
        return 0;
    }
    vcl::ProcessMessages();
    if (link == LinkRs485 && AfterHexLoad)
        AfterHexLoad();
    imageIsBin_ = false;
    view_.SetStartEnabled(true);
    return 0;
}
