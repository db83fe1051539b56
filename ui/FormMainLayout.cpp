#include "ui/FormMainLayout.h"

namespace ui {

namespace {

// "SMFナイフ" names both the converter box and the group box.
const char kSmfKnife[] =
    "SMF\x83i\x83"
    "C\x83t";
// "デフォルトコンフィグファイル": the tooltip of the configuration button and field.
const char kDefaultConfigTip[] =
    "\x83"
    "f\x83t\x83H\x83\x8b\x83g\x83R\x83\x93\x83t\x83"
    "B\x83O\x83t\x83@\x83"
    "C\x83\x8b";

}  // namespace

const char kFormLayoutCaption[] = "Vellacord";
const char kFormFontFace[] =
    "\x82l\x82r \x82o\x83S\x83V\x83"
    "b\x83N";  // ＭＳ Ｐゴシック
const char kTitleFontFace[] = "Century";
const char kVersionNotice[] = "(C) Vellacord developers";

using K = ControlKind;
using P = ControlParent;
using F = FormControl;

const ControlLayout kFormMainLayout[kFormControlCount] = {
    {F::LabelTitle, "LabelTitle", K::Label, P::Form, 0, 0, 422, 28, -1, "  Vellacord", nullptr},
    {F::LabelVersion, "LabelVersion", K::Label, P::Form, 235, 15, 180, 12, -1, kVersionNotice,
     nullptr},
    {F::LabelCache, "LabelCache", K::Label, P::Form, 235, 38, 105, 12, -1,
     "\x83L\x83\x83\x83"
     "b\x83V\x83\x85\x83t\x83@\x83"
     "C\x83\x8b\x90\x94",  // キャッシュファイル数
     nullptr},
    {F::CheckBoxSMFKnife, "CheckBoxSMFKnife", K::CheckBox, P::Form, 15, 35, 97, 20, 3, kSmfKnife,
     nullptr},
    {F::CheckBoxRCPCV, "CheckBoxRCPCV", K::CheckBox, P::Form, 125, 35, 86, 20, 4, "RCPCV", nullptr},
    {F::EditCache, "EditCache", K::Edit, P::Form, 350, 34, 61, 20, 5, nullptr, nullptr},
    {F::GroupBoxSMFKnife, "GroupBoxSMFKnife", K::GroupBox, P::Form, 5, 60, 411, 96, 6, kSmfKnife,
     nullptr},
    {F::ButtonSMFKConfig, "ButtonSMFKConfig", K::Button, P::GroupBox, 10, 20, 111, 20, 0,
     "\x83R\x83\x93\x83t\x83"
     "B\x83O\x83t\x83@\x83"
     "C\x83\x8b...",  // コンフィグファイル...
     kDefaultConfigTip},
    {F::EditSMFKConfig, "EditSMFKConfig", K::Edit, P::GroupBox, 125, 20, 266, 20, 1, nullptr,
     kDefaultConfigTip},
    // リズムパートをCh.10に統合する
    {F::CheckBoxSMFKCh10, "CheckBoxSMFKCh10", K::CheckBox, P::GroupBox, 10, 45, 191, 17, 2,
     "\x83\x8a\x83Y\x83\x80\x83p\x81[\x83g\x82\xf0"
     "Ch.10\x82\xc9\x93\x9d\x8d\x87\x82\xb7\x82\xe9",
     nullptr},
    // バンクセレクト例外処理をする
    {F::CheckBoxSMFKBank, "CheckBoxSMFKBank", K::CheckBox, P::GroupBox, 205, 45, 191, 17, 3,
     "\x83o\x83\x93\x83N\x83Z\x83\x8c\x83N\x83g\x97\xe1\x8aO\x8f\x88\x97\x9d\x82\xf0\x82\xb7\x82"
     "\xe9",
     nullptr},
    // MAC BINARY を カットする
    {F::CheckBoxSMFKMac, "CheckBoxSMFKMac", K::CheckBox, P::GroupBox, 10, 70, 191, 17, 4,
     "MAC BINARY \x82\xf0 \x83J\x83"
     "b\x83g\x82\xb7\x82\xe9",
     nullptr},
    // CC#64をノートイベントで置換する
    {F::CheckBoxSMFKCC64, "CheckBoxSMFKCC64", K::CheckBox, P::GroupBox, 205, 70, 201, 17, 5,
     "CC#64\x82\xf0\x83m\x81[\x83g\x83"
     "C\x83x\x83\x93\x83g\x82\xc5\x92u\x8a\xb7\x82\xb7\x82\xe9",
     nullptr},
    {F::BtnOK, "BtnOK", K::Button, P::Form, 85, 170, 75, 25, 0, "OK", nullptr},
    {F::BtnCancel, "BtnCancel", K::Button, P::Form, 175, 170, 75, 25, 1,
     "\x83L\x83\x83\x83\x93\x83Z\x83\x8b",  // キャンセル
     nullptr},
    {F::BtnHelp, "BtnHelp", K::Button, P::Form, 265, 170, 75, 25, 2,
     "\x83w\x83\x8b\x83v",  // ヘルプ
     nullptr},
};

const ControlLayout& LayoutOf(FormControl id) {
    return kFormMainLayout[static_cast<std::size_t>(id)];
}

}  // namespace ui
