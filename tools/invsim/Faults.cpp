#include "tools/invsim/Faults.h"

#include <cerrno>
#include <cstdlib>
#include <map>

namespace invsim {

namespace {

bool ParseInt(const std::string& s, int& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(s.c_str(), &end, 0);
    if (errno || *end || n < 0 || n > 1000000)
        return false;
    v = static_cast<int>(n);
    return true;
}

constexpr int kDefaultRefuseMs = 1000;

} // namespace

bool ParseFault(const std::string& textIn, Fault& fault)
{
    std::string text = textIn;
    fault = Fault{};
    // "/N" at the end counts the replies the fault applies to ("crc/3", "delay:50/2").
    const auto slash = text.find('/');
    if (slash != std::string::npos) {
        if (!ParseInt(text.substr(slash + 1), fault.times) || fault.times == 0)
            return false;
        text = text.substr(0, slash);
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    static const std::map<std::string, FaultKind> kinds{
        {"silence", FaultKind::Silence}, {"crc", FaultKind::BadCrc}, {"short", FaultKind::Short},
        {"split", FaultKind::Split}, {"delay", FaultKind::Delay}, {"otherid", FaultKind::OtherId},
        {"flood", FaultKind::Flood}, {"exception", FaultKind::Exception}, {"hangup", FaultKind::Hangup},
        {"late", FaultKind::Late}, {"otherfc", FaultKind::OtherFunction}, {"babble", FaultKind::Babble}};
    auto it = kinds.find(parts[0]);
    if (it == kinds.end() || parts.size() > 3)
        return false;
    fault.kind = it->second;
    if (parts.size() > 1 && !ParseInt(parts[1], fault.param))
        return false;
    if (parts.size() > 2 && !ParseInt(parts[2], fault.param2))
        return false;
    if ((fault.kind == FaultKind::Delay || fault.kind == FaultKind::OtherId) && fault.param < 0)
        return false;
    return true;
}

bool ParseModuleFault(const std::string& text, Fault& fault)
{
    if (text.rfind("refuse", 0) == 0) {
        std::string rest = text.substr(6);
        // "refuse", "refuse:MS", "refuse/TIMES", "refuse:MS/TIMES"
        if (rest.empty() || rest[0] == '/')
            rest = ":" + std::to_string(kDefaultRefuseMs) + rest;
        else if (rest[0] != ':')
            return false;
        return ParseFault("hangup" + rest, fault);
    }
    return ParseFault(text, fault);
}

int SerialWaitMs(const Bytes& request)
{
    if (request.size() < 6)
        return 160;
    const int count = request[5];
    int expected = 8;   // a write is answered by its echo
    if (request[1] == 1)
        expected = count + 5;
    else if (request[1] == 3 || request[1] == 4)
        expected = 2 * count + 5;
    const int polls = expected < 10 ? 4 : (expected <= 20 ? 6 : 10);
    return 40 * polls;
}

void SpoilReply(Bytes& reply, const Fault& fault)
{
    if (reply.size() < 3)
        return;
    switch (fault.kind) {
    case FaultKind::BadCrc:
        reply.back() ^= 0xFF;
        break;
    case FaultKind::Short: {
        // param data bytes left out (default 2), the CRC right for what is sent
        const std::size_t cut = static_cast<std::size_t>(fault.param < 0 ? 2 : fault.param);
        const std::size_t body = reply.size() - 2;
        reply.resize(body > cut + 1 ? body - cut : 1);
        AppendCrc(reply);
        break;
    }
    case FaultKind::OtherId:
        reply.resize(reply.size() - 2);
        reply[0] = static_cast<std::uint8_t>(fault.param);
        AppendCrc(reply);
        break;
    case FaultKind::OtherFunction:
        reply.resize(reply.size() - 2);
        reply[1] = static_cast<std::uint8_t>(fault.param >= 0 ? fault.param : (reply[1] == 3 ? 4 : 3));
        AppendCrc(reply);
        break;
    default:
        break;
    }
}

std::optional<Fault> TakeFault(std::vector<Fault>& faults)
{
    if (faults.empty())
        return std::nullopt;
    const Fault fault = faults.front();
    if (faults.front().times > 0 && --faults.front().times == 0)
        faults.erase(faults.begin());
    return fault;
}

std::optional<Fault> TakeFault(std::vector<Fault>& faults, const Bytes& request)
{
    const int reg = request.size() >= 4 ? (request[2] << 8 | request[3]) + 1 : 0;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->reg != 0 && it->reg != reg)
            continue;
        const Fault fault = *it;
        if (it->times > 0 && --it->times == 0)
            faults.erase(it);
        return fault;
    }
    return std::nullopt;
}

Bytes AnswerUnderFault(Inverter& inverter, const Bytes& request, const std::optional<Fault>& fault)
{
    if (!fault)
        return inverter.Answer(request);
    switch (fault->kind) {
    case FaultKind::Silence:
    case FaultKind::Hangup:
        return {};
    case FaultKind::Exception: {
        Bytes reply{request[0], static_cast<std::uint8_t>(request[1] | 0x80),
                    static_cast<std::uint8_t>(fault->param < 0 ? 4 : fault->param)};
        AppendCrc(reply);
        return reply;
    }
    default: {
        Bytes reply = inverter.Answer(request);
        SpoilReply(reply, *fault);
        return reply;
    }
    }
}

void DeliverReply(const Bytes& reply, const std::optional<Fault>& fault,
                  const std::function<void(const Bytes&)>& send, const std::function<bool(int)>& pause)
{
    if (!fault) {
        send(reply);
        return;
    }
    switch (fault->kind) {
    case FaultKind::Silence:
    case FaultKind::Hangup:
    case FaultKind::Babble:
        return;
    case FaultKind::Delay:
    case FaultKind::Late:
        if (pause(fault->param))
            send(reply);
        return;
    case FaultKind::Split: {
        std::size_t first = fault->param < 0 ? reply.size() / 2 : static_cast<std::size_t>(fault->param);
        if (first > reply.size())
            first = reply.size();
        send(Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(first)));
        if (pause(fault->param2 < 0 ? 20 : fault->param2))
            send(Bytes(reply.begin() + static_cast<std::ptrdiff_t>(first), reply.end()));
        return;
    }
    case FaultKind::Flood:
        send(Bytes(static_cast<std::size_t>(fault->param < 0 ? 10000 : fault->param), 0x55));
        return;
    default:
        send(reply);
        return;
    }
}

} // namespace invsim
