#include "platform/web/web_dialog_host.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/fake_resources.h"
#include "platform/codepage.h"

#undef MessageBox

namespace velk {
namespace {

constexpr int kTemplate = 103;
constexpr int kOtherTemplate = 154;

// Plays the bridge script's part over HTTP, as the browser would.
class BrowserStandIn {
  public:
    // timeout: how long any one request may wait for its answer (seconds).
    explicit BrowserStandIn(const std::string& url, int timeout = 30)
        : client_("127.0.0.1", PortOf(url)) {
        const std::smatch parts = Match(url, R"(/([0-9a-f]+)/page$)");
        base_ = "/" + parts[1].str() + "/";
        client_.set_connection_timeout(timeout);
        client_.set_read_timeout(timeout);
    }

    static int PortOf(const std::string& url) {
        return std::stoi(Match(url, R"(:(\d+)/)")[1].str());
    }

    // Loads the page and returns its HTML; remembers its page number.
    std::string Load() {
        const auto response = client_.Get(base_ + "page");
        EXPECT_TRUE(response && response->status == 200);
        if (!response) return {};
        const std::smatch parts = Match(response->body, R"(var velk=\{"gen":(\d+),"load":(\d+))");
        generation_ = std::stoi(parts[1].str());
        load_ = parts[2].str();
        after_ = 0;
        return response->body;
    }

    void Send(const std::string& form) {
        const auto response = client_.Post(
            base_ + "event", "gen=" + std::to_string(generation_) + "&load=" + load_ + "&" + form,
            "application/x-www-form-urlencoded");
        EXPECT_TRUE(response && response->status == 204);
    }

    // Waits for the next commands and returns them (the raw JSON reply).
    std::string Poll() {
        const auto response = client_.Get(base_ + "commands?gen=" + std::to_string(generation_) +
                                          "&load=" + load_ + "&after=" + std::to_string(after_));
        EXPECT_TRUE(response && response->status == 200);
        if (!response) return {};
        after_ = std::stoi(Match(response->body, R"("next":(\d+))")[1].str());
        return response->body;
    }

    // Polls until a reply contains text.
    std::string PollFor(const std::string& text) {
        for (int i = 0; i < 20; ++i) {
            std::string reply = Poll();
            if (reply.empty()) break;  // no answer
            if (reply.find(text) != std::string::npos) return reply;
        }
        ADD_FAILURE() << "no command with " << text;
        return {};
    }

    httplib::Client& client() { return client_; }
    const std::string& base() const { return base_; }

  private:
    static std::smatch Match(const std::string& text, const char* pattern) {
        static thread_local std::string kept;
        kept = text;
        std::smatch parts;
        EXPECT_TRUE(std::regex_search(kept, parts, std::regex(pattern))) << pattern;
        return parts;
    }

    httplib::Client client_;
    std::string base_;
    int generation_ = 0;
    std::string load_;
    std::size_t after_ = 0;
};

// A raw loopback connection that sends what a hostile local client would.
class Probe {
  public:
    explicit Probe(int port) : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        // Far longer than a refusal takes, shorter than any wait of the host.
#ifdef _WIN32
        const DWORD bound = 3000;
#else
        const timeval bound{3, 0};
#endif
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound),
                     sizeof(bound));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ =
            ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~Probe() {
#ifdef _WIN32
        ::closesocket(socket_);
#else
        ::close(socket_);
#endif
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool connected() const { return connected_; }

    void Send(const std::string& bytes) {
        ::send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
    }

    // The status of the host's answer; 0 when it closed the connection without
    // one, -1 when it kept the connection open and said nothing.
    int Answer() {
        std::string reply;
        char chunk[512];
        while (reply.find("\r\n") == std::string::npos) {
            const auto count = ::recv(socket_, chunk, sizeof(chunk), 0);
            if (count == 0) return 0;
            if (count < 0) {
#ifdef _WIN32
                return ::WSAGetLastError() == WSAETIMEDOUT ? -1 : 0;
#else
                return errno == EAGAIN || errno == EWOULDBLOCK ? -1 : 0;
#endif
            }
            reply.append(chunk, static_cast<std::size_t>(count));
        }
        return reply.starts_with("HTTP/1.1 ") ? std::atoi(reply.c_str() + 9) : -2;
    }

  private:
    socket_t socket_;
    bool connected_ = false;
};

// A page whose handlers the test scripts.
struct ScriptedPage : PageEvents {
    std::function<void()> onComplete;
    std::function<void(const ElementClick&)> onClick;
    void OnDocumentComplete() override {
        if (onComplete) onComplete();
    }
    void OnClick(const ElementClick& click) override {
        if (onClick) onClick(click);
    }
};

class WebDialogHostTest : public ::testing::Test {
  protected:
    WebDialogHostTest() {
        resources_.items[{ResourceType::Html, kTemplate}] =
            "<html><body><div id=\"Hello_Logo\" style=\"background: url(res:/PNG/#200)\"></div>"
            "<div id=\"Titel\">Загрузка</div></BODY></html>";
        resources_.items[{ResourceType::Html, kOtherTemplate}] = "<html><body>two</body></html>";
        resources_.items[{ResourceType::Png, 200}] = "\x89PNG-banner";
    }

