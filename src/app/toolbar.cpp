#include "app/toolbar.h"

#include <commctrl.h>

#include "app/app.h"

namespace morvane {

namespace {

constexpr COLORREF kTipBackground = 0xFFFF80;  // light cyan
// The icons' own size for the 30-pixel buttons: inside the 2-pixel frame,
// with room for the pressed icon's one-pixel shift.
constexpr int kIconSize = 24;

LookState look_state(const App& app) {
  return {app.engine.print.printer_enabled() ? 1 : 0, app.engine.interp.emulation, current_pen(app.engine),
          engine_busy(app)};
}

// The button records and their looks from the table; the looks point at the
// records, which live as long as the App.
void fill_tables(ToolbarState& t) {
  for (std::size_t i = 0; i < kToolbarEntries.size(); ++i) {
    const ToolbarEntry& e = kToolbarEntries[i];
    ToolbarButton& b = t.buttons[i];
    b = ToolbarButton{};
    b.label = e.label;
    b.id = e.id;
    b.x = e.x;
    b.tooltip = e.tooltip;
    t.looks[i].button = &b;
    t.looks[i].icons = {};
    t.looks[i].look = e.look;
  }
}

const ButtonLook* find_look(const App& app, UINT id) {
  for (const ButtonLook& l : app.toolbar.looks)
    if (l.button && static_cast<UINT>(l.button->id) == id) return &l;
  return nullptr;
}

HWND create_tooltip_window(HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_BAR_CLASSES;
  InitCommonControlsEx(&icc);
  HWND tip = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (tip) SendMessageA(tip, TTM_SETTIPBKCOLOR, kTipBackground, 0);
  return tip;
}

// Raised or sunken in the system's 3D colours, so that the two stay apart on
// any button face.
void draw_frame(HDC dc, RECT r, bool pressed) {
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

// The icon centred in the button (one pixel down and right when pressed),
// greyed for a button that cannot act now.
void draw_icon(HDC dc, const RECT& r, HICON icon, bool pressed, bool dimmed) {
  const int shift = pressed ? 1 : 0;
  const int x = r.left + (r.right - r.left - kIconSize) / 2 + shift;
  const int y = r.top + (r.bottom - r.top - kIconSize) / 2 + shift;
  if (dimmed) {
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, kIconSize, kIconSize,
               DST_ICON | DSS_DISABLED);
  } else {
    DrawIconEx(dc, x, y, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
  }
}

void update_enabled_states(App& app) {
  const LookState now = look_state(app);
  app.toolbar.shows_busy = now.busy;
  for (const ButtonLook& l : app.toolbar.looks) {
    if (!l.button || !l.button->hwnd) continue;
    EnableWindow(l.button->hwnd, button_enabled(l.look, now) ? TRUE : FALSE);
  }
}

WNDPROC class_procedure(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
}

bool relayed(UINT msg) {
  return msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP ||
         msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP;
}

}  // namespace

void create_toolbar(App& app, HWND main_window) {
  fill_tables(app.toolbar);
  for (ToolbarButton& b : app.toolbar.buttons) create_toolbar_button(app, main_window, b);
  // The enabled states match the settings from the start, not only after
  // the first command.
  update_enabled_states(app);
}

HWND create_toolbar_button(App& app, HWND parent, ToolbarButton& button) {
  ControlRegistry& reg = app.toolbar.registry;
  if (reg.count >= kMaxControls) return nullptr;
  button.hwnd = CreateWindowExA(0, button.class_name, button.label, button.style, button.x,
                                button.y, button.width, button.height, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(
                                    static_cast<std::uint16_t>(button.id))),
                                app.instance, nullptr);
  if (button.hwnd) {
    reg.saved_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        button.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(relay_procedure)));
    reg.controls[static_cast<std::size_t>(reg.count++)] = &button;
    add_tool_tip(app, parent, button);
  }
  return button.hwnd;
}

void add_tool_tip(App& app, HWND parent, const ToolbarButton& button) {
  ControlRegistry& reg = app.toolbar.registry;
  if (!reg.tooltip) reg.tooltip = create_tooltip_window(app.instance);
  if (!reg.tooltip) return;
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_IDISHWND;
  ti.hwnd = parent;
  ti.uId = reinterpret_cast<UINT_PTR>(button.hwnd);
  ti.rect = {button.x, button.y, button.x + button.width, button.y + button.height};
  ti.hinst = app.instance;
  ti.lpszText = const_cast<char*>(button.tooltip);
  ti.lParam = 0;
  SendMessageA(reg.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

LRESULT CALLBACK relay_procedure(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  App* app = app_of(GetParent(hwnd));
  const ControlRegistry* reg = app ? &app->toolbar.registry : nullptr;
  if (reg && reg->tooltip && relayed(msg)) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wparam;
    m.lParam = lparam;
    SendMessageA(reg->tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
  }
  // Without the registry (the parent is going away) the class's own
  // procedure is the one that was replaced.
  WNDPROC saved = reg && reg->saved_procedure ? reg->saved_procedure : class_procedure(hwnd);
  return CallWindowProcA(saved, hwnd, msg, wparam, lparam);
}

void restore_toolbar_procedures(App& app) {
  const ControlRegistry& reg = app.toolbar.registry;
  if (!reg.saved_procedure) return;
  for (int i = 0; i < reg.count; ++i) {
    const ToolbarButton* b = reg.controls[static_cast<std::size_t>(i)];
    if (b && b->hwnd)
      SetWindowLongPtrA(b->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(reg.saved_procedure));
  }
}

void load_toolbar_icons(App& app) {
  for (const int id : kToolbarIconOrder) {
    HICON icon = static_cast<HICON>(LoadImageA(app.instance, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                               kIconSize, kIconSize, LR_DEFAULTCOLOR));
    for (std::size_t i = 0; i < kToolbarEntries.size(); ++i)
      for (std::size_t slot = 0; slot < 3; ++slot)
        if (kToolbarEntries[i].icons[slot] == id) app.toolbar.looks[i].icons[slot] = icon;
  }
}

void draw_toolbar_button(App& app, const DRAWITEMSTRUCT* item) {
  if (!item || item->CtlType != ODT_BUTTON) return;
  const ButtonLook* look = find_look(app, item->CtlID);
  if (!look) return;
  const std::uint32_t code = look_code(look->look, item->itemAction, item->itemState, look_state(app));
  HDC dc = item->hDC;
  const RECT& r = item->rcItem;
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  FillRect(dc, &r, face);
  DeleteObject(face);
  const bool pressed = (code & kLookPressed) != 0;
  const std::size_t slot = code & kLookSlotMask;
  if (slot < look->icons.size() && look->icons[slot])
    draw_icon(dc, r, look->icons[slot], pressed, (code & kLookDimmed) != 0);
  if ((code & 0xF0) == (kLookFlat & 0xF0)) return;
  draw_frame(dc, r, pressed);
}

void refresh_toolbar(App& app) {
  for (const ButtonLook& l : app.toolbar.looks) {
    if (!l.button || !l.button->hwnd) continue;
    HWND hwnd = l.button->hwnd;
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_BUTTON;
    di.CtlID = static_cast<UINT>(l.button->id);
    di.itemID = 0;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = ODS_DEFAULT;
    di.hwndItem = hwnd;
    di.hDC = GetDC(hwnd);
    GetClientRect(hwnd, &di.rcItem);
    di.itemData = 0;
    if (di.hDC) {
      draw_toolbar_button(app, &di);
      ReleaseDC(hwnd, di.hDC);
    }
  }
  update_enabled_states(app);
}

}  // namespace morvane
