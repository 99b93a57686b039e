#include "platform/web/web_dialog_host.h"

#include <httplib.h>
// On Windows the library brings in the system headers, whose A/W macros would
// rename the member below.
#undef MessageBox

#include <algorithm>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/web/bridge_script.h"
#include "platform/web/page_front.h"
#include "platform/web/web_protocol.h"

namespace velk {

namespace {

using namespace std::chrono_literals;

// How long a poll for commands waits before the bridge asks again.
constexpr auto kPollWait = 15s;
// A page that said it closes and has not come back within this time is gone;
// a reload comes back much sooner.
constexpr auto kCloseGrace = 3s;
// A page that has not asked for commands for this long has vanished without
// saying so (a killed browser).
constexpr auto kSilenceLimit = 45s;
constexpr auto kWatchInterval = 250ms;
// The page's own requests are small: an event's form is a few hundred bytes.
constexpr std::size_t kBodyLimit = 64 * 1024;
// The pictures never change within a run and their addresses carry the run's
// token: the window keeps them instead of fetching them for every page.
constexpr std::string_view kPictureCaching = "private, max-age=86400";

void SetSafetyHeaders(httplib::Response& response) {
    for (const auto& [name, value] : web::kSafetyHeaders) {
        response.set_header(std::string(name), std::string(value));
    }
}

int NegativeAnswer(std::uint32_t buttons) {
    switch (buttons) {
        case kMbYesNo:
            return kIdNo;
        case kMbOk:
            return kIdOk;
        default:
            return kIdCancel;
    }
}

std::string Field(const char* name, std::string_view utf8) {
    return std::string(",\"") + name + "\":" + web::JsonString(utf8);
}

int IntParam(const httplib::Request& request, const char* name) {
    try {
        return std::stoi(request.get_param_value(name));
    } catch (const std::exception&) {
        return -1;
    }
}

}  // namespace

// The library answers the requests whose heads the front has read, one per
// connection.
class WebDialogHost::Server final : public httplib::Server {
  public:
    void Answer(httplib::Stream& stream) {
        bool closed = true;
        process_request(stream, true, closed, nullptr);
    }
};

WebDialogHost::WebDialogHost(Resources& resources, Texts texts,
                             std::function<void(const std::string&)> openWindow)
    : resources_(resources),
      texts_(std::move(texts)),
      openWindow_(std::move(openWindow)),
      token_(web::RandomToken()),
      server_(std::make_unique<Server>()) {
    server_->set_payload_max_length(kBodyLimit);
    Serve();
    front_ = std::make_unique<web::PageFront>();
    port_ = front_->Port();
    front_->Start([this](std::string_view target) { return web::HasToken(target, token_); },
                  [this](httplib::Stream& stream) { server_->Answer(stream); });
}

WebDialogHost::~WebDialogHost() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    commandsChanged_.notify_all();
    // Before anything its workers use goes.
    front_.reset();
}

std::string WebDialogHost::Base() const { return "/" + token_ + "/"; }

std::string WebDialogHost::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + Base() + "page";
}

bool WebDialogHost::Allowed(const httplib::Request& request) const {
    return web::HasToken(request.path, token_) &&
           web::IsLocalHost(request.get_header_value("Host"), port_) &&
           web::IsLocalOrigin(request.get_header_value("Origin"), port_);
}

