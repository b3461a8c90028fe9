// The resources of the built program compared with the layout it must
// have: the three dialog templates, the string table, the version block,
// the manifest and the icon. The expected values are written out here, not
// taken from the .rc files, so that they check what windres made of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "built_program.h"
#include "resource_formats.h"

namespace {

using namespace kvtest;

constexpr uint16_t kJapanese = 0x0411;

// Styles, with the values of the Windows SDK.
constexpr uint32_t kChild = 0x40000000 | 0x10000000;    // WS_CHILD | WS_VISIBLE
constexpr uint32_t kGroup = 0x00020000;                 // WS_GROUP
constexpr uint32_t kTabStop = 0x00010000;               // WS_TABSTOP
constexpr uint32_t kDialogStyle = 0x90C800C0;           // popup, visible, caption, system menu, modal frame, set font
constexpr uint32_t kText = kChild | kGroup;             // SS_LEFT, as LTEXT makes it
constexpr uint32_t kDefPush = kChild | kTabStop | 0x1;  // BS_DEFPUSHBUTTON
constexpr uint32_t kPush = kChild | kTabStop;           // BS_PUSHBUTTON
constexpr uint32_t kAutoRadio = kChild | 0x9;           // BS_AUTORADIOBUTTON
constexpr uint32_t kAutoCheck = kChild | 0x3;           // BS_AUTOCHECKBOX
// ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY, WS_VSCROLL | WS_BORDER
constexpr uint32_t kReadmeBox = kChild | kTabStop | 0x4 | 0x40 | 0x80 | 0x800 | 0x00200000 | 0x00800000;
constexpr uint32_t kNoId = 0xFFFFFFFF;  // -1: a static text without an id of its own

const char16_t kTitle[] = u"Windows(R) XP SP2 対応 Kestrovane 設定ツール";
const char16_t kFont[] = u"ＭＳ Ｐゴシック";
// The layout names only face and size; weight and character set are those
// the templates chose.
constexpr uint16_t kFontWeight = 0;    // FW_DONTCARE
constexpr uint8_t kFontCharset = 128;  // SHIFTJIS_CHARSET

struct ExpectedControl {
  uint32_t id;
  uint16_t atom;
  uint32_t style;
  int16_t x, y, cx, cy;
  const char16_t* text;
};

struct ExpectedDialog {
  uint16_t id;
  int16_t cx, cy;
  std::vector<ExpectedControl> controls;  // in tab order
};

const ExpectedDialog kDialogs[] = {
    {105, 305, 225, {
      {kNoId, kStatic, kText, 7, 7, 291, 33,
       u"本プログラムは、クライアント－サーバシステムにおいてKestrovaneをご利用のお客様が、Windows(R) XP Service Pack 2環境をご使用の場合に、以下の設定およびKestrovaneのアップデートを行うプログラムです。"},
      {kNoId, kStatic, kText, 15, 43, 283, 8,
       u"●Windows ファイアウォール経由でのコンピュータ間の通信を許可する環境設定"},
      {kNoId, kStatic, kText, 22, 55, 276, 20,
       u"- 例外プログラムにKestrovane通信プログラムを追加します。\n- 「ファイルとプリンタの共有」サービスを有効にします。"},
      {kNoId, kStatic, kText, 15, 80, 283, 8, u"●Kestrovaneのプログラムアップデート"},
      {kNoId, kStatic, kText, 22, 92, 276, 15,
       u"- Windows(R) XP Service Pack 2に対応したKestrovaneの通信プログラムに更新します。"},
      {kNoId, kStatic, kText, 7, 121, 284, 8, u"※ご利用の前に"},
      {kNoId, kStatic, kText, 15, 134, 282, 39,
       u"「次へ」をクリック後に表示されるWindows ファイアウォール経由によるコンピュータ間の通信許可に関する説明をお読みになり、正しくご利用ください。\n\n「次へ」をクリックしてください。"},
      {1, kButton, kDefPush, 185, 204, 50, 14, u"次へ(&N) >"},
      {2, kButton, kPush, 248, 204, 50, 14, u"ｷｬﾝｾﾙ"},
    }},
    {103, 305, 225, {
      {1005, kStatic, kText, 7, 7, 291, 11, u"Windows(R) XP SP2 対応 Kestrovane 設定ツールの説明"},
      {kNoId, kStatic, kText, 13, 23, 224, 16, u"次の説明を最後まで注意深くお読みになり、選択してください。"},
      {1004, kEdit, kReadmeBox, 7, 46, 291, 103, u""},
      {1000, kButton, kAutoRadio | kGroup | kTabStop, 7, 154, 235, 11, u"本ツールによる環境設定変更に同意する(&A)"},
      {1001, kButton, kAutoRadio, 7, 188, 235, 11, u"本ツールによる環境設定変更に同意しない(&N)"},
      {1006, kButton, kAutoCheck | kGroup | kTabStop, 17, 169, 260, 10,
       u"Kestrovaneの例外設定のスコープを「任意」にする(&S)"},
      {1, kButton, kDefPush, 185, 204, 50, 14, u"OK"},
      {2, kButton, kPush, 248, 204, 50, 14, u"キャンセル"},
    }},
    {104, 305, 205, {
      {kNoId, kStatic, kText, 7, 7, 291, 33,
       u"Kestrovane による Windows ファイアウォールを経由したネットワーク接続の許可を削除します。\nまた、Kestrovane が必要とした 「ファイルとプリンタの共有」によるネットワーク接続の許可を無効にできます。"},
      {1001, kButton, kAutoCheck | kGroup | kTabStop, 7, 47, 291, 11, u"ネットワークへの接続許可を削除する(&D)"},
      {1002, kButton, kAutoCheck | kTabStop, 7, 91, 291, 11,
       u"「ファイルとプリンタの共有」の接続許可を無効にする(&R)"},
      {kNoId, kStatic, kText, 18, 64, 280, 18, u"Kestrovane を Windows ファイアウォール の例外一覧から削除します。"},
      {1003, kStatic, kText, 18, 108, 280, 32,
       u"「ファイルとプリンタの共有」を Windows ファイアウォール の例外一覧で無効にします。\n※無効にすると、それを必要とするプログラムがある場合、正常に機能しなくなる可能性があります。"},
      {1, kButton, kDefPush, 185, 184, 50, 14, u"OK"},
      {2, kButton, kPush, 248, 184, 50, 14, u"キャンセル"},
    }},
};

// Ids 5000-5040, every entry of the table (5027 included: the program
// carries it though no run shows it).
const std::map<uint16_t, std::u16string> kStrings = {
    {5000, u"Windows(R) XP SP2 対応 Kestrovane 設定ツール"},
    {5008, u"設定を完了しました。\n"},
    {5009, u"設定の削除を完了しました。\n"},
    {5010,
     u"設定を完了しました。\nKestrovaneを正常に動作させる為には再起動を行う必要があります。\n今すぐ再起動しますか？"},
    {5024, u"ご使用のOSでは、本プログラムでの設定変更の必要はありません。\nプログラムを終了します。"},
    {5025, u"実行権限がありません。\n本プログラムは、コンピュータの管理者で実行してください。"},
    {5026, u"Windows ファイアウォール の設定変更は必要ありません。\nKestrovane がインストールされていません。"},
    {5027, u"Windows ファイアウォール の設定変更は必要ありません。\nすでに設定を完了しています。"},
    {5028,
     u"Windows ファイアウォール の設定削除は必要ありません。\n設定変更を行ったことが無いか、すでに設定の削除を完了しています。"},
    {5029, u"Windows ファイアウォール の設定変更に失敗しました。\n詳しくは、システム管理者にお問い合わせください。"},
    {5040,
     u"'Windows(R) XP SP2 対応 Kestrovane 設定ツール' での設定を完了するために、システムの再起動が実行されました。"},
};

// The version block: fixed part and the entries of StringFileInfo\041104B0
// that the program must carry (it may have more).
constexpr uint32_t kFileVersion[] = {(2u << 16) | 300, (407u << 16) | 9};  // 2.300.407.9
constexpr uint32_t kProductVersion[] = {(2u << 16) | 300, 0};              // 2.300.0.0
const std::map<std::u16string, std::u16string> kVersionStrings = {
    {u"FileDescription", u"Kestrovane Update"},
    {u"FileVersion", u"2,300,407,09"},
    {u"InternalName", u"KV_UPDAT"},
    {u"OriginalFilename", u"KV_UPDAT.EXE"},
    {u"ProductName", u"ZAM Kestrovane Update"},
    {u"ProductVersion", u"2,300,000,00"},
};

// The manifest's dependency on the common controls.
const std::map<std::string, std::string> kCommonControls = {
    {"type", "win32"},
    {"name", "Microsoft.Windows.Common-Controls"},
    {"version", "6.0.0.0"},
    {"processorArchitecture", "x86"},        // compared without case
    {"publicKeyToken", "6595b64144ccf1df"},  // compared without case
    {"language", "*"},
};

// Text for messages: UTF-8, line breaks shown as \n.
std::string Show(const std::u16string& text) {
  std::string shown;
  for (char c : Utf8(text))
    shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
  return '"' + shown + '"';
}

std::string Show(const ResourceName& name) {
  return name.text.empty() ? "#" + std::to_string(name.id) : Show(name.text);
}

// Every field of a control, or of a dialog without its controls: what the
// checks compare, and what a failure shows.
std::string Describe(const DialogControl& c) {
  char numbers[120];
  std::snprintf(numbers, sizeof numbers, "id %d style 0x%08X exstyle 0x%X help %u at %d,%d size %dx%d extra %u",
                static_cast<int>(c.id), c.style, c.exStyle, c.helpId, c.x, c.y, c.cx, c.cy, c.extraBytes);
  return numbers + (" class " + Show(c.windowClass)) + " text " + Show(c.text);
}

std::string Describe(const DialogTemplate& d) {
  char numbers[200];
  std::snprintf(numbers, sizeof numbers,
                "style 0x%08X exstyle 0x%X help %u at %d,%d size %dx%d font %u weight %u italic %u charset %u",
                d.style, d.exStyle, d.helpId, d.x, d.y, d.cx, d.cy, d.pointSize, d.weight, d.italic, d.charset);
  return numbers + (", menu " + Show(d.menu)) + ", class " + Show(d.windowClass) + ", title " + Show(d.title) +
         ", typeface " + Show(d.typeface);
}

DialogTemplate Expected(const ExpectedDialog& e) {
  DialogTemplate d;
  d.style = kDialogStyle;
  d.cx = e.cx;
  d.cy = e.cy;
  d.title = kTitle;
  d.pointSize = 9;
  d.weight = kFontWeight;
  d.charset = kFontCharset;
  d.typeface = kFont;
  for (const ExpectedControl& c : e.controls) {
    DialogControl control;
    control.id = c.id;
    control.windowClass.id = c.atom;
    control.style = c.style;
    control.x = c.x, control.y = c.y, control.cx = c.cx, control.cy = c.cy;
    control.text.text = c.text;
    d.controls.push_back(control);
  }
  return d;
}

// The one resource of this type and name; it must be Japanese when
// `language` is given.
const PeResource* Single(uint16_t type, uint16_t name, int language = -1) {
  const std::vector<const PeResource*> found = BuiltProgram().Find(type, name);
  EXPECT_EQ(found.size(), 1u) << "resource type " << type << " name " << name << " should exist once, in one language";
  if (found.size() != 1) return nullptr;
  if (language >= 0) {
    EXPECT_EQ(found[0]->language, language) << "language of resource type " << type << " name " << name;
  }
  return found[0];
}

TEST(ProgramResources, DialogsAreLaidOutControlByControl) {
  for (const ExpectedDialog& e : kDialogs) {
    SCOPED_TRACE("dialog " + std::to_string(e.id));
    const PeResource* resource = Single(kRtDialog, e.id, kJapanese);
    if (!resource) continue;
    DialogTemplate dialog;
    std::string error;
    ASSERT_TRUE(ParseDialogEx(resource->data, &dialog, &error)) << error;
    const DialogTemplate expected = Expected(e);
    EXPECT_TRUE(Describe(dialog) == Describe(expected))
        << "    is " << Describe(dialog) << "\nexpected " << Describe(expected);
    EXPECT_EQ(dialog.controls.size(), expected.controls.size()) << "number of controls";
    for (size_t i = 0; i < std::min(dialog.controls.size(), expected.controls.size()); ++i)
      EXPECT_TRUE(Describe(dialog.controls[i]) == Describe(expected.controls[i]))
          << "control " << i << " in tab order\n    is " << Describe(dialog.controls[i]) << "\nexpected "
          << Describe(expected.controls[i]);
  }
}

TEST(ProgramResources, StringTableHoldsEveryTextOnce) {
  std::map<uint16_t, std::u16string> strings;
  for (uint16_t block = 5000 / 16 + 1; block <= 5040 / 16 + 1; ++block) {
    const PeResource* resource = Single(kRtString, block, kJapanese);
    std::string error;
    if (resource) {
      EXPECT_TRUE(ParseStringBlock(block, resource->data, &strings, &error)) << error;
    }
  }
  const auto& found = strings;
  for (uint16_t id = 5000; id <= 5040; ++id) {
    const auto is = found.find(id), expected = kStrings.find(id);
    const bool there = is != found.end(), wanted = expected != kStrings.end();
    EXPECT_TRUE(there == wanted && (!there || is->second == expected->second))
        << "string " << id << "\n    is " << (there ? Show(is->second) : "missing") << "\nexpected "
        << (wanted ? Show(expected->second) : "none: not one of the tool's texts");
  }
}

TEST(ProgramResources, VersionBlockIsJapaneseWithTheProductsNumbersAndNames) {
  const PeResource* resource = Single(kRtVersion, 1, kJapanese);
  ASSERT_TRUE(resource);
  VersionNode root;
  std::string error;
  ASSERT_TRUE(ParseVersionBlock(resource->data, &root, &error)) << error;
  EXPECT_EQ(Utf8(root.key), "VS_VERSION_INFO");
  EXPECT_EQ(root.U32(0), 0xFEEF04BDu) << "VS_FIXEDFILEINFO signature";
  EXPECT_EQ(root.U32(8), kFileVersion[0]) << "file version, high half";
  EXPECT_EQ(root.U32(12), kFileVersion[1]) << "file version, low half";
  EXPECT_EQ(root.U32(16), kProductVersion[0]) << "product version, high half";
  EXPECT_EQ(root.U32(20), kProductVersion[1]) << "product version, low half";

  const VersionNode* files = root.Child(u"StringFileInfo");
  const VersionNode* table = files ? files->Child(u"041104B0") : nullptr;
  ASSERT_TRUE(table) << "StringFileInfo\\041104B0 is missing";
  for (const auto& entry : kVersionStrings) {
    const VersionNode* value = table->Child(entry.first);
    if (!value) {
      ADD_FAILURE() << Utf8(entry.first) << " is missing";
      continue;
    }
    EXPECT_TRUE(value->text) << Utf8(entry.first) << " is not stored as text";
    EXPECT_TRUE(value->Text() == entry.second)
        << Utf8(entry.first) << " is " << Show(value->Text()) << ", expected " << Show(entry.second);
  }
  const VersionNode* vars = root.Child(u"VarFileInfo");
  const VersionNode* translation = vars ? vars->Child(u"Translation") : nullptr;
  ASSERT_TRUE(translation) << "VarFileInfo\\Translation is missing";
  EXPECT_EQ(translation->value.size(), 4u) << "one language and code page";
  EXPECT_EQ(translation->U32(0), 0x04B00411u) << "Japanese (0x0411), Unicode (1200)";
}

TEST(ProgramResources, ManifestAsksForCommonControlsSix) {
  // Windows XP reads the manifest of an executable from resource id 1 only.
  const PeResource* resource = Single(kRtManifest, 1);
  ASSERT_TRUE(resource);
  const std::string xml(resource->data.begin(), resource->data.end());
  const std::vector<XmlElement> assembly = XmlElements(xml, "assembly");
  ASSERT_EQ(assembly.size(), 1u) << xml;
  EXPECT_EQ(assembly[0].Attribute("manifestVersion"), "1.0");

  std::vector<std::map<std::string, std::string>> commonControls;
  for (const XmlElement& dependent : XmlElements(xml, "dependentAssembly"))
    for (XmlElement identity : XmlElements(dependent.content, "assemblyIdentity"))
      if (identity.Attribute("name") == "Microsoft.Windows.Common-Controls") {
        for (const char* caseless : {"processorArchitecture", "publicKeyToken"})
          for (char& c : identity.attributes[caseless])
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        commonControls.push_back(identity.attributes);
      }
  ASSERT_EQ(commonControls.size(), 1u) << "one dependency on the common controls:\n" << xml;
  EXPECT_EQ(commonControls[0], kCommonControls) << xml;
}

TEST(ProgramResources, IconGroupHasBitmapsOfSixteenAndThirtyTwo) {
  // The shell shows the first icon group of a program: it must be 128.
  const std::vector<PeResource>& all = BuiltProgram().resources;
  const auto first = std::find_if(all.begin(), all.end(),
                                  [](const PeResource& r) { return r.type.text.empty() && r.type.id == kRtGroupIcon; });
  ASSERT_NE(first, all.end()) << "no icon group";
  EXPECT_EQ(Show(first->name), "#128") << "the first icon group";

  const PeResource* group = Single(kRtGroupIcon, 128);
  ASSERT_TRUE(group);
  std::vector<IconGroupEntry> entries;
  std::string error;
  ASSERT_TRUE(ParseIconGroup(group->data, &entries, &error)) << error;
  for (int size : {16, 32}) {
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const IconGroupEntry& e) { return e.width == size && e.height == size; });
    if (entry == entries.end()) {
      ADD_FAILURE() << "no " << size << "x" << size << " image in icon group 128";
      continue;
    }
    const std::vector<const PeResource*> icon = BuiltProgram().Find(kRtIcon, entry->iconId);
    ASSERT_EQ(icon.size(), 1u) << "RT_ICON " << entry->iconId << " of the " << size << "x" << size << " entry";
    EXPECT_EQ(icon[0]->data.size(), entry->bytes) << "size recorded in the group";
    IconImage image;
    ASSERT_TRUE(ParseIconImage(icon[0]->data, &image, &error)) << error;
    EXPECT_FALSE(image.png) << "Windows XP cannot draw PNG icons";
    EXPECT_EQ(image.width, size);
    EXPECT_EQ(image.height, 2 * size) << "image and mask";
  }
}

}  // namespace
