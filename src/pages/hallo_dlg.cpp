#include "pages/hallo_dlg.h"

#include "pages/page_result.h"
#include "resource_ids.h"

namespace velk {

HtmlHalloDlg::HtmlHalloDlg(HtmlDialogHost& host) : HtmlPage(host, VELK_PAGE_HALLO) {}

void HtmlHalloDlg::OnOk() { End(kPageNext); }

}  // namespace velk