void WebDialogHost::Serve() {
    server_->set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            SetSafetyHeaders(response);
            if (Allowed(request)) return httplib::Server::HandlerResponse::Unhandled;
            response.status = 403;
            response.set_content("Forbidden", "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        });
    const std::string base = Base();
    server_->Get(base + "page", [this](const httplib::Request&, httplib::Response& response) {
        ServePage(response);
    });
    server_->Get(base + "bridge.js", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(web::kBridgeScript), "text/javascript; charset=utf-8");
    });
    server_->Get(base + R"(png/(\d+))", [this](const httplib::Request& request,
                                               httplib::Response& response) {
        const auto id = web::PictureId(request.matches[1].str());
        const auto picture = id ? resources_.Load(ResourceType::Png, *id) : std::nullopt;
        if (!picture) {
            response.status = 404;
            return;
        }
        response.headers.erase("Cache-Control");
        response.set_header("Cache-Control", std::string(kPictureCaching));
        response.set_content(*picture, "image/png");
    });
    server_->Get(base + "commands",
                 [this](const httplib::Request& request, httplib::Response& response) {
                     ServeCommands(request, response);
                 });
    server_->Post(base + "event",
                  [this](const httplib::Request& request, httplib::Response& response) {
                      ReceiveEvent(request);
                      response.status = 204;
                  });
}

void WebDialogHost::ServePage(httplib::Response& response) {
    int generation = 0, resource = 0, load = 0;
    bool ask = false;
    std::string commands;
    {
        std::unique_lock lock(mutex_);
        // The page goes out with its first commands; if its handler takes
        // long, with those there are so far, and the rest follow by poll.
        commandsChanged_.wait_for(
            lock, kPollWait, [this] { return stopping_ || generation_ == 0 || contentReady_; });
        load = ++lastLoad_;
        generation = generation_;
        resource = htmlResource_;
        ask = askBeforeLeaving_;
        commands = CommandsFrom(0);
        lastContact_ = Clock::now();
        closingSince_.reset();
    }
    const std::string base = Base();
    const auto page =
        generation == 0 ? std::nullopt : resources_.Load(ResourceType::Html, resource);
    if (!page) {
        // Between two pages, or before the first: come back shortly.
        response.set_content(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
            "<meta http-equiv=\"refresh\" content=\"1\"></head><body></body></html>",
            "text/html; charset=utf-8");
        return;
    }
    std::string settings =
        "{\"gen\":" + std::to_string(generation) + ",\"load\":" + std::to_string(load) +
        ",\"ask\":" + (ask ? "true" : "false") + "," + commands + Field("base", base) +
        Field("aboutItem", texts_.aboutItem) + Field("aboutCaption", texts_.aboutCaption) +
        Field("productName", texts_.productName) + Field("ownershipLine", texts_.ownershipLine) +
        Field("linkText", texts_.linkText) + Field("linkUrl", texts_.linkUrl) + "}";
    const std::string nonce = web::RandomToken();
    const std::string bootstrap = "<script nonce=\"" + nonce + "\">var velk=" + settings +
                                  ";</script><script src=\"" + base + "bridge.js\"></script>";
    response.headers.erase("Content-Security-Policy");
    response.set_header("Content-Security-Policy", web::PagePolicy(nonce));
    response.set_content(web::InjectBeforeBodyEnd(web::ResolvePictureLinks(*page, base), bootstrap),
                         "text/html; charset=utf-8");
}

void WebDialogHost::ServeCommands(const httplib::Request& request, httplib::Response& response) {
    const int generation = IntParam(request, "gen");
    const int load = IntParam(request, "load");
    const std::size_t after = static_cast<std::size_t>(std::max(0, IntParam(request, "after")));
    std::unique_lock lock(mutex_);
    ++pollsInFlight_;
    ++pollsByLoad_[load];
    lastContact_ = Clock::now();
    closingSince_.reset();
    commandsChanged_.wait_for(lock, kPollWait, [&] {
        return stopping_ || (generation != generation_ && contentReady_) ||
               (generation == generation_ && commands_.size() > after);
    });
    --pollsInFlight_;
    if (--pollsByLoad_[load] == 0) pollsByLoad_.erase(load);
    lastContact_ = Clock::now();
    std::string body;
    std::optional<int> nextPage;
    if (generation == generation_) {
        body = "{" + CommandsFrom(after);
    } else if (contentReady_) {
        // The wizard moved on to another page: its template replaces the old
        // one's in the same document, together with its first commands.
        nextPage = htmlResource_;
        body = "{\"gen\":" + std::to_string(generation_) +
               ",\"ask\":" + (askBeforeLeaving_ ? "true" : "false") + "," + CommandsFrom(0);
    } else {
        // The next page is still being prepared: ask again.
        body = "{\"next\":" + std::to_string(after) + ",\"commands\":[]";
    }
    lock.unlock();
    if (nextPage) {
        const auto page = resources_.Load(ResourceType::Html, *nextPage);
        body += Field("page", web::ResolvePictureLinks(page.value_or(""), Base()));
    }
    response.set_content(body + "}", "application/json");
}

