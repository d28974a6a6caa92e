// Helpers of the firmware tests: HEX records written by hand, a window stand-in that records
// what the loaders show, and a dialog service that records message boxes.
#pragma once

#include "support/QtApp.h"
#include "upgrade/Upgrade.h"
#include "vcl/Services.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '{' << l.join(" | ").toStdString() << '}'; }

namespace fwtest {

// 4 upper-case hexadecimal digits.
inline QString Hex4(int v) { return QStringLiteral("%1").arg(v & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper(); }

// One Intel-HEX record line with its checksum.
inline QByteArray Record(int type, std::uint16_t field, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> b{static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(field >> 8),
                                static_cast<std::uint8_t>(field & 0xFF), static_cast<std::uint8_t>(type)};
    b.insert(b.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (auto x : b)
        sum += x;
    b.push_back(static_cast<std::uint8_t>((256 - sum % 256) % 256));
    QByteArray line = ":";
    for (auto x : b)
        line += QByteArray::number(x, 16).rightJustified(2, '0').toUpper();
    return line;
}

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> v)
{
    std::vector<std::uint8_t> out;
    for (int x : v)
        out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

// The 27 meta bytes.
struct Meta {
    int versionMajor = 2, versionMinor = 3;
    std::uint32_t productId = 10;
    int processor = 1, hwMajor = 1, hwMinor = 2, swMajor = 3, swMinor = 4;
    int baud = 19200;
    std::uint32_t start = 0, stop = 0;
    int erase = 128, block = 0, delay = 100, fill = 0xFF, checksum = 0xBEEF;

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> m{static_cast<std::uint8_t>(versionMinor), static_cast<std::uint8_t>(versionMajor)};
        for (int i = 0; i < 4; ++i)
            m.push_back(static_cast<std::uint8_t>(productId >> (8 * i)));
        for (int x : {processor, hwMinor, hwMajor, swMinor, swMajor, baud & 0xFF, baud >> 8})
            m.push_back(static_cast<std::uint8_t>(x));
        for (std::uint32_t v : {start, stop})
            for (int i = 0; i < 4; ++i)
                m.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        for (int x : {erase, block, delay, fill, checksum & 0xFF, checksum >> 8})
            m.push_back(static_cast<std::uint8_t>(x));
        return m;
    }
    // Start marker, the meta bytes and the end marker, as they stand in a HEX image.
    std::vector<std::uint8_t> framed() const
    {
        std::vector<std::uint8_t> out(BootKey1.begin(), BootKey1.end());
        auto m = bytes();
        out.insert(out.end(), m.begin(), m.end());
        out.insert(out.end(), BootKey2.begin(), BootKey2.end());
        return out;
    }
};

// A byte-addressed HEX text: the image bytes from address base in records of recordSize.
inline QByteArray HexText(std::uint32_t base, const std::vector<std::uint8_t>& image, int recordSize = 16)
{
    QByteArray text;
    std::uint32_t upper = 0xFFFFFFFF;
    for (std::size_t off = 0; off < image.size(); off += static_cast<std::size_t>(recordSize)) {
        const std::uint32_t a = base + static_cast<std::uint32_t>(off);
        if ((a >> 16) != upper) {
            upper = a >> 16;
            text += Record(4, 0, Bytes({static_cast<int>(upper >> 8), static_cast<int>(upper & 0xFF)})) + "\n";
        }
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(recordSize), image.size() - off);
        text += Record(0, static_cast<std::uint16_t>(a & 0xFFFF),
                       std::vector<std::uint8_t>(image.begin() + static_cast<std::ptrdiff_t>(off),
                                                 image.begin() + static_cast<std::ptrdiff_t>(off + n)))
            + "\n";
    }
    text += ":00000001FF\n";
    return text;
}

// Records made directly: one per (address, bytes).
inline HexRecordList Records(const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& list)
{
    HexRecordList out;
    for (const auto& [a, d] : list) {
        HexStruct r;
        r.Address = a;
        r.Length = static_cast<std::int32_t>(d.size());
        std::copy(d.begin(), d.end(), r.Data.begin());
        out.push_back(r);
    }
    return out;
}

// A log pane that writes into a list; red lines are also kept apart.
class ListPane : public LogPane {
public:
    explicit ListPane(QStringList& lines) : lines_(lines) {}
    int LineCount() const override { return static_cast<int>(lines_.size()); }
    void Clear() override { lines_.clear(); }
    void AddLine(const QString& text, LogColour colour) override
    {
        lines_ << text;
        if (colour == LogColour::Red)
            red << text;
    }
    void ScrollToEnd() override {}
    QStringList red;

private:
    QStringList& lines_;
};

// The window as the loaders and the runs see it, in memory.
class TestView : public UpgradeView {
public:
    QString path;
    MemoryGrid grid;
    QMap<QString, QString> texts;
    QStringList upgradeLog, eventLog;
    ListPane upgradePane{upgradeLog}, eventPane{eventLog};
    bool start = false;
    int progress = 0;
    QMap<int, QString> status;

    QString HexPath() const override { return path; }
    void SetHexPath(const QString& p) override { path = p; }
    CellGrid& HexGrid() override { return grid; }
    void SetMetaText(const QString& control, const QString& text) override { texts[control] = text; }
    void UpgradeLog(const QString& line) override { upgradeLog << line; }
    void EventLog(const QString& line) override { eventLog << line; }
    void SetStartEnabled(bool enabled) override { start = enabled; }
    bool StartEnabled() const override { return start; }
    LogPane& UpgradePane() override { return upgradePane; }
    LogPane& EventPane() override { return eventPane; }
    void SetProgress(int percent) override { progress = percent; }
    void SetStatusPanel(int index, const QString& text) override
    {
        status[index] = text;
        if (onStatus)
            onStatus(index);
    }
    std::function<void(int)> onStatus;
    void Pump() override { vcl::ProcessMessages(); }
};

// Message boxes recorded, open dialogs answered from a script.
class RecordingDialogs : public vcl::DialogService {
public:
    QStringList messages;
    QStringList openAnswers;
    QStringList openFilters;
    // Answers of yes/no boxes in turn (IDYES or IDNO); No when none is queued.
    QList<int> yesNo;
    RecordingDialogs() { vcl::SetDialogService(this); }
    ~RecordingDialogs() override { vcl::SetDialogService(nullptr); }
    int MessageBox(const QString& text, const QString&, int flags) override
    {
        messages << text;
        if ((flags & 0x0F) == vcl::MB_YESNO)
            return yesNo.isEmpty() ? vcl::IDNO : yesNo.takeFirst();
        return vcl::IDOK;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return QStringLiteral("Cancel"); }
    QString OpenFile(const QString&, const QString& filter, const QString&) override
    {
        openFilters << filter;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
};

inline QString DataFile(const char* name)
{
    return QStringLiteral(SUNVANE_TEST_DATA "/") + QLatin1String(name);
}

} // namespace fwtest
