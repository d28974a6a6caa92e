// A reply on the Wi-Fi link: a module on a loopback port answers every request with the input's
// bytes (in one piece or two), and the link's receive, length, CRC and shape checks take them.
#include "FuzzLink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// The module: accepts connections one at a time and answers each 8-byte request with the
// current answer, split where told.
class Module {
public:
    Module()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0
            || ::listen(listener_, 4) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            __builtin_trap();
        port_ = ntohs(a.sin_port);
        std::thread([this] { Serve(); }).detach();
    }
    int Port() const { return port_; }
    void Answer(std::vector<std::uint8_t> bytes, std::size_t split)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        answer_ = std::move(bytes);
        split_ = split;
    }

private:
    void Serve()
    {
        for (;;) {
            const int c = ::accept(listener_, nullptr, nullptr);
            if (c < 0)
                continue;
            std::uint8_t request[8];
            for (;;) {
                std::size_t got = 0;
                while (got < sizeof request) {
                    const ssize_t n = ::recv(c, request + got, sizeof request - got, 0);
                    if (n <= 0)
                        break;
                    got += static_cast<std::size_t>(n);
                }
                if (got < sizeof request)
                    break;
                std::vector<std::uint8_t> answer;
                std::size_t split;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    answer = answer_;
                    split = split_;
                }
                if (answer.empty())
                    continue;   // a silent module
                ::send(c, answer.data(), split, MSG_NOSIGNAL);
                ::send(c, answer.data() + split, answer.size() - split, MSG_NOSIGNAL);
            }
            ::close(c);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<std::uint8_t> answer_;
    std::size_t split_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzlink::QuietHost& host = fuzzlink::Setup(0.0005);
    static Module module;
    static Modbus link(&host);
    static const bool ready = [] {
        setenv("SUNVANE_WIFI_ADDRESS", ("127.0.0.1:" + std::to_string(module.Port())).c_str(), 1);
        link.LinkType = LinkWifi;
        link.SlaveId = 255;
        return true;
    }();
    (void)ready;
    // Two bytes choose the request, one where the answer is split; at most 2 KiB follow.
    if (size < 3 || size > 2051)
        return 0;
    const fuzzlink::Ask ask = fuzzlink::AskFrom(data[0], data[1]);
    std::vector<std::uint8_t> answer(data + 3, data + size);
    module.Answer(answer, answer.empty() ? 0 : data[2] % answer.size());
    const int value = ask.fc == 5 ? 0xFF00 : ask.fc == 6 ? 0x1234 : ask.count;
    if (link.Request(100, value, ask.fc) != 0)
        __builtin_trap();
    fuzzlink::CheckAccepted(link, ask);
    return 0;
}
