#include "tools/invsim/Stx.h"

namespace invsim {

std::uint16_t Crc16Arc(const std::uint8_t* bytes, std::size_t n)
{
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

bool IsStxRequest(const Bytes& f)
{
    if (f.size() != 9 || f[0] != 0x02 || f[1] != 0x05 || f[3] != 0x02 || f[8] != 0x03)
        return false;
    const std::uint16_t crc = Crc16Arc(f.data() + 1, 5);
    return f[6] == (crc & 0xFF) && f[7] == (crc >> 8);
}

Bytes StxAnswer(int id, const TalveraState& s, const Bytes& request)
{
    if (!s.answers || !IsStxRequest(request) || request[2] != id)
        return {};
    const int command = request[4], sub = request[5];
    Bytes data;
    auto text = [&data](const std::string& t) { data.insert(data.end(), t.begin(), t.end()); };
    if (command == 0x00) {
        switch (sub) {
        case 0x00:
            data = {0x00, 0x01};   // the type text follows two bytes of its own
            text(s.type);
            break;
        case 0x01:
            text(s.serial);
            break;
        case 0x09:
            text(s.sap);
            break;
        case 0x20:
            data = {0x00, static_cast<std::uint8_t>(s.month), static_cast<std::uint8_t>(s.day),
                    static_cast<std::uint8_t>(s.year)};
            break;
        case 0x21:
            data = {static_cast<std::uint8_t>(s.hour), static_cast<std::uint8_t>(s.minute),
                    static_cast<std::uint8_t>(s.second)};
            break;
        default:
            return {};
        }
    } else if (command == 0x10) {
        const auto it = s.values.find(sub);
        if (it == s.values.end())
            return {};
        if (it->second >= 0)
            data = {static_cast<std::uint8_t>(it->second >> 8), static_cast<std::uint8_t>(it->second & 0xFF)};
    } else {
        return {};
    }
    Bytes r{0x02, 0x06, static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(data.size() + 2),
            static_cast<std::uint8_t>(command), static_cast<std::uint8_t>(sub)};
    r.insert(r.end(), data.begin(), data.end());
    const std::uint16_t crc = Crc16Arc(r.data() + 1, r.size() - 1);
    r.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    r.push_back(static_cast<std::uint8_t>(crc >> 8));
    r.push_back(0x03);
    return r;
}

void LoadDemoTalvera(TalveraState& s)
{
    s.answers = true;
    // DC 1 and 2: volts, 0.1 A, watts, insulation kOhm; AC: volts, 0.1 A, watts, 0.01 Hz.
    s.values = {{2, 365}, {1, 118}, {3, 4307}, {0x0C, 2200}, {5, 352}, {4, 112}, {6, 3942}, {0x0D, 2150},
                {7, 231}, {8, 348}, {9, 7990}, {0x0A, 5001}};
}

} // namespace invsim
