#pragma once

#include "pages/html_page.h"

namespace velk {

// The welcome page: one Next button.
class HtmlHalloDlg final : public HtmlPage {
  public:
    explicit HtmlHalloDlg(HtmlDialogHost& host);

  private:
    void OnOk() override;
};

}  // namespace velk
