#include "resource_formats.h"

#include <regex>

#include "byte_reader.h"

namespace kvtest {

namespace {

constexpr uint32_t kDsSetFont = 0x40;

uint64_t Align4(uint64_t offset) { return (offset + 3) & ~uint64_t(3); }

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// sz_Or_Ord: 0 (none), 0xFFFF and an ordinal, or a NUL-terminated name.
ResourceName NameOrOrdinal(const ByteReader& in, uint64_t* offset) {
  ResourceName name;
  if (in.U16(*offset) == 0xFFFF) {
    name.id = in.U16(*offset + 2);
    *offset += 4;
  } else {
    name.text = in.WideText(offset);
  }
  return name;
}

ResourceName PredefinedAsAtom(ResourceName windowClass) {
  static const char16_t* const kNames[] = {u"BUTTON", u"EDIT", u"STATIC", u"LISTBOX", u"SCROLLBAR", u"COMBOBOX"};
  std::u16string upper;
  for (char16_t c : windowClass.text) upper.push_back(Upper(c));
  for (uint16_t i = 0; i < 6; ++i)
    if (upper == kNames[i]) return ResourceName{static_cast<uint16_t>(0x80 + i), u""};
  return windowClass;
}

void ReadDialog(const ByteReader& in, DialogTemplate* dialog) {
  if (in.U16(0) != 1 || in.U16(2) != 0xFFFF) throw Malformed("not an extended dialog template");
  dialog->helpId = in.U32(4);
  dialog->exStyle = in.U32(8);
  dialog->style = in.U32(12);
  const uint16_t count = in.U16(16);
  dialog->x = static_cast<int16_t>(in.U16(18));
  dialog->y = static_cast<int16_t>(in.U16(20));
  dialog->cx = static_cast<int16_t>(in.U16(22));
  dialog->cy = static_cast<int16_t>(in.U16(24));
  uint64_t at = 26;
  dialog->menu = NameOrOrdinal(in, &at);
  dialog->windowClass = NameOrOrdinal(in, &at);
  dialog->title = in.WideText(&at);
  if (dialog->style & kDsSetFont) {
    dialog->pointSize = in.U16(at);
    dialog->weight = in.U16(at + 2);
    dialog->italic = in.U8(at + 4);
    dialog->charset = in.U8(at + 5);
    at += 6;
    dialog->typeface = in.WideText(&at);
  }
  for (uint16_t i = 0; i < count; ++i) {
    at = Align4(at);
    DialogControl c;
    c.helpId = in.U32(at);
    c.exStyle = in.U32(at + 4);
    c.style = in.U32(at + 8);
    c.x = static_cast<int16_t>(in.U16(at + 12));
    c.y = static_cast<int16_t>(in.U16(at + 14));
    c.cx = static_cast<int16_t>(in.U16(at + 16));
    c.cy = static_cast<int16_t>(in.U16(at + 18));
    c.id = in.U32(at + 20);
    at += 24;
    c.windowClass = PredefinedAsAtom(NameOrOrdinal(in, &at));
    c.text = NameOrOrdinal(in, &at);
    c.extraBytes = in.U16(at);
    in.Need(at + 2, c.extraBytes, "a control's creation data");
    at += 2 + c.extraBytes;
    dialog->controls.push_back(c);
  }
}

// wLength, wValueLength, wType, key, padding, value, padding, children.
VersionNode ReadVersionNode(const ByteReader& in, uint64_t at) {
  const uint16_t length = in.U16(at);
  in.Need(at, length, "a version node");
  if (length < 6) throw Malformed("a version node is shorter than its header");
  VersionNode node;
  const uint16_t valueLength = in.U16(at + 2);
  node.text = in.U16(at + 4) == 1;
  uint64_t p = at + 6;
  node.key = in.WideText(&p);
  p = Align4(p);
  const uint64_t valueBytes = node.text ? 2ull * valueLength : valueLength;
  node.value = in.Slice(p, valueBytes, "a version value");
  const uint64_t end = at + length;
  if (p + valueBytes > end) throw Malformed("a version value runs past its node");
  for (p = Align4(p + valueBytes); p < end; p = Align4(p + in.U16(p))) {
    node.children.push_back(ReadVersionNode(in, p));
    if (p + in.U16(p) > end) throw Malformed("a version node runs past its parent");
  }
  return node;
}

}  // namespace

bool ParseDialogEx(const std::vector<uint8_t>& data, DialogTemplate* dialog, std::string* error) {
  *dialog = DialogTemplate();
  return ParseOrExplain([&] { ReadDialog(ByteReader(data), dialog); }, error);
}

bool ParseStringBlock(uint16_t block, const std::vector<uint8_t>& data, std::map<uint16_t, std::u16string>* strings,
                      std::string* error) {
  return ParseOrExplain(
      [&] {
        const ByteReader in(data);
        uint64_t at = 0;
        for (uint16_t i = 0; i < 16; ++i) {
          const uint16_t length = in.U16(at);
          in.Need(at + 2, 2ull * length, "a string");
          std::u16string text;
          for (uint16_t k = 0; k < length; ++k) text.push_back(static_cast<char16_t>(in.U16(at + 2 + 2u * k)));
          if (length) (*strings)[static_cast<uint16_t>((block - 1) * 16 + i)] = text;
          at += 2 + 2ull * length;
        }
      },
      error);
}

const VersionNode* VersionNode::Child(const std::u16string& childKey) const {
  for (const VersionNode& child : children) {
    bool same = child.key.size() == childKey.size();
    for (size_t i = 0; same && i < childKey.size(); ++i) same = Upper(child.key[i]) == Upper(childKey[i]);
    if (same) return &child;
  }
  return nullptr;
}

std::u16string VersionNode::Text() const {
  std::u16string result;
  for (size_t i = 0; i + 1 < value.size(); i += 2)
    result.push_back(static_cast<char16_t>(value[i] | (value[i + 1] << 8)));
  while (!result.empty() && result.back() == 0) result.pop_back();
  return result;
}

uint32_t VersionNode::U32(size_t offset) const {
  if (offset + 4 > value.size()) return 0;
  return ByteReader(value).U32(offset);
}

bool ParseVersionBlock(const std::vector<uint8_t>& data, VersionNode* root, std::string* error) {
  return ParseOrExplain([&] { *root = ReadVersionNode(ByteReader(data), 0); }, error);
}

bool ParseIconGroup(const std::vector<uint8_t>& data, std::vector<IconGroupEntry>* entries, std::string* error) {
  entries->clear();
  return ParseOrExplain(
      [&] {
        const ByteReader in(data);
        if (in.U16(0) != 0 || in.U16(2) != 1) throw Malformed("not an icon group directory");
        for (uint16_t i = 0, n = in.U16(4); i < n; ++i) {
          const uint64_t e = 6 + 14ull * i;
          entries->push_back(IconGroupEntry{in.U8(e), in.U8(e + 1), in.U32(e + 8), in.U16(e + 12)});
        }
      },
      error);
}

bool ParseIconImage(const std::vector<uint8_t>& data, IconImage* image, std::string* error) {
  *image = IconImage();
  return ParseOrExplain(
      [&] {
        const ByteReader in(data);
        if (in.U32(0) == 0x474E5089) {  // "\x89PNG"
          image->png = true;
          return;
        }
        if (in.U32(0) != 40) throw Malformed("an icon image is neither a bitmap nor a PNG");
        image->width = static_cast<int32_t>(in.U32(4));
        image->height = static_cast<int32_t>(in.U32(8));
      },
      error);
}

std::vector<XmlElement> XmlElements(const std::string& xml, const std::string& name) {
  const std::string text = std::regex_replace(xml, std::regex("<!--[\\s\\S]*?-->"), "");
  // An opening tag (with any namespace prefix), and one attribute in it.
  const std::regex tag("<(\\w+:)?" + name + "(\\s[^>]*?)?(/?)>");
  const std::regex attribute("([\\w:.-]+)\\s*=\\s*(\"([^\"]*)\"|'([^']*)')");
  const std::sregex_iterator end;
  std::vector<XmlElement> found;
  for (std::sregex_iterator it(text.begin(), text.end(), tag); it != end; ++it) {
    XmlElement element;
    const std::string attributes = (*it)[2];
    for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a)
      element.attributes[(*a)[1]] = (*a)[3].matched ? (*a)[3] : (*a)[4];
    if ((*it)[3].length() == 0) {
      const size_t from = it->position() + it->length();
      const size_t close = text.find("</" + (*it)[1].str() + name, from);
      element.content = text.substr(from, close == std::string::npos ? std::string::npos : close - from);
    }
    found.push_back(element);
  }
  return found;
}

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (const char16_t unit : text) {  // each unit on its own: the tool's texts need no surrogates
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
      out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
  }
  return out;
}

}  // namespace kvtest
