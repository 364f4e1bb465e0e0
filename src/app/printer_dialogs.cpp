// "Page setup" with its font chooser, and the printer selection. Both change
// what the printer page is measured from, so both end the open print
// document first and measure the printer again.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "app/app.h"
#include "app/dialogs.h"
#include "config/printer_choice.h"
#include "dialog_ids.h"
#include "gfx/gdi/gdi_surface.h"
#include "gfx/gdi/window_placement.h"
#include "page/commands.h"
#include "page/page_setup_values.h"
#include "app/paper_window.h"

namespace morvane {

namespace {

static_assert(IDC_PRINTER_NAME == kFieldPrinter && IDC_FONT_NAME == kFieldFontName &&
              IDC_FONT_SIZE == kFieldFontSize && IDC_DPI_X == kFieldDpiX &&
              IDC_DPI_Y == kFieldDpiY && IDC_PAPER_WIDTH == kFieldPaperWidth &&
              IDC_PAPER_HEIGHT == kFieldPaperHeight && IDC_MARGIN_LEFT == kFieldMarginLeft &&
              IDC_MARGIN_RIGHT == kFieldMarginRight && IDC_MARGIN_TOP == kFieldMarginTop &&
              IDC_MARGIN_BOTTOM == kFieldMarginBottom && IDC_LINE_SPACING == kFieldLineSpacing &&
              IDC_CHAR_SPACING == kFieldCharSpacing && IDC_LINES_PER_PAGE == kFieldLinesPerPage &&
              IDC_CHARS_PER_LINE == kFieldCharsPerLine);

// Screen fonts, fixed pitch, ANSI only, no script choice, start from the given
// font, sizes limited.
constexpr DWORD kFontChooserFlags = CF_SCREENFONTS | CF_FIXEDPITCHONLY | CF_ANSIONLY |
                                    CF_NOSCRIPTSEL | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
static_assert(kFontChooserFlags == 0x806441);
constexpr int kSmallestPoints = 1;
constexpr int kLargestPoints = 50;

// Printer setup, a device context back, no warning without a default
// printer, copies and collation from the device mode.
constexpr DWORD kPrintDialogFlags =
    PD_PRINTSETUP | PD_RETURNDC | PD_NOWARNING | PD_USEDEVMODECOPIESANDCOLLATE;
static_assert(kPrintDialogFlags == 0x401C0);

void fill_page_fields(HWND dialog, const App& app) {
  for (const PageSetupRow& row : page_setup_rows(app.engine, app.settings.font_name, app.settings.font_height))
    SendDlgItemMessageA(dialog, row.id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.text.c_str()));
}

// The font chooser has no owner but opens over the dialog that asked for
// it, which comes in its custom data.
UINT_PTR CALLBACK centre_font_chooser(HWND dialog, UINT msg, WPARAM, LPARAM lparam) {
  if (msg == WM_INITDIALOG && lparam)
    centre_window(dialog, reinterpret_cast<HWND>(reinterpret_cast<const CHOOSEFONTA*>(lparam)->lCustData));
  return 0;  // the chooser's own handling goes on
}

UINT_PTR CALLBACK centre_printer_selection(HWND dialog, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) centre_window(dialog);
  return 0;
}

// The chooser's font becomes the page font: kept in the settings, and the
// printer page measured again with it.
void apply_font(App& app, const LOGFONTA& chosen) {
  Engine& e = app.engine;
  bool changed = false;
  in_engine(app, [&] { changed = change_page_font(e, from_logfont(chosen)); });
  if (!changed) return;
  Settings& s = app.settings;
  s.font_height = chosen.lfHeight;
  s.font_weight = chosen.lfWeight;
  s.font_italic = chosen.lfItalic;
  std::memcpy(s.font_name, e.printer.font.face_name, sizeof s.font_name);
}

// The page font as the chooser should open on it: in the face the screen
// draws it in. A face that is not installed would otherwise leave the
// chooser on a face and size of its own, which OK would make the page font.
LOGFONTA font_in_use(const FontDesc& font) {
  LOGFONTA lf = to_logfont(font);
  auto probe = GdiSurface::create_sheet(nullptr, 1, 1);
  const std::string face = probe ? probe->face_drawn(font) : std::string();
  if (!face.empty() && face.size() < sizeof lf.lfFaceName) {
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, face.data(), face.size());
  }
  return lf;
}

