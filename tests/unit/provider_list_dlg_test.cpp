#include "pages/provider_list_dlg.h"

#include <gtest/gtest.h>

#include "fakes/fake_dialog_host.h"
#include "fakes/fake_internet.h"
#include "fakes/fake_private_files.h"
#include "fakes/fake_system_info.h"
#include "pages/hallo_dlg.h"
#include "pages/html_page.h"
#include "pages/page_result.h"
#include "platform/codepage.h"
#include "support/test_support.h"

namespace velk {
namespace {

using Host = FakeDialogHost;

// The provider page over a configuration laid out by hand (local mode), so
// that nothing is downloaded.
class ProviderListDlgTest : public ::testing::Test {
  protected:
    ProviderListDlgTest() {
        run_.localMode = true;
        run_.dataFolder = folder_.path().string();
    }

    void WriteProviders(const std::string& yaml) { folder_.Write("providers.yaml", yaml); }

    // Shows the page: the fetch finishes (its outcome reaches the list), then
    // the scripted clicks follow.
    int Show(ProviderListDlg& page, std::vector<Host::Step> clicks) {
        host_.steps = {Host::AwaitCommand("<")};
        host_.steps.insert(host_.steps.end(), clicks.begin(), clicks.end());
        return page.DoModal();
    }

    std::vector<std::string> ChosenNames(const ProviderListDlg& page) const {
        std::vector<std::string> names;
        for (const auto& provider : page.chosen()) names.push_back(Cp1251ToUtf8(provider->name));
        return names;
    }

    static std::string Box(const std::string& utf8Name) {
        return Utf8ToCp1251(utf8Name) + "_chbox";
    }

    test::TempDir folder_;
    RunContext run_;
    Host host_;
    FakeInternet internet_;
    FakeSystemInfo system_;
    FakePrivateFiles privateFiles_;
};

TEST_F(ProviderListDlgTest, ListsEveryProviderAndEscapesTheirNames) {
    WriteProviders(
        "- provider:\n    name: 'ООО \"Торг\" <А&Б>'\n    components: a\n"
        "- provider:\n    name: Лотос\n    components: b\n"
        "- provider:\n    name: 'Торги RES:/PNG/#200'\n    components: c\n");
    ProviderListDlg page(host_, internet_, system_, privateFiles_, run_);
    EXPECT_EQ(Show(page, {}), kPageNone);  // still open: nothing ended it
    EXPECT_EQ(host_.shown, std::vector<int>{154});
    const std::string escaped = "ООО &quot;Торг&quot; &lt;А&amp;Б&gt;";
    EXPECT_EQ(
        Cp1251ToUtf8(host_.Last("inner", "ProviderList")),
        "<table style=\"width: 100%; vertical-align: top;\">"
        "<tr><td style=\"color:#206020;\"><input type=\"checkbox\" id=\"" +
            escaped + "_chbox\"/> <label for=\"" + escaped + "_chbox\">" + escaped +
            "</label></td></tr>"
            "<tr><td style=\"color:#206020;\"><input type=\"checkbox\" id=\"Лотос_chbox\"/> "
            "<label for=\"Лотос_chbox\">Лотос</label></td></tr>"
            // No name reads as a link to the program's pictures.
            "<tr><td style=\"color:#206020;\"><input type=\"checkbox\" "
            "id=\"Торги RES&#58;/PNG/#200_chbox\"/> <label for=\"Торги RES&#58;/PNG/#200_chbox\">"
            "Торги RES&#58;/PNG/#200</label></td></tr></table>");
    EXPECT_EQ(Cp1251ToUtf8(host_.Last("inner", "Titel")),
              "Выберите из списка сайты, для которых требуется осуществить настройку компьютера "
              "для работы с электронно-цифровой подписью, и нажмите кнопку «Далее»");
}

TEST_F(ProviderListDlgTest, TicksKeepTheirOrderAndEqualNamesToggleTogether) {
    WriteProviders(
        "- provider:\n    name: A\n    components: a\n"
        "- provider:\n    name: B\n    components: b\n"
        "- provider:\n    name: C\n    components: c1\n"
        "- provider:\n    name: C\n    components: c2\n");
    ProviderListDlg page(host_, internet_, system_, privateFiles_, run_);
    EXPECT_EQ(Show(page, {Host::Click(Box("B"), "INPUT", true), Host::Click(Box("A")),
                          Host::Click(Box("C")), Host::Click(Box("A")), Host::Click(Box("A")),
                          Host::Click("ButtonOK")}),
              kPageNext);
    EXPECT_EQ(ChosenNames(page), (std::vector<std::string>{"B", "C", "C", "A"}));
    EXPECT_TRUE(host_.boxes.empty());
}

TEST_F(ProviderListDlgTest, NextWithoutATickAsksWhetherToLeave) {
    WriteProviders("- provider:\n    name: A\n    components: a\n");
    ProviderListDlg page(host_, internet_, system_, privateFiles_, run_);
    host_.answers = {kIdNo, kIdYes};
    EXPECT_EQ(Show(page, {Host::Click("ButtonOK"), Host::Click("ButtonOK")}), kPageExit);
    ASSERT_EQ(host_.boxes.size(), 2u);
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].text),
              "Не выбрано ни одного сайта из списка. Завершить работу мастера установки?");
    EXPECT_EQ(host_.boxes[0].caption, ProductCaption());
    EXPECT_EQ(host_.boxes[0].buttons, kMbYesNo);
    EXPECT_EQ(host_.boxes[0].icon, kMbIconQuestion);
}

TEST_F(ProviderListDlgTest, AConfigurationErrorShowsInRedAndOnlyTheButtonsWork) {
    WriteProviders("- provider:\n    name: [unclosed\n");
    ProviderListDlg page(host_, internet_, system_, privateFiles_, run_);
    host_.answers = {kIdNo};
    EXPECT_EQ(Show(page, {Host::Click("ButtonCancel"), Host::Click("ButtonBack")}), kPageBack);
    EXPECT_EQ(Cp1251ToUtf8(host_.Last("inner", "ProviderList")),
              "<p style=\"color: red;\">Неверный формат файла</p>");
    EXPECT_EQ(host_.Last("inner", "Titel"), "");
    ASSERT_EQ(host_.boxes.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(host_.boxes[0].text),
              "Вы действительно хотите завершить работу мастера установки?");
}

TEST(HtmlHalloDlg, NextEndsThePageAndOtherClicksDoNot) {
    Host host;
    HtmlHalloDlg page(host);
    host.steps = {Host::Click("Hello"), Host::Click("ButtonBack"), Host::Click("ButtonOK")};
    EXPECT_EQ(page.DoModal(), kPageNext);
    EXPECT_EQ(host.shown, std::vector<int>{103});
    EXPECT_TRUE(host.commands.empty());
}

}  // namespace
}  // namespace velk
