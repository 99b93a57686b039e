#include "pages/hallo_dlg.h"

#include "pages/page_result.h"

namespace velk {

namespace {
constexpr int kHtmlResource = 103;
}

HtmlHalloDlg::HtmlHalloDlg(HtmlDialogHost& host) : HtmlPage(host, kHtmlResource) {}

void HtmlHalloDlg::OnOk() { End(kPageNext); }

}  // namespace velk