    WebDialogHost& host() {
        if (!host_) {
            host_ = std::make_unique<WebDialogHost>(
                resources_,
                WebDialogHost::Texts{"О программе...", "О программе", "velk", "", "", ""},
                [this](const std::string& url) {
                    {
                        const std::lock_guard lock(openedMutex_);
                        opened_.push_back(url);
                    }
                    windowOpened_.notify_all();
                });
        }
        return *host_;
    }

    // The address the host opened its window with, once it has.
    std::string WaitForWindow() {
        std::unique_lock lock(openedMutex_);
        windowOpened_.wait(lock, [this] { return !opened_.empty(); });
        return opened_.front();
    }

    FakeResources resources_;
    std::mutex openedMutex_;
    std::condition_variable windowOpened_;
    std::vector<std::string> opened_;
    std::unique_ptr<WebDialogHost> host_;
};

TEST_F(WebDialogHostTest, OnlyRequestsWithTheTokenAndOurOwnNamesAreServed) {
    const std::string url = host().Url();
    httplib::Client client("127.0.0.1", BrowserStandIn::PortOf(url));
    const std::string path = url.substr(url.find('/', std::string("http://").size()));
    const std::string token = path.substr(1, path.find('/', 1) - 1);
    ASSERT_EQ(token.size(), 32u);

    const auto status = [&](const std::string& target, httplib::Headers headers = {}) {
        const auto response = client.Get(target, headers);
        return response ? response->status : -1;
    };
    EXPECT_EQ(status(path), 200);
    EXPECT_EQ(status("/page"), 403);
    EXPECT_EQ(status("/" + std::string(32, '0') + "/page"), 403);
    EXPECT_EQ(status("/" + token + "x/page"), 403);
    EXPECT_EQ(status(path, {{"Host", "attacker.example:80"}}), 403);
    EXPECT_EQ(status(path, {{"Host", "localhost:" + std::to_string(host().Port())}}), 200);
    EXPECT_EQ(status(path, {{"Origin", "http://attacker.example"}}), 403);
    const auto post = client.Post("/" + token + "/event", {{"Origin", "http://evil.test"}},
                                  "gen=1&type=complete", "application/x-www-form-urlencoded");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 403);
    EXPECT_EQ(status("/" + token + "/png/200"), 200);
    EXPECT_EQ(status("/" + token + "/png/999"), 404);
    // A number no resource can have is no picture, and no error text leaks.
    const auto huge = client.Get("/" + token + "/png/" + std::string(21, '9'));
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->status, 404);
    EXPECT_FALSE(huge->has_header("EXCEPTION_WHAT"));
    // An event far larger than the page ever sends is refused unread.
    const auto large =
        client.Post("/" + token + "/event", "gen=1&type=click&id=" + std::string(100 * 1024, 'x'),
                    "application/x-www-form-urlencoded");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->status, 413);
}

TEST_F(WebDialogHostTest, EveryAnswerForbidsFramingCachingAndReferrers) {
    const std::string url = host().Url();
    httplib::Client client("127.0.0.1", BrowserStandIn::PortOf(url));
    const std::string path = url.substr(url.find('/', std::string("http://").size()));
    for (const std::string& target : {path, std::string("/page")}) {
        const auto response = client.Get(target);
        ASSERT_TRUE(response) << target;
        EXPECT_EQ(response->get_header_value("X-Frame-Options"), "DENY") << target;
        EXPECT_NE(
            response->get_header_value("Content-Security-Policy").find("frame-ancestors 'none'"),
            std::string::npos)
            << target;
        EXPECT_EQ(response->get_header_value("Referrer-Policy"), "no-referrer") << target;
        EXPECT_EQ(response->get_header_value("Cache-Control"), "no-store") << target;
    }
}

