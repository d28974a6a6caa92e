// What a command that walks the inverters found tells the user at its end: which inverters took
// it and which did not answer. One shape for every such command:
//   "Sync Clock: no answer from ID 2; taken by ID 1, 3"
#pragma once

#include "link/Modbus.h"

#include <QString>
#include <QStringList>
#include <vector>

class WalkReport {
public:
    void Took(int id) { took_.push_back(id); }
    void Missed(int id) { missed_.push_back(id); }
    void Add(int id, bool taken) { taken ? Took(id) : Missed(id); }
    bool AnyMissed() const { return !missed_.empty(); }

    // The message of a walk that missed an inverter, the command named first.
    QString Message(const QString& command) const
    {
        QString text = command + QStringLiteral(": no answer from ID ") + Ids(missed_);
        text += took_.empty() ? QStringLiteral("; no inverter took it") : QStringLiteral("; taken by ID ") + Ids(took_);
        return text;
    }

private:
    static QString Ids(const std::vector<int>& ids)
    {
        QStringList list;
        for (int id : ids)
            list << QString::number(id);
        return list.join(QStringLiteral(", "));
    }

    std::vector<int> took_;
    std::vector<int> missed_;
};

// Whether the inverter took a single coil or register write: its reply echoes the function
// code, the register and the value.
inline bool WriteTaken(const Modbus& link, int reg, int value, std::uint8_t fc)
{
    return link.ReplyOk == 1 && link.Reply[1] == fc && link.Reply[2] * 256 + link.Reply[3] + 1 == reg &&
           link.Reply[4] * 256 + link.Reply[5] == (value & 0xFFFF);
}
