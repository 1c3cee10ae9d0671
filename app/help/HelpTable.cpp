#include "app/help/HelpTable.h"

#include <array>

namespace nemora::app {
namespace {

// Labels, units and group boxes carry the number of the field they
// describe, so a request over a label shows the field's popup.
constexpr std::array<HelpRow, 20> kMainControls = {{
    {1002, 520},  // button 読込み
    {1004, 528},  // button 暗号化/保存
    {1005, 514},  // file field
    {1051, 514},  // its group box ロックするファイル
    {1006, 515},  // password field
    {1041, 515},  // its label
    {1090, 515},  // its reveal button, ours
    {1007, 516},  // prompt field
    {1011, 516},  // its label
    {1036, 517},  // check box Cookieを利用する
    {1043, 517},  // the cookie group box
    {1037, 518},  // keyword field
    {1039, 518},  // its label
    {1038, 519},  // lifetime combo
    {1040, 519},  // its label
    {1042, 519},  // its unit 日
    {1044, 534},  // check box パスワード保存の確認
    {1047, 535},  // check box コメントの作成
    {1101, 536},  // check box 強力な保護, ours
    {1049, kHelpLogo},
}};

constexpr std::array<HelpRow, 8> kMainMenuItems = {{
    {32771, 520},  // 読込み(&O)
    {32772, 528},  // 暗号化して保存(&A)...
    {32790, 540},  // ブラウザで開く(&B), ours
    {32776, 521},  // 詳細(&D)...
    {32777, 537},  // 英語のページを作成(&E), ours
    {32773, 531},  // 終了(&X)
    {57670, 532},  // 目次(&H)
    {32774, 533},  // Vostel Nemoraについて(&A)...
}};

constexpr std::array<HelpRow, 10> kDetailsControls = {{
    {1, 773},     // OK
    {1000, 770},  // size of the page as read
    {1014, 770},  // its unit byte
    {1017, 770},  // its label 元データサイズ
    {1001, 771},  // size of the data to be written
    {1013, 771},  // its label 作成データサイズ
    {1016, 771},  // its unit byte
    {1055, 772},  // character-code combo
    {1056, 772},  // its label 文字コード
    {1049, kHelpLogo},
}};

}  // namespace

HelpRequest HelpTable::Lookup(HelpTarget target, std::uint32_t id) const {
    const std::span<const HelpRow> rows =
        target == HelpTarget::MenuItem && !menuItemsUseControls ? menuItems : controls;
    for (const HelpRow& row : rows) {
        if (row.id == id) {
            return {row.context, HelpKind::Popup};
        }
    }
    return {otherTopic, HelpKind::Topic};
}

const HelpTable kMainWindowHelp{kMainControls, kMainMenuItems, false, 513};
const HelpTable kDetailsHelp{kDetailsControls, {}, true, 769};
const HelpTable kAboutHelp{{}, {}, true, kHelpAbout};

}  // namespace nemora::app