TEST_F(WebDialogHostTest, NoOtherSocketCanBindThePagesPort) {
    const int port = BrowserStandIn::PortOf(host().Url());
    const auto other = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(other, INVALID_SOCKET);
    // What a program that wants to share the port asks for.
    const int yes = 1;
    ::setsockopt(other, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof(yes));
#ifdef SO_REUSEPORT
    ::setsockopt(other, SOL_SOCKET, SO_REUSEPORT, reinterpret_cast<const char*>(&yes), sizeof(yes));
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int bound = ::bind(other, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
#ifdef _WIN32
    ::closesocket(other);
#else
    ::close(other);
#endif
    EXPECT_NE(bound, 0) << "a second socket was bound to the page's port";
}

TEST_F(WebDialogHostTest, OversizedHeadsAreRefusedBeforeTheyAreRead) {
    const std::string url = host().Url();
    const std::string path = url.substr(url.find('/', std::string("http://").size()));
    const std::string longText(8 * 1024, 'a');
    std::string manyHeaders = "GET " + path + " HTTP/1.1\r\n";
    for (int i = 0; i < 100; ++i) manyHeaders += "X-A: b\r\n";
    std::string largeHead = "GET " + path + " HTTP/1.1\r\n";
    for (int i = 0; i < 20; ++i) largeHead += "X-Part: " + std::string(1000, 'b') + "\r\n";
    // None of them ends: a host that waited for the end would say nothing.
    for (const std::string& head :
         {"GET " + path + "?" + longText, "GET " + path + " HTTP/1.1\r\nX-Long: " + longText,
          manyHeaders, largeHead}) {
        Probe probe(host().Port());
        ASSERT_TRUE(probe.connected());
        probe.Send(head);
        const int status = probe.Answer();
        EXPECT_TRUE(status == 431 || status == 0) << status << " for " << head.substr(0, 60);
    }
    // A head that is no request at all.
    Probe nonsense(host().Port());
    nonsense.Send("\r\n\r\n");
    const int status = nonsense.Answer();
    EXPECT_TRUE(status == 400 || status == 0) << status;
    // Nothing else changed: the page is still served.
    httplib::Client client("127.0.0.1", host().Port());
    const auto page = client.Get(path);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
}

TEST_F(WebDialogHostTest, SlowConnectionsNeverKeepThePageFromBeingServed) {
    ScriptedPage page;
    page.onComplete = [&] { host().SetText("Titel", "shown"); };
    page.onClick = [&](const ElementClick&) { host().EndDialog(1); };
    const int port = host().Port();
    // Heads that never end: more than the host keeps at once.
    std::vector<std::unique_ptr<Probe>> held;
    for (int i = 0; i < 40; ++i) {
        held.push_back(std::make_unique<Probe>(port));
        held.back()->Send("GET / HTTP/1.1\r\nHost: 127.0.0.1");
    }
    // And a client that keeps opening sixteen more while the page works.
    std::atomic<bool> done{false};
    std::thread opener([&] {
        std::vector<std::unique_ptr<Probe>> round;
        for (int i = 0; i < 200 && !done; ++i) {
            round.clear();
            for (int j = 0; j < 16; ++j) {
                round.push_back(std::make_unique<Probe>(port));
                round.back()->Send("GET /");
            }
        }
    });
    std::thread browser([&] {
        // Every request of the page is answered within a bound far longer
        // than it takes, or the page fails.
        BrowserStandIn stand(WaitForWindow(), 10);
        for (int load = 0; load < 3; ++load) {
            stand.Load();
            stand.Send("type=complete");
            stand.PollFor("shown");
        }
        stand.Send("type=click&id=ButtonOK&tag=INPUT&checked=0");
        // Ends the page whose click was never heard.
        host().Post([&] { host().EndDialog(2); });
        done = true;
    });
    EXPECT_EQ(host().DoModal(kTemplate, page), 1);
    browser.join();
    opener.join();
}

TEST_F(WebDialogHostTest, ThePageGetsItsCommandsAndItsClicksInTheSystemsCodePage) {
    ScriptedPage page;
    ElementClick seen;
    page.onComplete = [&] {
        host().SetInnerHtml("Titel", Utf8ToCp1251("Выберите <b>сайты</b> res:/PNG/#142"));
        host().SetAttribute("ButtonOK", "value", Utf8ToCp1251("Далее"));
    };
    page.onClick = [&](const ElementClick& click) {
        seen = click;
        host().EndDialog(1);
    };
    std::string html, commands, policy, delivered;
    std::thread browser([&] {
        BrowserStandIn stand(WaitForWindow());
        const auto response = stand.client().Get(stand.base() + "page");
        if (response) {
            policy = response->get_header_value("Content-Security-Policy");
            delivered = response->body;
        }
        html = stand.Load();
        stand.Send("type=complete");
        commands = stand.PollFor("ButtonOK");
        stand.Send("type=click&id=%D0%A1%D0%B0%D0%B9%D1%82_chbox&tag=INPUT&checked=1");
    });
    EXPECT_EQ(host().DoModal(kTemplate, page), 1);
    browser.join();

    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_.front(), host().Url());
    // The template itself, its picture links pointing at the host, the bridge
    // before the body's end.
    EXPECT_NE(html.find("<div id=\"Titel\">Загрузка</div>"), std::string::npos);
    EXPECT_EQ(html.find("res:/PNG/"), std::string::npos);
    EXPECT_NE(html.find("/png/200)"), std::string::npos);
    EXPECT_LT(html.find("bridge.js\"></script>"), html.find("</BODY>"));
    // The first commands come with the document itself, not a poll later.
    EXPECT_NE(html.find("\"name\":\"value\",\"value\":\"Далее\""), std::string::npos) << html;
    // Its one inline script runs by the nonce the policy names; no other does.
    std::smatch nonce;
    ASSERT_TRUE(std::regex_search(delivered, nonce, std::regex("<script nonce=\"([0-9a-f]+)\">")));
    const auto scripts = policy.find("script-src");
    ASSERT_NE(scripts, std::string::npos) << policy;
    EXPECT_EQ(policy.substr(scripts, policy.find(';', scripts) - scripts),
              "script-src 'self' 'nonce-" + nonce[1].str() + "'");
    // Commands carry UTF-8, with '<' escaped so no text can end a script.
    EXPECT_NE(commands.find("Выберите \\u003cb>сайты\\u003c/b>"), std::string::npos) << commands;
    EXPECT_NE(commands.find("/png/142"), std::string::npos) << commands;
    EXPECT_NE(commands.find("\"name\":\"value\",\"value\":\"Далее\""), std::string::npos);

    EXPECT_EQ(seen.id, Utf8ToCp1251("Сайт_chbox"));
    EXPECT_EQ(seen.tag, "INPUT");
    EXPECT_TRUE(seen.checked);
}

