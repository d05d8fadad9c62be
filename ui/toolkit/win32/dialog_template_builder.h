#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/toolkit/dialog_template.h"

namespace zorveth::ui::win32 {

// Window and extended styles of a control or dialog of a portable template.
struct Win32Styles {
  DWORD style = 0;
  DWORD exStyle = 0;
};
Win32Styles ControlStyles(const ControlTemplate& control);
Win32Styles DialogStyles(const DialogTemplate& dialog);

// A portable template as the in-memory DLGTEMPLATEEX that
// DialogBoxIndirectParamW and CreateDialogIndirectParamW take. The menu is
// not part of it (an in-memory template can only name a menu resource); the
// toolkit attaches it after creation.
class DialogTemplateBuffer {
 public:
  explicit DialogTemplateBuffer(const DialogTemplate& dialog);
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

 private:
  // DWORD storage: the system wants the template itself DWORD-aligned.
  std::vector<DWORD> m_words;
};

}  // namespace zorveth::ui::win32
