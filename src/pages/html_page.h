#pragma once

#include <string>
#include <string_view>

#include "platform/html_dialog.h"

namespace velk {

// The product's name, the caption of its questions and notices (Windows-1251).
const std::string& ProductCaption();

// What every page shares: its template, the three buttons bound by id, clicks
// on any input element, the exit question and the result it ends with.
class HtmlPage : protected PageEvents {
  public:
    ~HtmlPage() override = default;
    HtmlPage(const HtmlPage&) = delete;
    HtmlPage& operator=(const HtmlPage&) = delete;

    // Shows the page until it ends; returns its result (1 to 4, or 0).
    int DoModal();

  protected:
    HtmlPage(HtmlDialogHost& host, int htmlResource);

    HtmlDialogHost& host() { return host_; }
    void End(int result) { host_.EndDialog(result); }

    // The exit question; true when the user wants to leave.
    bool ConfirmExit();
    // A Yes/No question with the question icon; true for Yes.
    bool Ask(std::string_view text);

    void OnDocumentComplete() override {}
    virtual void OnOk() {}
    virtual void OnBack() {}
    virtual void OnCancel() {}
    // Any input element, buttons included, after the button's own handler.
    virtual void OnInput(const ElementClick& click) { (void)click; }

  private:
    void OnClick(const ElementClick& click) final;

    HtmlDialogHost& host_;
    int htmlResource_;
};

}  // namespace velk
