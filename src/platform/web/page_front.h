#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

namespace httplib {
class Stream;
class ThreadPool;
}  // namespace httplib

namespace velk::web {

// The page host's door on 127.0.0.1: one thread accepts the connections and
// reads each request's head without blocking, within RequestHead's limits and
// a deadline, holding at most a fixed number of unfinished heads (a new
// connection pushes out the oldest). Only a complete head that names the
// token reaches one of a few workers, which answer that one request and close
// the connection; every other connection is answered or closed by the door
// itself. So no number of slow or oversized local clients can hold a worker,
// and none is held for more than a few kilobytes.
class PageFront {
  public:
    // Whether a complete head's target may reach a worker.
    using Admit = std::function<bool(std::string_view target)>;
    // Answers one request on a worker; the stream gives the head again, then
    // the rest of the connection.
    using Answer = std::function<void(httplib::Stream& stream)>;

    // Binds a free port of 127.0.0.1 for this process alone; throws when no
    // port can be had.
    PageFront();
    ~PageFront();
    PageFront(const PageFront&) = delete;
    PageFront& operator=(const PageFront&) = delete;

    int Port() const { return port_; }
    // Starts serving; what the callbacks use must be set up before.
    void Start(Admit admit, Answer answer);

  private:
    class Listener;

    void Run();

    Admit admit_;
    Answer answer_;
    std::unique_ptr<Listener> listener_;
    int port_ = 0;
    std::unique_ptr<httplib::ThreadPool> workers_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace velk::web
