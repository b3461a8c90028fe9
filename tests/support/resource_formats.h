// The formats inside a program's resources, parsed for tests: extended
// dialog templates, string-table blocks, version blocks, icon groups and
// just enough XML to read an application manifest. Each parser is strict
// and reports the first thing it cannot read.
#ifndef KV_TESTS_RESOURCE_FORMATS_H
#define KV_TESTS_RESOURCE_FORMATS_H

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pe_image.h"

namespace kvtest {

// Atoms of the predefined window classes, as a template names them.
enum ClassAtom : uint16_t { kButton = 0x80, kEdit = 0x81, kStatic = 0x82 };

struct DialogControl {
  uint32_t helpId = 0, exStyle = 0, style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  // An atom, or a class name. Names of predefined classes ("Button",
  // "Edit", "Static" ...) are given as their atoms: the dialog manager
  // creates the same control from either form.
  ResourceName windowClass;
  ResourceName text;
  uint16_t extraBytes = 0;
};

// DLGTEMPLATEEX with its items.
struct DialogTemplate {
  uint32_t helpId = 0, exStyle = 0, style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  ResourceName menu, windowClass;
  std::u16string title;
  // Present with DS_SETFONT only.
  uint16_t pointSize = 0, weight = 0;
  uint8_t italic = 0, charset = 0;
  std::u16string typeface;
  std::vector<DialogControl> controls;
};
bool ParseDialogEx(const std::vector<uint8_t>& data, DialogTemplate* dialog, std::string* error);

// The strings of one RT_STRING block (resource name `block` holds the ids
// (block - 1) * 16 to (block - 1) * 16 + 15); empty slots are left out.
bool ParseStringBlock(uint16_t block, const std::vector<uint8_t>& data, std::map<uint16_t, std::u16string>* strings,
                      std::string* error);

// One node of a 32-bit version block (VS_VERSIONINFO and its children).
struct VersionNode {
  std::u16string key;
  bool text = false;
  std::vector<uint8_t> value;
  std::vector<VersionNode> children;

  // The child of this key, compared without case (as VerQueryValue does).
  const VersionNode* Child(const std::u16string& childKey) const;
  // A text value without its terminating NUL.
  std::u16string Text() const;
  uint32_t U32(size_t offset) const;  // 0 past the value's end
};
bool ParseVersionBlock(const std::vector<uint8_t>& data, VersionNode* root, std::string* error);

// What the checks read of an RT_GROUP_ICON entry (a width or height of 0 is
// 256): the size, and the RT_ICON resource with its length in bytes.
struct IconGroupEntry {
  uint8_t width = 0, height = 0;
  uint32_t bytes = 0;
  uint16_t iconId = 0;
};
bool ParseIconGroup(const std::vector<uint8_t>& data, std::vector<IconGroupEntry>* entries, std::string* error);

// The header of one RT_ICON image: a device-independent bitmap (whose
// height counts the image and its mask), or a PNG (size not read).
struct IconImage {
  bool png = false;
  int32_t width = 0, height = 0;
};
bool ParseIconImage(const std::vector<uint8_t>& data, IconImage* image, std::string* error);

// The elements of a small XML document whose local name (without a
// namespace prefix) is `name`: attributes, and the text up to the closing
// tag (empty for an element closed by "/>"). Comments are skipped.
struct XmlElement {
  std::map<std::string, std::string> attributes;
  std::string content;

  // The attribute's value, empty when it is missing.
  std::string Attribute(const std::string& attribute) const {
    const auto found = attributes.find(attribute);
    return found == attributes.end() ? std::string() : found->second;
  }
};
std::vector<XmlElement> XmlElements(const std::string& xml, const std::string& name);

// UTF-16 as UTF-8, for messages (a surrogate pair comes out as two characters).
std::string Utf8(const std::u16string& text);

}  // namespace kvtest

#endif  // KV_TESTS_RESOURCE_FORMATS_H