TEST_F(WebDialogHostTest, AMessageBoxWaitsForItsAnswerAndKeepsRunningPostedWork) {
    ScriptedPage page;
    std::atomic<bool> workerDone{false};
    int answer = 0;
    bool workRanDuringBox = false;
    page.onComplete = [&] {
        std::thread worker([&] {
            host().Post([&] { workRanDuringBox = true; });
            workerDone = true;
        });
        answer = host().MessageBox(kNoOwner, Utf8ToCp1251("Вы действительно хотите выйти?"),
                                   Utf8ToCp1251("Вопрос"), kMbYesNo, kMbIconQuestion);
        worker.join();
        host().EndDialog(answer == kIdYes ? 4 : 3);
    };
    std::string box, afterReload;
    std::thread browser([&] {
        BrowserStandIn stand(WaitForWindow());
        stand.Load();
        stand.Send("type=complete");
        box = stand.PollFor("\"op\":\"box\"");
        // Clicks on the page behind the box reach no one.
        stand.Send("type=click&id=ButtonOK&tag=INPUT&checked=0");
        stand.Send("type=answer&box=1&button=6");
    });
    EXPECT_EQ(host().DoModal(kTemplate, page), 4);
    browser.join();
    EXPECT_EQ(answer, kIdYes);
    EXPECT_TRUE(workRanDuringBox);
    EXPECT_NE(box.find("\"buttons\":4,\"icon\":32"), std::string::npos) << box;
    EXPECT_NE(box.find("Вы действительно хотите выйти?"), std::string::npos) << box;
}

TEST_F(WebDialogHostTest, TheNextPageReplacesTheFirstInTheSameWindow) {
    ScriptedPage first, second;
    first.onClick = [&](const ElementClick&) { host().EndDialog(1); };
    second.onComplete = [&] { host().EndDialog(2); };
    std::string secondHtml;
    std::thread browser([&] {
        BrowserStandIn stand(WaitForWindow());
        stand.Load();
        stand.Send("type=complete");
        stand.Send("type=click&id=ButtonOK&tag=INPUT&checked=0");
        secondHtml = stand.PollFor("\"page\"");
        stand.Send("type=complete");
    });
    EXPECT_EQ(host().DoModal(kTemplate, first), 1);
    EXPECT_EQ(host().DoModal(kOtherTemplate, second), 2);
    browser.join();
    EXPECT_EQ(opened_.size(), 1u);
    EXPECT_NE(secondHtml.find("two"), std::string::npos);
}