// What the chooser handed back is a font to lay pages out with: a face and
// a size of at least one point.
bool usable_choice(const LOGFONTA& lf, const CHOOSEFONTA& cf) {
  return lf.lfFaceName[0] != '\0' && lf.lfHeight != 0 && cf.iPointSize >= 10 * kSmallestPoints;
}

void select_font(HWND dialog, App& app) {
  // Not while a page is printed (the chooser's own message loop would run
  // inside the printing's) nor twice.
  if (app.dialogs.font_chooser_open || engine_busy(app)) return;
  app.dialogs.font_chooser_open = true;
  LOGFONTA lf = font_in_use(app.engine.printer.font);
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = nullptr;
  cf.hDC = nullptr;
  cf.lpLogFont = &lf;
  cf.Flags = kFontChooserFlags;
  cf.rgbColors = app.font_dialog_color;
  cf.nSizeMin = kSmallestPoints;
  cf.nSizeMax = kLargestPoints;
  cf.Flags |= CF_ENABLEHOOK;
  cf.lpfnHook = centre_font_chooser;
  cf.lCustData = reinterpret_cast<LPARAM>(dialog);
  if (ChooseFontA(&cf) && usable_choice(lf, cf)) {
    app.font_dialog_color = cf.rgbColors;
    apply_font(app, lf);
    fill_page_fields(dialog, app);
  }
  app.dialogs.font_chooser_open = false;
}

INT_PTR CALLBACK page_setup_procedure(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    fill_page_fields(dialog, *reinterpret_cast<App*>(lparam));
    centre_window(dialog);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  App* app = reinterpret_cast<App*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (LOWORD(wparam)) {
    case IDC_SELECT_FONT:
      if (HIWORD(wparam) == BN_CLICKED) select_font(dialog, *app);
      return TRUE;
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, LOWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

// The chosen printer's names from the locked device-names block.
PrinterNames chosen_names(HGLOBAL dev_names) {
  PrinterNames names;
  if (!dev_names) return names;
  const auto* block = static_cast<const std::uint8_t*>(GlobalLock(dev_names));
  if (!block) return names;
  names = read_device_names(block, GlobalSize(dev_names));
  GlobalUnlock(dev_names);
  return names;
}

// The dialog's device context replaces the printer; the page is measured on it.
void use_printer(App& app, const PrinterNames& names, HDC dc) {
  auto device = Win32PrinterDevice::adopt(dc);
  if (device) device->set_owner(app.main.hwnd);
  in_engine(app, [&] { change_printer(app.engine, names, std::move(device)); });
  // The repaint builds the new sheet at the new printer's paper size; the
  // scroll bars then take their ranges from it.
  refresh_view(app);
  update_scroll_bars(app);
}

}  // namespace

void run_page_setup(App& app, HWND owner) {
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_PAGE_SETUP), owner, page_setup_procedure,
                  reinterpret_cast<LPARAM>(&app));
}

void select_printer(App& app, HWND owner) {
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.hDevMode = app.dialogs.dev_mode;
  pd.hDevNames = app.dialogs.dev_names;
  pd.hDC = nullptr;
  pd.Flags = kPrintDialogFlags;
  pd.nFromPage = 1;
  pd.nToPage = 9999;
  pd.nMinPage = 1;
  pd.nMaxPage = 1;
  pd.nCopies = 1;
  // Some implementations show the setup through the print dialog's hook.
  pd.Flags |= PD_ENABLESETUPHOOK | PD_ENABLEPRINTHOOK;
  pd.lpfnSetupHook = centre_printer_selection;
  pd.lpfnPrintHook = centre_printer_selection;
  const BOOL chosen = PrintDlgA(&pd);
  // The dialog may have replaced the blocks either way; what it hands back is ours.
  app.dialogs.dev_mode = pd.hDevMode;
  app.dialogs.dev_names = pd.hDevNames;
  if (!chosen) return;
  use_printer(app, chosen_names(pd.hDevNames), pd.hDC);
}

void free_printer_selection(App& app) {
  if (app.dialogs.dev_mode) GlobalFree(app.dialogs.dev_mode);
  if (app.dialogs.dev_names) GlobalFree(app.dialogs.dev_names);
  app.dialogs.dev_mode = nullptr;
  app.dialogs.dev_names = nullptr;
}

}  // namespace morvane
