// "Connection setup", "Comport settings" and "Serialport status". What OK
// does to the channels is decided in config/connection_choice; here are the
// windows around it. Each opens centred on the window it belongs to.
#include "app/dialogs.h"

#include <string_view>

#include "app/app.h"
#include "config/connection_choice.h"
#include "config/port_labels.h"
#include "dialog_ids.h"
#include "gfx/gdi/window_placement.h"

namespace morvane {

namespace {

// The pending values of an open "Connection setup".
struct ConnectionDialog {
  App* app;
  int pending_line;
  int pending_port;
};

template <typename T>
T* dialog_data(HWND dialog) {
  return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void add_entry(HWND dialog, int id, std::string_view label) {
  const std::string text(label);
  SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

template <typename Labels>
void fill_list(HWND dialog, int id, const Labels& labels) {
  SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
  for (std::string_view label : labels) add_entry(dialog, id, label);
}

// kNoSelection (-1) clears the selection, as the list itself does.
void select_entry(HWND dialog, int id, int position) {
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

int selected_entry(HWND dialog, int id) {
  const LRESULT r = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return r == CB_ERR ? kNoSelection : static_cast<int>(r);
}

void set_enables(HWND dialog, ConnectionEnables e) {
  EnableWindow(GetDlgItem(dialog, IDC_SERIAL_LINE_LIST), e.line_list);
  EnableWindow(GetDlgItem(dialog, IDC_PORT_SETTINGS), e.settings_button);
}

// ---- "Comport settings" ----

struct PortList {
  int id;
  std::int32_t PortSettings::*value;
  int count;
};

constexpr PortList kPortLists[] = {
    {IDC_BAUD_LIST, &PortSettings::baudrate, kBaudCount},
    {IDC_DATA_BITS_LIST, &PortSettings::bytesize, kByteSizeCount},
    {IDC_PARITY_LIST, &PortSettings::parity, kParityCount},
    {IDC_STOP_BITS_LIST, &PortSettings::stopbits, kStopBitsCount},
    {IDC_FLOW_LIST, &PortSettings::flowctrl, kFlowCount},
};

void fill_port_lists(HWND dialog, const PortSettings& current) {
  fill_list(dialog, IDC_BAUD_LIST, kBaudLabels);
  fill_list(dialog, IDC_DATA_BITS_LIST, kByteSizeLabels);
  fill_list(dialog, IDC_PARITY_LIST, kParityLabels);
  fill_list(dialog, IDC_STOP_BITS_LIST, kStopBitsLabels);
  fill_list(dialog, IDC_FLOW_LIST, kFlowLabels);
  for (const PortList& l : kPortLists)
    select_entry(dialog, l.id, setting_position(current.*l.value, l.count));
}

PortSettings chosen_port_settings(HWND dialog) {
  PortSettings chosen;
  for (const PortList& l : kPortLists) chosen.*l.value = setting_position(selected_entry(dialog, l.id), l.count);
  return chosen;
}

INT_PTR CALLBACK comport_procedure(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    fill_port_lists(dialog, reinterpret_cast<App*>(lparam)->serial_port.port_settings());
    centre_window(dialog);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  App* app = dialog_data<App>(dialog);
  switch (LOWORD(wparam)) {
    case IDOK:
      apply_port_settings(app->serial_port, app->settings, chosen_port_settings(dialog));
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- "Connection setup" ----

void init_connection_dialog(HWND dialog, ConnectionDialog& d) {
  const App& app = *d.app;
  SendDlgItemMessageA(dialog, IDC_SERIAL_LINE_LIST, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kSerialLineCount; ++i) add_entry(dialog, IDC_SERIAL_LINE_LIST, serial_line_label(i));
  select_entry(dialog, IDC_SERIAL_LINE_LIST, serial_line_position(app.settings.lyn));
  fill_list(dialog, IDC_PORT_LIST, kPortLabels);
  select_entry(dialog, IDC_PORT_LIST, port_position(app.port_index));
  set_enables(dialog, enables_at_open(app.port_index));
  d.pending_line = app.settings.lyn;
  d.pending_port = app.port_index;
}

void connection_ok(HWND dialog, ConnectionDialog& d) {
  App& app = *d.app;
  const int line_position = selected_entry(dialog, IDC_SERIAL_LINE_LIST);
  d.pending_line = line_number_of(line_position);
  d.pending_port = selected_entry(dialog, IDC_PORT_LIST);
  app.settings.com = app.port_index;
  apply_connection_choice(app.serial_line, app.serial_port, app.settings, line_position,
                          d.pending_port);
  app.port_index = app.settings.com;
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK connection_procedure(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    init_connection_dialog(dialog, *reinterpret_cast<ConnectionDialog*>(lparam));
    centre_window(dialog);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  ConnectionDialog* d = dialog_data<ConnectionDialog>(dialog);
  switch (LOWORD(wparam)) {
    case IDC_PORT_LIST:
      if (HIWORD(wparam) != CBN_SELCHANGE) return FALSE;
      d->pending_port = selected_entry(dialog, IDC_PORT_LIST);
      set_enables(dialog, enables_for_port(d->pending_port));
      return TRUE;
    case IDC_PORT_SETTINGS:
      DialogBoxParamA(d->app->instance, MAKEINTRESOURCEA(IDD_COMPORT_SETTINGS), dialog,
                      comport_procedure, reinterpret_cast<LPARAM>(d->app));
      return TRUE;
    case IDOK:
      connection_ok(dialog, *d);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- "Serialport status" ----

INT_PTR CALLBACK status_procedure(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      centre_window(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) != IDOK && LOWORD(wparam) != IDCANCEL) return FALSE;
      DestroyWindow(dialog);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      if (App* app = dialog_data<App>(dialog)) app->dialogs.status_window = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

struct Indicator {
  int id;
  bool from_output;  // bit of the output-line state rather than the modem status
  std::uint32_t bit;
};

constexpr Indicator kIndicators[] = {
    {IDC_STATUS_CTS, false, 0x10}, {IDC_STATUS_DSR, false, 0x20}, {IDC_STATUS_CD, false, 0x80},
    {IDC_STATUS_RING, false, 0x40}, {IDC_STATUS_DTR, true, 0x01}, {IDC_STATUS_RTS, true, 0x02},
};

}  // namespace

void run_connection_setup(App& app, HWND owner) {
  ConnectionDialog d{&app, app.settings.lyn, app.port_index};
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_CONNECTION_SETUP), owner, connection_procedure,
                  reinterpret_cast<LPARAM>(&d));
}

void show_serial_port_status(App& app, HWND owner) {
  if (app.dialogs.status_window) {
    SetForegroundWindow(app.dialogs.status_window);
    return;
  }
  HWND w = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_SERIAL_STATUS), owner,
                              status_procedure, reinterpret_cast<LPARAM>(&app));
  if (!w) return;
  app.dialogs.status_window = w;
  ShowWindow(w, SW_SHOWNORMAL);
}

void update_serial_port_status(App& app, int modem_status, std::uint32_t output_lines) {
  HWND w = app.dialogs.status_window;
  if (!w) return;
  const auto status = static_cast<std::uint32_t>(modem_status);
  for (const Indicator& i : kIndicators) {
    const bool on = ((i.from_output ? output_lines : status) & i.bit) != 0;
    SendDlgItemMessageA(w, i.id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

}  // namespace morvane
