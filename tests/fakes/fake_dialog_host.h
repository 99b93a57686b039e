#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/html_dialog.h"

namespace velk {

// A window that plays a script instead of a user: DoModal reports the document
// complete, then takes the steps in order (clicks, or waiting for work posted
// from another thread until a command shows up), and records everything the page asked of it.
class FakeDialogHost : public HtmlDialogHost {
  public:
    // DoModal's answer when the script ran out and the page did not end.
    static constexpr int kLeftOpen = -1;

    struct Step {
        enum class Kind { Click, AwaitCommand } kind;
        ElementClick click;
        std::string text;  // AwaitCommand: waits until a command of this page holds it
    };
    static Step Click(std::string id, std::string tag = "INPUT", bool checked = false) {
        return {Step::Kind::Click, {std::move(id), std::move(tag), checked}, {}};
    }
    // Runs posted work until a command of the page being shown contains text (UTF-8 text
    // is compared after conversion to Windows-1251).
    static Step AwaitCommand(std::string text) {
        return {Step::Kind::AwaitCommand, {}, std::move(text)};
    }

    struct Command {
        std::string op, id, name, value;
    };
    struct Box {
        std::string text, caption;
        std::uint32_t buttons, icon;
    };

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

    // The last HTML or text given to an element by op ("inner", "outer",
    // "text"), or "" when none was.
    std::string Last(const std::string& op, const std::string& id) const;

    // Forgets the script and everything recorded, for the next showing.
    void Reset();

    std::vector<Step> steps;
    std::deque<int> answers;  // for message boxes; an empty queue answers No
    std::vector<int> shown;
    std::vector<Command> commands;
    std::vector<Box> boxes;
    bool askBeforeLeaving = true;

  private:
    void RunPosted();
    void WaitForPost();
    bool HasCommandWith(const std::string& text, std::size_t first) const;

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace velk
