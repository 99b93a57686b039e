#include "fakes/fake_dialog_host.h"

#include <utility>

#include "platform/codepage.h"

namespace velk {

int FakeDialogHost::DoModal(int htmlResource, PageEvents& events) {
    shown.push_back(htmlResource);
    ended_ = false;
    askBeforeLeaving = true;
    // Awaited commands are this page's own, not those of a page shown before.
    const std::size_t firstCommand = commands.size();
    events.OnDocumentComplete();
    std::size_t next = 0;
    while (!ended_) {
        RunPosted();
        if (ended_ || next == steps.size()) break;
        const Step step = steps[next++];
        switch (step.kind) {
            case Step::Kind::Click:
                events.OnClick(step.click);
                break;
            case Step::Kind::AwaitCommand:
                while (!ended_ && !HasCommandWith(step.text, firstCommand)) {
                    WaitForPost();
                    RunPosted();
                }
                break;
        }
    }
    steps.erase(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(next));
    return ended_ ? result_ : kLeftOpen;
}

void FakeDialogHost::WaitForPost() {
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [this] { return !tasks_.empty(); });
}

bool FakeDialogHost::HasCommandWith(const std::string& text, std::size_t first) const {
    const std::string wanted = Utf8ToCp1251(text);
    for (std::size_t i = first; i < commands.size(); ++i) {
        if (commands[i].value.find(wanted) != std::string::npos) return true;
    }
    return false;
}

void FakeDialogHost::RunPosted() {
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(mutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

void FakeDialogHost::EndDialog(int result) {
    ended_ = true;
    result_ = result;
}

void FakeDialogHost::SetInnerHtml(std::string_view id, std::string_view html) {
    commands.push_back({"inner", std::string(id), "", std::string(html)});
}

void FakeDialogHost::SetOuterHtml(std::string_view id, std::string_view html) {
    commands.push_back({"outer", std::string(id), "", std::string(html)});
}

void FakeDialogHost::SetAttribute(std::string_view id, std::string_view name,
                                  std::string_view value) {
    commands.push_back({"attr", std::string(id), std::string(name), std::string(value)});
}

void FakeDialogHost::SetText(std::string_view id, std::string_view text) {
    commands.push_back({"text", std::string(id), "", std::string(text)});
}

void FakeDialogHost::SetAskBeforeLeaving(bool ask) { askBeforeLeaving = ask; }

void FakeDialogHost::SetProgress(bool visible, int percent) {
    commands.push_back({"progress", "", visible ? "shown" : "hidden", std::to_string(percent)});
}

void FakeDialogHost::Post(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_all();
}

int FakeDialogHost::MessageBox(WindowHandle, std::string_view text, std::string_view caption,
                               std::uint32_t buttons, std::uint32_t icon) {
    boxes.push_back({std::string(text), std::string(caption), buttons, icon});
    if (answers.empty()) return kIdNo;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeDialogHost::Reset() {
    steps.clear();
    answers.clear();
    shown.clear();
    commands.clear();
    boxes.clear();
    askBeforeLeaving = true;
}

std::string FakeDialogHost::Last(const std::string& op, const std::string& id) const {
    for (auto it = commands.rbegin(); it != commands.rend(); ++it) {
        if (it->op == op && it->id == id) return it->value;
    }
    return {};
}

}  // namespace velk
