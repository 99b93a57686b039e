#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/html_dialog.h"
#include "platform/resources.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace velk::web {
class PageFront;
}  // namespace velk::web

namespace velk {

// The wizard's window as a page in a browser: a loopback HTTP server serves
// the current page template with a small bridge script, which applies the
// page's commands and posts the document's events back. One document serves
// the whole run: a later page's template replaces the content of the last. Every request must
// carry the secret token of this run in its path and name this server in its
// Host and Origin headers, since the wizard runs elevated.
class WebDialogHost final : public HtmlDialogHost {
  public:
    struct Texts {
        std::string aboutItem;     // the menu item that opens the about box
        std::string aboutCaption;  // the about box
        std::string productName;
        std::string ownershipLine;
        std::string linkText;
        std::string linkUrl;
    };  // all UTF-8

    // openWindow receives the page's address once, when the first page is
    // shown; later pages replace it in the same window.
    WebDialogHost(Resources& resources, Texts texts,
                  std::function<void(const std::string& url)> openWindow);
    ~WebDialogHost() override;
    WebDialogHost(const WebDialogHost&) = delete;
    WebDialogHost& operator=(const WebDialogHost&) = delete;

    // The address of the wizard's window, with the token.
    std::string Url() const;
    int Port() const { return port_; }

    int DoModal(int htmlResource, PageEvents& events) override;
    void EndDialog(int result) override;
    void SetInnerHtml(std::string_view id, std::string_view html) override;
    void SetOuterHtml(std::string_view id, std::string_view html) override;
    void SetAttribute(std::string_view id, std::string_view name, std::string_view value) override;
    void SetText(std::string_view id, std::string_view text) override;
    void SetAskBeforeLeaving(bool ask) override;
    void SetProgress(bool visible, int percent) override;
    void Post(std::function<void()> task) override;
    int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                   std::uint32_t buttons, std::uint32_t icon) override;

  private:
    struct Event {
        enum class Kind { Click, Answer, Task } kind;
        int generation = 0;
        ElementClick click;
        int box = 0;
        int answer = 0;
        std::function<void()> task;
    };
    using Clock = std::chrono::steady_clock;
    class Server;

    void Serve();
    bool Allowed(const httplib::Request& request) const;
    void ServePage(httplib::Response& response);
    void ServeCommands(const httplib::Request& request, httplib::Response& response);
    void ReceiveEvent(const httplib::Request& request);
    // The commands from first on and the count after them, as the fields
    // "next" and "commands"; under the lock.
    std::string CommandsFrom(std::size_t first) const;
    // Lets the windows that still show the last page take the current one.
    void ContentReady();

    // Every path of this run starts with the token: "/<token>/".
    std::string Base() const;
    void AddCommand(std::string json);
    // Page HTML goes out in UTF-8 with its picture links pointing here.
    void AddHtmlCommand(const char* op, std::string_view id, std::string_view html);
    void Push(Event event);
    // Waits for the next event; false when the window is gone.
    bool NextEvent(Event* event);
    void Touch();

    Resources& resources_;
    Texts texts_;
    std::function<void(const std::string&)> openWindow_;
    std::string token_;
    std::unique_ptr<Server> server_;
    // Reads each request's head within limits; only those with the token
    // reach server_.
    std::unique_ptr<web::PageFront> front_;
    int port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable eventsChanged_;
    std::condition_variable commandsChanged_;
    std::deque<Event> events_;
    // The current page: its number, template and the commands sent to it so
    // far (a reloaded page gets them all again).
    int generation_ = 0;
    int htmlResource_ = 0;
    std::vector<std::string> commands_;
    // Whether the current page's content may replace the last one's: once its
    // first commands are there to go with it.
    bool contentReady_ = false;
    bool askBeforeLeaving_ = true;
    bool windowOpened_ = false;
    bool documentCompleted_ = false;
    bool gone_ = false;
    bool stopping_ = false;
    // When the page said it closes; a reload within the grace time is no close.
    std::optional<Clock::time_point> closingSince_;
    int pollsInFlight_ = 0;
    // Every delivery of the page is a load of its own; the polls waiting, by
    // load. A second copy of the page that closes does not close the wizard
    // while another copy still waits for commands.
    int lastLoad_ = 0;
    std::map<int, int> pollsByLoad_;
    Clock::time_point lastContact_ = Clock::now();

    // Dialog state, on the dialog's thread only.
    bool ended_ = false;
    int result_ = 0;
    int nextBox_ = 0;
};

}  // namespace velk