std::string WebDialogHost::CommandsFrom(std::size_t first) const {
    std::string json = "\"next\":" + std::to_string(commands_.size()) + ",\"commands\":[";
    for (std::size_t i = first; i < commands_.size(); ++i) {
        if (i > first) json += ',';
        json += commands_[i];
    }
    return json + "]";
}

void WebDialogHost::ContentReady() {
    {
        const std::lock_guard lock(mutex_);
        contentReady_ = true;
    }
    commandsChanged_.notify_all();
}

void WebDialogHost::ReceiveEvent(const httplib::Request& request) {
    Event event;
    event.generation = IntParam(request, "gen");
    const std::string type = request.get_param_value("type");
    if (type == "complete") {
        // Only the watch over the window hears of it: the page filled itself
        // in before it went out, and a reload gets its commands with it.
        const std::lock_guard lock(mutex_);
        lastContact_ = Clock::now();
        if (event.generation == generation_) documentCompleted_ = true;
        return;
    }
    if (type == "click") {
        event.kind = Event::Kind::Click;
        event.click.id = Utf8ToCp1251(request.get_param_value("id"));
        event.click.tag = request.get_param_value("tag");
        event.click.checked = request.get_param_value("checked") == "1";
    } else if (type == "answer") {
        event.kind = Event::Kind::Answer;
        event.box = IntParam(request, "box");
        event.answer = IntParam(request, "button");
    } else if (type == "closed") {
        const int load = IntParam(request, "load");
        const std::lock_guard lock(mutex_);
        const bool anotherWaits =
            std::any_of(pollsByLoad_.begin(), pollsByLoad_.end(),
                        [load](const auto& polls) { return polls.first != load; });
        if (event.generation == generation_ && !anotherWaits) closingSince_ = Clock::now();
        eventsChanged_.notify_all();
        return;
    } else {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        lastContact_ = Clock::now();
    }
    Push(std::move(event));
}

void WebDialogHost::Push(Event event) {
    {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    eventsChanged_.notify_all();
}

bool WebDialogHost::NextEvent(Event* event) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!events_.empty()) {
            *event = std::move(events_.front());
            events_.pop_front();
            return true;
        }
        const auto now = Clock::now();
        if (closingSince_ && now - *closingSince_ > kCloseGrace) gone_ = true;
        if (documentCompleted_ && pollsInFlight_ == 0 && now - lastContact_ > kSilenceLimit) {
            gone_ = true;
        }
        if (gone_) return false;
        eventsChanged_.wait_for(lock, kWatchInterval);
    }
}

int WebDialogHost::DoModal(int htmlResource, PageEvents& events) {
    int generation = 0;
    bool first = false;
    {
        const std::lock_guard lock(mutex_);
        if (gone_) return kDialogClosed;
        generation = ++generation_;
        htmlResource_ = htmlResource;
        commands_.clear();
        askBeforeLeaving_ = true;
        documentCompleted_ = false;
        closingSince_.reset();
        first = !windowOpened_;
        windowOpened_ = true;
        // Every page goes out once its first commands are there to go with it:
        // the first as the window's document, later ones into that document.
        contentReady_ = false;
    }
    ended_ = false;
    // The browser starts while the page fills itself in.
    if (first) openWindow_(Url());
    events.OnDocumentComplete();
    ContentReady();

    Event event;
    while (!ended_ && NextEvent(&event)) {
        switch (event.kind) {
            case Event::Kind::Click:
                if (event.generation == generation) events.OnClick(event.click);
                break;
            case Event::Kind::Task:
                event.task();
                break;
            case Event::Kind::Answer:
                break;
        }
    }
    return ended_ ? result_ : kDialogClosed;
}

