// dialog-probe: looks into and drives the dialogs of a running Morvane.exe
// from outside, by caption and control id, for the end-to-end tests under
// Wine. One action per run:
//
//   wait-window MS               wait for the main window with its full title
//   title                        print the main window's title
//   command ID                   post a menu command to the main window
//   close-main MS                close the main window and wait until it is gone
//   wait CAPTION MS              wait until a dialog with that caption is shown
//   gone CAPTION MS              wait until no dialog with that caption is left
//   count CAPTION                print how many dialogs have that caption
//   foreground CAPTION           print 1 when that dialog is the foreground window
//   text CAPTION ID              print a control's text (a list's selected entry)
//   selection CAPTION ID         print a list's selected position (-1 for none)
//   entries CAPTION ID           print a list's entry count
//   enabled CAPTION ID           print 1 or 0
//   checked CAPTION ID           print 1 or 0
//   select CAPTION ID POSITION   select a list entry as the user would (with the
//                                selection-change notification)
//   choose CAPTION ID TEXT       select the list entry TEXT as select does
//   click CAPTION ID             click a button (posted: a button may open a
//                                modal dialog)
//   close CAPTION                post WM_CLOSE to the dialog (its close box)
//   active                       print the caption of the foreground window
//   font FACE                    print the face the font mapper gives for FACE
//                                asked as the page font is (height -12, family
//                                bits 0x12), then "fixed" or "proportional"
//   labels CAPTION               print every label and button of the dialog whose
//                                text does not fit its box on one line, as
//                                "TEXT: W of B pixels", one a line; nothing when
//                                all fit
//   main-rect                    print the main window's "LEFT TOP RIGHT BOTTOM"
//   work-areas                   print every monitor's work area, one a line
//   font-chooser                 print the font chooser's face and size fields
//                                (the "Font" dialog) as "FACE|SIZE"
//   placement CAPTION [OVER]     print "DX DY OWNER": how far the dialog's centre
//                                is from the centre of dialog OVER (default: of
//                                its owner, else the main window), and the
//                                owner's caption ("-" for none)
//
// Exit status: 0 done, 1 bad usage, 2 no such window or control, 3 timed out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kExitUsage = 1;
constexpr int kExitMissing = 2;
constexpr int kExitTimeout = 3;
constexpr const char* kMainClass = "Morvane";
constexpr const char* kDialogClass = "#32770";

std::string text_of(HWND hwnd) {
  char text[512] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

struct Search {
  const char* caption;
  HWND found = nullptr;
  int count = 0;
};

BOOL CALLBACK match_dialog(HWND hwnd, LPARAM lparam) {
  auto* s = reinterpret_cast<Search*>(lparam);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, kDialogClass) != 0 || !IsWindowVisible(hwnd)) return TRUE;
  char caption[256] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (std::strcmp(caption, s->caption) != 0) return TRUE;
  if (!s->found) s->found = hwnd;
  ++s->count;
  return TRUE;
}

Search find_dialogs(const char* caption) {
  Search s{caption};
  EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&s));
  return s;
}

template <typename Pred>
bool wait_for(DWORD ms, Pred pred) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
}

HWND main_window() { return FindWindowA(kMainClass, nullptr); }

int timed_out(const char* what, DWORD ms) {
  std::fprintf(stderr, "dialog-probe: %s after %lu ms\n", what, static_cast<unsigned long>(ms));
  return kExitTimeout;
}

int wait_main(DWORD ms) {
  const bool ok = wait_for(ms, [] {
    HWND w = main_window();
    return w && text_of(w).find(" Printer: ") != std::string::npos;
  });
  if (!ok) return timed_out("no main window", ms);
  std::printf("%s\n", text_of(main_window()).c_str());
  return 0;
}

int close_main(DWORD ms) {
  HWND w = main_window();
  if (!w) return kExitMissing;
  PostMessageA(w, WM_CLOSE, 0, 0);
  return wait_for(ms, [] { return main_window() == nullptr; }) ? 0 : timed_out("main window still open", ms);
}

// Actions on one control of one dialog.
int control_action(const std::string& action, HWND dialog, int id, int argc, char** argv) {
  HWND c = GetDlgItem(dialog, id);
  if (!c) return kExitMissing;
  if (action == "text") {
    std::printf("%s\n", text_of(c).c_str());
  } else if (action == "selection") {
    std::printf("%ld\n", static_cast<long>(SendMessageA(c, CB_GETCURSEL, 0, 0)));
  } else if (action == "entries") {
    std::printf("%ld\n", static_cast<long>(SendMessageA(c, CB_GETCOUNT, 0, 0)));
  } else if (action == "enabled") {
    std::printf("%d\n", IsWindowEnabled(c) ? 1 : 0);
  } else if (action == "checked") {
    std::printf("%d\n", SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
  } else if (action == "select" && argc == 5) {
    SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[4])), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  } else if (action == "choose" && argc == 5) {
    const LRESULT at = SendMessageA(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(argv[4]));
    if (at == CB_ERR) return kExitMissing;
    SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  } else if (action == "click") {
    PostMessageA(c, BM_CLICK, 0, 0);
  } else {
    return kExitUsage;
  }
  return 0;
}

