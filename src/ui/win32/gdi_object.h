// Ownership of GDI objects the dialogs make (a bold font, a brush), deleted
// exactly once.
#ifndef KV_UI_WIN32_GDI_OBJECT_H
#define KV_UI_WIN32_GDI_OBJECT_H

#include "common/unique_handle.h"
#include "win32api.h"

template <typename Object>
struct GdiObjectTraits {
  using Type = Object;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type object) { return object != nullptr; }
  static void Close(Type object) { DeleteObject(object); }
};
using UniqueFont = kv::UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = kv::UniqueHandle<GdiObjectTraits<HBRUSH>>;

#endif  // KV_UI_WIN32_GDI_OBJECT_H
