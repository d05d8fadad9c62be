#include "ui/toolkit/win32/dialog_template_builder.h"

#include <cstring>
#include <string>

#include "ui/toolkit/win32/text_conversion.h"

namespace zorveth::ui::win32 {
namespace {

// Predefined window classes by atom, as resource compilers write them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;
constexpr WORD kComboBoxClass = 0x0085;

WORD ClassAtom(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
      return kButtonClass;
    case ControlKind::Edit:
      return kEditClass;
    case ControlKind::ListBox:
      return kListBoxClass;
    case ControlKind::ComboBox:
      return kComboBoxClass;
    case ControlKind::StaticText:
    case ControlKind::Icon:
    case ControlKind::Frame:
    case ControlKind::Plot:
      break;
  }
  return kStaticClass;
}

bool Has(std::uint32_t flags, std::uint32_t flag) {
  return (flags & flag) != 0;
}

// Little-endian words and strings, with the DWORD alignment the format
// asks for before every control.
class Writer {
 public:
  void Word(WORD value) { Bytes(&value, sizeof value); }
  void Dword(DWORD value) { Bytes(&value, sizeof value); }
  void Short(short value) { Bytes(&value, sizeof value); }
  void Byte(BYTE value) { m_bytes.push_back(value); }
  void String(const std::string& text) {
    const std::wstring wide = Widen(text);
    Bytes(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  }
  void AlignDword() {
    while (m_bytes.size() % 4 != 0) m_bytes.push_back(0);
  }
  std::vector<BYTE>& Result() { return m_bytes; }

 private:
  void Bytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + size);
  }
  std::vector<BYTE> m_bytes;
};

// Dialogs that ask for the system's dialog font get DS_SHELLFONT, which
// maps "MS Shell Dlg" to the font of the running system; any other face
// (the templates' "MS Sans Serif") is taken by name with DS_SETFONT.
bool IsShellFont(const std::string& face) {
  return face == "MS Shell Dlg" || face == "MS Shell Dlg 2";
}

}  // namespace