int font_choice(const char* face) {
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -12;
  lf.lfWeight = 400;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = 0x12;
  std::strncpy(lf.lfFaceName, face, sizeof lf.lfFaceName - 1);
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  char chosen[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof chosen, chosen);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  // The flag is set for a proportional face (its name says the opposite).
  std::printf("%s %s\n", chosen, (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) ? "proportional" : "fixed");
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return 0;
}

// A control's text measured in the control's own font, against its box: a
// label's whole client width; a button's less the room its frame or its
// check mark takes.
BOOL CALLBACK report_clipped(HWND control, LPARAM) {
  char cls[64] = {};
  GetClassNameA(control, cls, sizeof cls);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  int room = 0;
  if (lstrcmpiA(cls, "Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
      return TRUE;
  } else if (lstrcmpiA(cls, "Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) room = 2 * GetSystemMetrics(SM_CXEDGE) + 2;
    else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON || type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)
      room = GetSystemMetrics(SM_CXMENUCHECK) + 4;
    else if (type == BS_GROUPBOX) room = 16;
    else return TRUE;
  } else {
    return TRUE;
  }
  const std::string text = text_of(control);
  if (text.empty()) return TRUE;
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  RECT box{};
  GetClientRect(control, &box);
  const long width = box.right - box.left - room;
  if (size.cx > width) std::printf("%s: %ld of %ld pixels\n", text.c_str(), static_cast<long>(size.cx), width);
  return TRUE;
}

BOOL CALLBACK print_work_area(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info))
    std::printf("%ld %ld %ld %ld\n", info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom);
  return TRUE;
}

POINT centre_of(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int placement(HWND dialog, const char* over_caption) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  HWND over = over_caption ? find_dialogs(over_caption).found : (owner ? owner : main_window());
  if (!over) return kExitMissing;
  const POINT a = centre_of(dialog), b = centre_of(over);
  std::printf("%ld %ld %s\n", a.x - b.x, a.y - b.y, owner ? text_of(owner).c_str() : "-");
  return 0;
}

int dialog_action(const std::string& action, int argc, char** argv) {
  const char* caption = argv[2];
  if (action == "wait" || action == "gone") {
    const DWORD ms = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 10000;
    const bool want = action == "wait";
    if (wait_for(ms, [&] { return (find_dialogs(caption).count > 0) == want; })) return 0;
    return timed_out(want ? "no such dialog" : "dialog still open", ms);
  }
  const Search s = find_dialogs(caption);
  if (action == "count") {
    std::printf("%d\n", s.count);
    return 0;
  }
  if (!s.found) return kExitMissing;
  if (action == "foreground") {
    std::printf("%d\n", GetForegroundWindow() == s.found ? 1 : 0);
    return 0;
  }
  if (action == "close") return PostMessageA(s.found, WM_CLOSE, 0, 0) ? 0 : kExitMissing;
  if (action == "placement") return placement(s.found, argc > 3 ? argv[3] : nullptr);
  if (action == "labels") {
    EnumChildWindows(s.found, report_clipped, 0);
    return 0;
  }
  if (argc < 4) return kExitUsage;
  return control_action(action, s.found, std::atoi(argv[3]), argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog-probe ACTION [ARGS]  (see the source for actions)\n");
    return kExitUsage;
  }
  const std::string action = argv[1];
  auto ms = [&](DWORD fallback) {
    return argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : fallback;
  };
  if (action == "wait-window") return wait_main(ms(30000));
  if (action == "close-main") return close_main(ms(20000));
  if (action == "active") {
    HWND w = GetForegroundWindow();
    std::printf("%s\n", w ? text_of(w).c_str() : "-");
    return 0;
  }
  if (action == "font" && argc == 3) return font_choice(argv[2]);
  if (action == "main-rect") {
    RECT r{};
    if (!main_window() || !GetWindowRect(main_window(), &r)) return kExitMissing;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  if (action == "work-areas") {
    EnumDisplayMonitors(nullptr, nullptr, print_work_area, 0);
    return 0;
  }
  if (action == "font-chooser") {
    // The chooser's face list and size box (cmb1, cmb3).
    const Search s = find_dialogs("Font");
    if (!s.found) return kExitMissing;
    std::printf("%s|%s\n", text_of(GetDlgItem(s.found, 0x470)).c_str(), text_of(GetDlgItem(s.found, 0x472)).c_str());
    return 0;
  }
  if (action == "title") {
    HWND w = main_window();
    if (!w) return kExitMissing;
    std::printf("%s\n", text_of(w).c_str());
    return 0;
  }
  if (action == "command" && argc == 3) {
    HWND w = main_window();
    if (!w) return kExitMissing;
    return PostMessageA(w, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0) ? 0 : kExitMissing;
  }
  if (argc >= 3) return dialog_action(action, argc, argv);
  std::fprintf(stderr, "dialog-probe: unknown action %s\n", action.c_str());
  return kExitUsage;
}
