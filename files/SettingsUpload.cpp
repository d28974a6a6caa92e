#include "files/SettingsUpload.h"

#include "files/FileText.h"
#include "link/Modbus.h"
#include "vcl/IniFile.h"
#include "vcl/Services.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace files {

namespace {

constexpr int kReadBackPauseMs = 100;
const QString kOpen = QStringLiteral("\u201C");
const QString kClose = QStringLiteral("\u201D");

struct Setting {
    QString name;
    int reg = 0;
    std::uint16_t value = 0;   // the value, or the descriptor of a bit check
    bool bitCheck = false;
};

bool Matches(const Setting& s, std::uint16_t content)
{
    return s.bitCheck ? TestFlagBit(s.value, content) == 1 : content == s.value;
}

// The register's content after an accepted read; false when the reply was not one.
bool ReadRegister(Modbus& link, int reg, std::uint16_t& content, bool& linkFailed)
{
    linkFailed = link.Request(reg, 1, 3) != 0;
    if (linkFailed)
        return false;
    if (link.ReplyOk != 1 || link.Reply[1] != 3 || link.Reply[2] != 2 || link.ReplyLength != 7)
        return false;
    content = static_cast<std::uint16_t>(link.Reply[3] << 8 | link.Reply[4]);
    return true;
}

// The content a failed bit check leaves: the tested bit set or cleared, the others kept.
std::uint16_t WithTestedBit(std::uint16_t descriptor, std::uint16_t content)
{
    for (int b = 14; b >= 0; --b)
        if (descriptor & (1u << b))
            return static_cast<std::uint16_t>((descriptor & 0x8000u) ? content | (1u << b) : content & ~(1u << b));
    return content;
}

QString FilePathText(const QString& fileName) { return QFileInfo(fileName).absoluteFilePath(); }

} // namespace

int UploadSettingFile(Modbus& link, const int (&found)[FoundIdListSize], const QString& fileName,
                      const SelectEntry& select)
{
    const QString where = FilePathText(fileName);
    std::vector<QString> rows;
    if (!ReadRows(fileName, rows)) {
        vcl::MessageBox(QStringLiteral("Can not open upload excel file at ") + kOpen + where + kClose +
                        QStringLiteral(", nothing was written."));
        return 1;
    }
    // Every row is checked before the first request, so a text that is no number never
    // reaches an inverter as some other value.
    std::vector<Setting> settings;
    for (const QString& row : rows) {
        const QStringList f = SplitDelimited(row);
        if (f.size() < 3)
            continue;
        Setting s;
        s.name = f[0];
        s.reg = StrToIntSafe(f[1]);
        if (s.reg < 1 || s.reg > 65536)
            continue;
        QString text = f[2];
        if (text.startsWith(u'b') || text.startsWith(u'B')) {
            text[0] = u'0';
            s.bitCheck = true;
        }
        int v = 0;
        if (!vcl::TryStrToInt(text, v)) {
            vcl::MessageBox(QStringLiteral("Value of ") + kOpen + s.name + kClose + QStringLiteral(" is not a number (") +
                            kOpen + f[2] + kClose + QStringLiteral(") , Please check upload excel file at ") + kOpen +
                            where + kClose + QStringLiteral(", nothing was written."));
            return 1;
        }
        s.value = static_cast<std::uint16_t>(v);
        settings.push_back(s);
    }

    const int count = std::clamp(found[0], 0, 254);
    for (const Setting& s : settings) {
        for (int k = 1; k <= count; ++k) {
            if (select) {
                select(k);
            } else {
                link.SlaveId = static_cast<std::uint8_t>(found[k]);
                link.SetBaudCode(found[255 + k]);
            }
            const int id = link.SlaveId;
            auto noReply = [&] {
                vcl::MessageBox(QStringLiteral("Error - ID") + QString::number(id) + QStringLiteral(" Read Address(") +
                                QString::number(s.reg) + QStringLiteral("), upload stopped"));
                return 1;
            };
            std::uint16_t content = 0;
            bool linkFailed = false;
            if (!ReadRegister(link, s.reg, content, linkFailed))
                return linkFailed ? 1 : noReply();
            if (Matches(s, content))
                continue;
            const std::uint16_t word = s.bitCheck ? WithTestedBit(s.value, content) : s.value;
            if (link.Request(s.reg, word, 6) != 0)
                return 1;
            vcl::Time().Sleep(kReadBackPauseMs);
            if (!ReadRegister(link, s.reg, content, linkFailed))
                return linkFailed ? 1 : noReply();
            if (!Matches(s, content)) {
                vcl::MessageBox(QStringLiteral("Value of ") + kOpen + s.name + kClose +
                                QStringLiteral(" is illegal , Please check upload excel file at ") + kOpen + where +
                                kClose + QStringLiteral(", follow the setting range to correct the value."));
                return 1;
            }
        }
    }
    vcl::MessageBox(QStringLiteral("Done"));
    return 0;
}

} // namespace files
