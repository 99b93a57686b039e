#include "pages/html_page.h"

#include "pages/page_result.h"
#include "platform/codepage.h"

namespace velk {

const std::string& ProductCaption() {
    static const std::string caption = Utf8ToCp1251("Программный комплекс «Тивран»");
    return caption;
}

HtmlPage::HtmlPage(HtmlDialogHost& host, int htmlResource)
    : host_(host), htmlResource_(htmlResource) {}

int HtmlPage::DoModal() { return ToPageResult(host_.DoModal(htmlResource_, *this)); }

bool HtmlPage::Ask(std::string_view text) {
    return host_.MessageBox(kNoOwner, text, ProductCaption(), kMbYesNo, kMbIconQuestion) == kIdYes;
}

bool HtmlPage::ConfirmExit() {
    static const std::string question =
        Utf8ToCp1251("Вы действительно хотите завершить работу мастера установки?");
    return Ask(question);
}

void HtmlPage::OnClick(const ElementClick& click) {
    if (click.id == "ButtonOK") {
        OnOk();
    } else if (click.id == "ButtonBack") {
        OnBack();
    } else if (click.id == "ButtonCancel") {
        OnCancel();
    }
    if (click.tag == "INPUT") OnInput(click);
}

}  // namespace velk