Win32Styles ControlStyles(const ControlTemplate& control) {
  using namespace control_style;
  const std::uint32_t flags = control.style;
  Win32Styles styles;
  styles.style = WS_CHILD;
  if (!Has(flags, kHidden)) styles.style |= WS_VISIBLE;
  if (Has(flags, kTabStop)) styles.style |= WS_TABSTOP;
  if (Has(flags, kGroup)) styles.style |= WS_GROUP;
  if (Has(flags, kDisabled)) styles.style |= WS_DISABLED;
  if (Has(flags, kVerticalScroll)) styles.style |= WS_VSCROLL;
  if (Has(flags, kBorder)) styles.style |= WS_BORDER;
  if (Has(flags, kClientEdge)) styles.exStyle |= WS_EX_CLIENTEDGE;
  if (Has(flags, kStaticEdge)) styles.exStyle |= WS_EX_STATICEDGE;

  switch (control.kind) {
    case ControlKind::PushButton:
      styles.style |= Has(flags, kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      break;
    case ControlKind::RadioButton:
      styles.style |= Has(flags, kAutoRadio) ? BS_AUTORADIOBUTTON : BS_RADIOBUTTON;
      break;
    case ControlKind::GroupBox:
      styles.style |= BS_GROUPBOX;
      break;
    case ControlKind::StaticText:
      styles.style |= Has(flags, kCentered) ? SS_CENTER : SS_LEFT;
      if (Has(flags, kSunken)) styles.style |= SS_SUNKEN;
      break;
    case ControlKind::Icon:
      styles.style |= SS_ICON;
      break;
    case ControlKind::Frame:
      styles.style |= SS_BLACKFRAME;
      break;
    case ControlKind::Plot:
      // Painted by the dialog procedure on WM_DRAWITEM.
      styles.style |= SS_OWNERDRAW;
      break;
    case ControlKind::Edit:
      styles.style |= ES_LEFT;
      if (Has(flags, kDigitsOnly)) styles.style |= ES_NUMBER;
      if (Has(flags, kAutoHorizontalScroll)) styles.style |= ES_AUTOHSCROLL;
      break;
    case ControlKind::ComboBox:
      // Never sorted: entries keep the order they were appended in.
      styles.style |= Has(flags, kDropDown) ? CBS_DROPDOWN : CBS_DROPDOWNLIST;
      break;
    case ControlKind::ListBox:
      // Single selection, unsorted.
      if (Has(flags, kNotify)) styles.style |= LBS_NOTIFY;
      if (Has(flags, kNoIntegralHeight)) styles.style |= LBS_NOINTEGRALHEIGHT;
      break;
  }
  return styles;
}

Win32Styles DialogStyles(const DialogTemplate& dialog) {
  using namespace dialog_style;
  const std::uint32_t flags = dialog.style;
  Win32Styles styles;
  styles.style = IsShellFont(dialog.fontName) ? DS_SHELLFONT : DS_SETFONT;
  if (Has(flags, kChild)) {
    // A pane inside another dialog: Tab and the mnemonics reach into it.
    styles.style |= WS_CHILD | DS_CONTROL;
    styles.exStyle |= WS_EX_CONTROLPARENT;
  } else {
    // Top-level dialogs open centred over their owner (or the screen).
    styles.style |= WS_POPUP | DS_CENTER;
  }
  if (Has(flags, kCaption)) styles.style |= WS_CAPTION;
  if (Has(flags, kSystemMenu)) styles.style |= WS_SYSMENU;
  if (Has(flags, kModalFrame)) styles.style |= DS_MODALFRAME;
  if (Has(flags, kVisible)) styles.style |= WS_VISIBLE;
  if (Has(flags, kMinimizeBox)) styles.style |= WS_MINIMIZEBOX;
  if (Has(flags, kAppWindow)) styles.exStyle |= WS_EX_APPWINDOW;
  return styles;
}

DialogTemplateBuffer::DialogTemplateBuffer(const DialogTemplate& dialog) {
  Writer out;
  const Win32Styles dialogStyles = DialogStyles(dialog);
  // DLGTEMPLATEEX
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature
  out.Dword(0);      // helpID
  out.Dword(dialogStyles.exStyle);
  out.Dword(dialogStyles.style);
  out.Word(static_cast<WORD>(dialog.controls.size()));
  out.Short(0);  // x, y: placed by DS_CENTER or by the owner of a pane
  out.Short(0);
  out.Short(static_cast<short>(dialog.cx));
  out.Short(static_cast<short>(dialog.cy));
  out.Word(0);  // no menu resource (attached at run time)
  out.Word(0);  // the predefined dialog class
  out.String(dialog.title);
  out.Word(static_cast<WORD>(dialog.fontPointSize));
  out.Word(FW_NORMAL);
  out.Byte(FALSE);  // italic
  out.Byte(DEFAULT_CHARSET);
  out.String(dialog.fontName);

  for (const ControlTemplate& control : dialog.controls) {
    // DLGITEMTEMPLATEEX
    out.AlignDword();
    const Win32Styles styles = ControlStyles(control);
    out.Dword(0);  // helpID
    out.Dword(styles.exStyle);
    out.Dword(styles.style);
    out.Short(static_cast<short>(control.x));
    out.Short(static_cast<short>(control.y));
    out.Short(static_cast<short>(control.cx));
    out.Short(static_cast<short>(control.cy));
    out.Dword(static_cast<DWORD>(control.id));  // -1 stays 0xFFFFFFFF: "no id"
    out.Word(0xFFFF);
    out.Word(ClassAtom(control.kind));
    // An icon's picture is set from its pixels when the dialog starts; the
    // others carry their text. Edits and combos start empty.
    if (control.kind == ControlKind::Edit || control.kind == ControlKind::ComboBox ||
        control.kind == ControlKind::Icon || control.kind == ControlKind::ListBox) {
      out.Word(0);
    } else {
      out.String(control.text);
    }
    out.Word(0);  // no creation data
  }

  std::vector<BYTE>& bytes = out.Result();
  m_words.assign((bytes.size() + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  std::memcpy(m_words.data(), bytes.data(), bytes.size());
}

}  // namespace zorveth::ui::win32