void WebDialogHost::EndDialog(int result) {
    ended_ = true;
    result_ = result;
}

void WebDialogHost::AddCommand(std::string json) {
    {
        const std::lock_guard lock(mutex_);
        commands_.push_back(std::move(json));
    }
    commandsChanged_.notify_all();
}

void WebDialogHost::AddHtmlCommand(const char* op, std::string_view id, std::string_view html) {
    AddCommand(std::string("{\"op\":\"") + op + "\"" + Field("id", Cp1251ToUtf8(id)) +
               Field("html", web::ResolvePictureLinks(Cp1251ToUtf8(html), Base())) + "}");
}

void WebDialogHost::SetInnerHtml(std::string_view id, std::string_view html) {
    AddHtmlCommand("inner", id, html);
}

void WebDialogHost::SetOuterHtml(std::string_view id, std::string_view html) {
    AddHtmlCommand("outer", id, html);
}

void WebDialogHost::SetAttribute(std::string_view id, std::string_view name,
                                 std::string_view value) {
    AddCommand("{\"op\":\"attr\"" + Field("id", Cp1251ToUtf8(id)) +
               Field("name", Cp1251ToUtf8(name)) + Field("value", Cp1251ToUtf8(value)) + "}");
}

void WebDialogHost::SetText(std::string_view id, std::string_view text) {
    AddCommand("{\"op\":\"text\"" + Field("id", Cp1251ToUtf8(id)) +
               Field("text", Cp1251ToUtf8(text)) + "}");
}

void WebDialogHost::SetAskBeforeLeaving(bool ask) {
    {
        const std::lock_guard lock(mutex_);
        askBeforeLeaving_ = ask;
    }
    AddCommand(std::string("{\"op\":\"ask\",\"value\":") + (ask ? "true" : "false") + "}");
}

void WebDialogHost::SetProgress(bool visible, int percent) {
    AddCommand(std::string("{\"op\":\"progress\",\"visible\":") + (visible ? "true" : "false") +
               ",\"percent\":" + std::to_string(std::clamp(percent, 0, 100)) + "}");
}

void WebDialogHost::Post(std::function<void()> task) {
    Event event;
    event.kind = Event::Kind::Task;
    event.task = std::move(task);
    Push(std::move(event));
}

int WebDialogHost::MessageBox(WindowHandle, std::string_view text, std::string_view caption,
                              std::uint32_t buttons, std::uint32_t icon) {
    const int box = ++nextBox_;
    // A box asked while the page is being filled in needs the page shown.
    ContentReady();
    std::size_t index = 0;
    {
        const std::lock_guard lock(mutex_);
        index = commands_.size();
        commands_.push_back(
            "{\"op\":\"box\",\"box\":" + std::to_string(box) +
            ",\"buttons\":" + std::to_string(buttons) + ",\"icon\":" + std::to_string(icon) +
            Field("caption", Cp1251ToUtf8(caption)) + Field("text", Cp1251ToUtf8(text)) + "}");
    }
    commandsChanged_.notify_all();

    Event event;
    while (NextEvent(&event)) {
        if (event.kind == Event::Kind::Task) {
            event.task();
        } else if (event.kind == Event::Kind::Answer && event.box == box) {
            // Answered: a reloaded page must not ask again.
            const std::lock_guard lock(mutex_);
            if (index < commands_.size()) commands_[index] = "{\"op\":\"none\"}";
            return event.answer;
        }
        // Clicks on the page wait for no one while the box is up.
    }
    return NegativeAnswer(buttons);
}

}  // namespace velk