TEST_F(WebDialogHostTest, TheNextPageComesWithItsFirstCommandsIntoTheSameDocument) {
    ScriptedPage first, second;
    first.onClick = [&](const ElementClick&) { host().EndDialog(1); };
    second.onComplete = [&] { host().SetText("Titel", "second's own"); };
    second.onClick = [&](const ElementClick& click) { host().EndDialog(click.id == "B" ? 2 : 3); };
    std::string swap, reloaded;
    httplib::Headers pictureHeaders;
    std::thread browser([&] {
        BrowserStandIn stand(WaitForWindow());
        stand.Load();
        const auto picture = stand.client().Get(stand.base() + "png/200");
        if (picture) pictureHeaders = picture->headers;
        stand.Send("type=complete");
        stand.Send("type=click&id=A&tag=INPUT&checked=0");
        // One reply: the template, with its first commands, for the new page.
        swap = stand.Poll();
        // A reload shows the page the wizard is on, its commands replayed.
        reloaded = stand.Load();
        stand.Send("type=click&id=B&tag=INPUT&checked=0");
    });
    EXPECT_EQ(host().DoModal(kTemplate, first), 1);
    EXPECT_EQ(host().DoModal(kOtherTemplate, second), 2);
    browser.join();
    EXPECT_EQ(opened_.size(), 1u);
    EXPECT_NE(swap.find("\"gen\":2"), std::string::npos) << swap;
    EXPECT_NE(swap.find("\"page\":\"\\u003chtml>\\u003cbody>two"), std::string::npos) << swap;
    EXPECT_NE(swap.find("second's own"), std::string::npos) << swap;
    // Neither the bridge nor the start-up settings come again.
    EXPECT_EQ(swap.find("bridge.js"), std::string::npos) << swap;
    EXPECT_EQ(swap.find("aboutItem"), std::string::npos) << swap;
    EXPECT_NE(reloaded.find("two"), std::string::npos);
    EXPECT_NE(reloaded.find("second's own"), std::string::npos);
    EXPECT_EQ(pictureHeaders.count("Cache-Control"), 1u);
    const auto caching = pictureHeaders.find("Cache-Control");
    ASSERT_NE(caching, pictureHeaders.end());
    EXPECT_TRUE(caching->second.starts_with("private, max-age=")) << caching->second;
}

TEST_F(WebDialogHostTest, ASecondCopyOfThePageThatClosesLeavesTheWizardOpen) {
    ScriptedPage page;
    page.onComplete = [&] { host().SetText("Titel", "shown"); };
    page.onClick = [&](const ElementClick&) {
        host().SetText("Titel", "done");
        host().EndDialog(1);
    };
    std::thread browser([&] {
        BrowserStandIn first(WaitForWindow()), second(WaitForWindow());
        first.Load();
        first.Send("type=complete");
        first.PollFor("shown");
        second.Load();
        second.PollFor("shown");
        // The first copy waits for commands while the second one goes away.
        std::thread waiting([&] { first.PollFor("done"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        second.Send("type=closed");
        // Longer than a closed window is given to come back.
        std::this_thread::sleep_for(std::chrono::milliseconds(3500));
        second.Send("type=click&id=ButtonOK&tag=INPUT&checked=0");
        waiting.join();
    });
    EXPECT_EQ(host().DoModal(kTemplate, page), 1);
    browser.join();
}

TEST_F(WebDialogHostTest, AClosedWindowEndsThePageButAReloadDoesNot) {
    ScriptedPage page;
    int completions = 0;
    page.onComplete = [&] {
        ++completions;
        host().SetText("Titel", "kept");
    };
    std::string replayed;
    std::thread browser([&] {
        BrowserStandIn stand(WaitForWindow());
        stand.Load();
        stand.Send("type=complete");
        stand.PollFor("kept");
        // A reload says it closes and comes straight back with everything
        // sent to the page so far.
        stand.Send("type=closed");
        stand.Load();
        stand.Send("type=complete");
        replayed = stand.PollFor("kept");
        stand.Send("type=closed");
    });
    EXPECT_EQ(host().DoModal(kTemplate, page), kDialogClosed);
    browser.join();
    EXPECT_EQ(completions, 1);
    EXPECT_NE(replayed.find("kept"), std::string::npos);
    // Once the window is gone, no page can be shown any more.
    ScriptedPage next;
    EXPECT_EQ(host().DoModal(kOtherTemplate, next), kDialogClosed);
    EXPECT_EQ(host().MessageBox(kNoOwner, "q", "c", kMbYesNo, kMbIconQuestion), kIdNo);
}

}  // namespace
}  // namespace velk
