#include "platform/web/page_front.h"

#include <httplib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/owned_handle.h"
#include "platform/web/request_head.h"
#include "platform/web/web_protocol.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#endif

namespace velk::web {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A burst of the page's own requests never fills the queue of connections
// not yet accepted.
constexpr int kBacklog = 128;
// Unfinished heads held at once; the page's come whole in one packet.
constexpr std::size_t kPendingLimit = 32;
// Requests with the token answered at once: a few per copy of the page, one
// of them a poll waiting for commands.
constexpr std::size_t kWorkers = 16;
// A head not complete by then is dropped; the page sends its own at once.
constexpr auto kHeadDeadline = 10s;
// How long a worker waits for the rest of a body or for the client to take
// the answer.
constexpr auto kIoTimeout = 10s;
// How often the door looks whether the host is stopping.
constexpr auto kWake = 100ms;
// Connections accepted per round, so that heads already waiting are read
// before newer connections push them out.
constexpr std::size_t kAcceptBurst = 8;
constexpr std::size_t kReadChunk = 4096;

#ifdef _WIN32
using PollEntry = WSAPOLLFD;
constexpr int kSendFlags = 0;
constexpr int kShutdownBoth = SD_BOTH;

int PollSockets(PollEntry* entries, std::size_t count, int milliseconds) {
    return ::WSAPoll(entries, static_cast<ULONG>(count), milliseconds);
}
void CloseSocket(socket_t socket) { ::closesocket(socket); }
bool WouldBlock() { return ::WSAGetLastError() == WSAEWOULDBLOCK; }
void SetNonBlocking(socket_t socket, bool on) {
    u_long mode = on ? 1 : 0;
    ::ioctlsocket(socket, FIONBIO, &mode);
}
// Not inherited: the programs the wizard starts must not keep the port.
socket_t NewSocket() {
    return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}
socket_t AcceptSocket(socket_t listener) {
    const socket_t socket = ::accept(listener, nullptr, nullptr);
    if (socket != INVALID_SOCKET) SetNonBlocking(socket, true);
    return socket;
}
void SetTimeouts(socket_t socket) {
    const DWORD milliseconds = static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(kIoTimeout).count());
    for (const int option : {SO_RCVTIMEO, SO_SNDTIMEO}) {
        ::setsockopt(socket, SOL_SOCKET, option, reinterpret_cast<const char*>(&milliseconds),
                     sizeof(milliseconds));
    }
}
// Only this process may listen on the page's port: another program bound to
// it as well could receive the page's requests, token included.
void ListenExclusively(socket_t socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                 sizeof(yes));
}
#else
using PollEntry = pollfd;
constexpr int kSendFlags = MSG_NOSIGNAL;
constexpr int kShutdownBoth = SHUT_RDWR;

int PollSockets(PollEntry* entries, std::size_t count, int milliseconds) {
    return ::poll(entries, count, milliseconds);
}
void CloseSocket(socket_t socket) { ::close(socket); }
bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
void SetNonBlocking(socket_t socket, bool on) {
    const int flags = ::fcntl(socket, F_GETFL);
    ::fcntl(socket, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}
socket_t NewSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
socket_t AcceptSocket(socket_t listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}
void SetTimeouts(socket_t socket) {
    timeval limit{};
    limit.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(kIoTimeout).count();
    for (const int option : {SO_RCVTIMEO, SO_SNDTIMEO}) {
        ::setsockopt(socket, SOL_SOCKET, option, &limit, sizeof(limit));
    }
}
// No SO_REUSEADDR or SO_REUSEPORT: the port is ours alone.
void ListenExclusively(socket_t) {}
#endif

int Milliseconds(Clock::duration duration) {
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()));
}

int ChunkSize(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, std::numeric_limits<int>::max()));
}

struct SocketCloser {
    void operator()(socket_t socket) const { CloseSocket(socket); }
};
using Socket = OwnedHandle<socket_t, SocketCloser, INVALID_SOCKET>;

bool WaitFor(socket_t socket, short events) {
    PollEntry entry{};
    entry.fd = socket;
    entry.events = events;
    return PollSockets(&entry, 1, Milliseconds(kIoTimeout)) > 0;
}

void Address(socket_t socket, bool peer, std::string& ip, int& port) {
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? ::getpeername(socket, raw, &length) : ::getsockname(socket, raw, &length)) != 0) {
        return;
    }
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof(text));
    ip = text;
    port = ntohs(address.sin_port);
}

// One admitted request for the library: its head again from what the door
// read, then the rest of the connection, blocking within kIoTimeout.
class RequestStream final : public httplib::Stream {
  public:
    RequestStream(Socket socket, std::string head)
        : socket_(std::move(socket)), head_(std::move(head)) {
        SetNonBlocking(socket_.get(), false);
        SetTimeouts(socket_.get());
    }
    ~RequestStream() override { ::shutdown(socket_.get(), kShutdownBoth); }
    RequestStream(const RequestStream&) = delete;
    RequestStream& operator=(const RequestStream&) = delete;

