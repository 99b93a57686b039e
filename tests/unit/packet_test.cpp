#include "tasks/packet.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace velk {
namespace {

TEST(PacketLabel, TitleOrNameThenVersionAndBitsEachAfterABlank) {
    struct Case {
        const char* title;
        const char* name;
        const char* version;
        const char* bits;
        const char* label;
    };
    const Case cases[] = {
        {"Криптопровайдер", "Crypto Provider", "4.0", "x64", "Криптопровайдер 4.0 x64"},
        {"", "Crypto Provider", "4.0", "x32", "Crypto Provider 4.0 x32"},
        {"", "Crypto Provider", "", "", "Crypto Provider  "},
        {"Драйвер", "", "", "all", "Драйвер  all"},
        {"", "", "", "", "  "},
    };
    for (const auto& c : cases) {
        Packet packet;
        packet.title = Utf8ToCp1251(c.title);
        packet.name = c.name;
        packet.version = c.version;
        packet.bits = c.bits;
        EXPECT_EQ(Cp1251ToUtf8(PacketLabel(packet)), c.label);
    }
}

TEST(PacketStatusText, InstalledTextForInstalledStatesAndWordsOtherwise) {
    struct Case {
        int status;
        const char* installedText;
        const char* text;
    };
    const Case cases[] = {
        {1, "Crypto Provider 4.0", "не установлено"},
        {2, "", "загружено"},
        {3, "Crypto Provider 4.0.9842", "Crypto Provider 4.0.9842"},
        {3, "", "установлено"},
        {4, "Crypto Provider 3.6", "Crypto Provider 3.6"},
        {4, "", "установлено"},
        {6, "Crypto Provider 4.0", "ошибка"},
        {0, "", "неизвестный статус"},
        {5, "x", "неизвестный статус"},
    };
    for (const auto& c : cases) {
        Packet packet;
        packet.status = static_cast<TaskStatus>(c.status);
        packet.installedText = c.installedText;
        EXPECT_EQ(Cp1251ToUtf8(PacketStatusText(packet)), c.text) << "status " << c.status;
    }
}

}  // namespace
}  // namespace velk