    bool is_readable() const override {
        return offset_ < head_.size() || WaitFor(socket_.get(), POLLIN);
    }
    bool is_writable() const override { return WaitFor(socket_.get(), POLLOUT); }
    ssize_t read(char* ptr, size_t size) override {
        if (offset_ < head_.size()) {
            const std::size_t count = std::min(size, head_.size() - offset_);
            std::memcpy(ptr, head_.data() + offset_, count);
            offset_ += count;
            return static_cast<ssize_t>(count);
        }
        return ::recv(socket_.get(), ptr, ChunkSize(size), 0);
    }
    ssize_t write(const char* ptr, size_t size) override {
        return ::send(socket_.get(), ptr, ChunkSize(size), kSendFlags);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        Address(socket_.get(), true, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        Address(socket_.get(), false, ip, port);
    }
    socket_t socket() const override { return socket_.get(); }

  private:
    Socket socket_;
    std::string head_;
    std::size_t offset_ = 0;
};

// A connection whose head is still coming.
struct Pending {
    Socket socket;
    RequestHead head;
    Clock::time_point deadline;
};

// Answers a refused connection as far as its buffer takes it, and closes it.
void Refuse(Socket& socket, int status, std::string_view reason) {
    std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
                         "\r\nContent-Length: 0\r\nConnection: close\r\n";
    for (const auto& [name, value] : kSafetyHeaders) {
        answer.append(name).append(": ").append(value).append("\r\n");
    }
    answer += "\r\n";
    ::send(socket.get(), answer.data(), ChunkSize(answer.size()), kSendFlags);
    ::shutdown(socket.get(), kShutdownBoth);
    socket = Socket();
}

}  // namespace

class PageFront::Listener {
  public:
    Listener() : socket_(NewSocket()) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        auto* raw = reinterpret_cast<sockaddr*>(&address);
        if (socket_) ListenExclusively(socket_.get());
        if (!socket_ || ::bind(socket_.get(), raw, length) != 0 ||
            ::listen(socket_.get(), kBacklog) != 0 ||
            ::getsockname(socket_.get(), raw, &length) != 0) {
            throw std::runtime_error(
                Utf8ToCp1251("Не удалось открыть окно мастера: нет свободного локального порта"));
        }
        SetNonBlocking(socket_.get(), true);
        port_ = ntohs(address.sin_port);
    }

    socket_t get() const { return socket_.get(); }
    int port() const { return port_; }

  private:
    Socket socket_;
    int port_ = 0;
};

PageFront::PageFront() : listener_(std::make_unique<Listener>()), port_(listener_->port()) {}

void PageFront::Start(Admit admit, Answer answer) {
    admit_ = std::move(admit);
    answer_ = std::move(answer);
    workers_ = std::make_unique<httplib::ThreadPool>(kWorkers);
    thread_ = std::thread([this] { Run(); });
}

PageFront::~PageFront() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    thread_.join();
    // The workers finish what they were given: a poll returns once the host
    // says it stops.
    workers_->shutdown();
}

void PageFront::Run() {
    std::vector<Pending> pending;
    std::vector<PollEntry> entries;

    // Reads what has come of a head; settles the connection once the head is
    // complete or refused.
    const auto read = [&](Pending& connection) {
        char chunk[kReadChunk];
        for (;;) {
            const auto count = ::recv(connection.socket.get(), chunk, sizeof(chunk), 0);
            if (count < 0 && WouldBlock()) return;
            if (count <= 0) {
                connection.socket = Socket();
                return;
            }
            switch (connection.head.Add(std::string_view(chunk, static_cast<std::size_t>(count)))) {
                case RequestHead::State::Reading:
                    continue;
                case RequestHead::State::Complete:
                    if (admit_(connection.head.target())) {
                        auto stream = std::make_shared<RequestStream>(std::move(connection.socket),
                                                                      connection.head.bytes());
                        workers_->enqueue([this, stream] { answer_(*stream); });
                    } else {
                        Refuse(connection.socket, 403, "Forbidden");
                    }
                    return;
                case RequestHead::State::TooLarge:
                    Refuse(connection.socket, 431, "Request Header Fields Too Large");
                    return;
                case RequestHead::State::Malformed:
                    Refuse(connection.socket, 400, "Bad Request");
                    return;
            }
        }
    };

    while (!stopping_) {
        auto now = Clock::now();
        auto wait = Clock::duration(kWake);
        entries.assign(1, PollEntry{});
        entries[0].fd = listener_->get();
        entries[0].events = POLLIN;
        for (const Pending& connection : pending) {
            PollEntry entry{};
            entry.fd = connection.socket.get();
            entry.events = POLLIN;
            entries.push_back(entry);
            wait = std::min(wait, connection.deadline - now);
        }
        if (PollSockets(entries.data(), entries.size(), Milliseconds(wait)) < 0) {
            std::this_thread::sleep_for(kWake);  // interrupted; nothing to do but look again
            continue;
        }
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (entries[i + 1].revents != 0) read(pending[i]);
        }
        now = Clock::now();
        std::erase_if(pending, [now](const Pending& connection) {
            return !connection.socket || connection.deadline <= now;
        });
        if ((entries[0].revents & POLLIN) == 0) continue;
        for (std::size_t i = 0; i < kAcceptBurst; ++i) {
            Socket socket(AcceptSocket(listener_->get()));
            if (!socket) break;
            if (pending.size() >= kPendingLimit) pending.erase(pending.begin());
            pending.push_back(Pending{std::move(socket), RequestHead(), now + kHeadDeadline});
            read(pending.back());
            if (!pending.back().socket) pending.pop_back();
        }
    }
}

}  // namespace velk::web
