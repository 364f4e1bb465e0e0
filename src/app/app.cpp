#include "app/app.h"

#include <cstdio>

#include "gfx/gdi/gdi_surface.h"
#include "app/sheet_view.h"

namespace morvane {

namespace {

// Stands in for a sheet GDI cannot make (out of memory): the engine always
// gets a surface to lay out on, and the view shows only its background.
class NoSheet final : public Surface {
 public:
  void fill_rect(std::int32_t, std::int32_t, std::int32_t, std::int32_t, Color) override {}
  void set_pen(Color, std::int32_t) override {}
  void move_to(std::int32_t, std::int32_t) override {}
  void line_to(std::int32_t, std::int32_t) override {}
  void draw_text(std::int32_t, std::int32_t, const char*, std::size_t, const FontDesc& font,
                 Color) override {
    (void)font;
  }
  TextMetrics text_metrics(const FontDesc& font) override {
    // Plausible metrics so that the layout never divides by zero.
    const std::int32_t h = font.height < 0 ? -font.height : (font.height ? font.height : 12);
    return {h, 0, h / 2 > 0 ? h / 2 : 1, h};
  }
  void blit_columns(std::int32_t, std::int32_t, const std::uint8_t*, std::size_t) override {}
};

void serial_port_message(const std::string& text, const std::string& caption) {
  MessageBoxA(nullptr, text.c_str(), caption.c_str(),
              MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
}

void serial_line_message(const std::string& text, const std::string& caption) {
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

}  // namespace

App::App()
    : hooks(*this),
      engine(hooks, printers),
      serial_line(serial_line_message),
      serial_port(serial_port_message) {}

namespace {

// A sheet compatible with the paper window; null when GDI cannot make it.
std::unique_ptr<GdiSurface> paper_sheet(App& app, std::uint32_t width, std::uint32_t height) {
  HWND hwnd = app.paper.hwnd;
  HDC dc = GetDC(hwnd);
  std::unique_ptr<GdiSurface> sheet =
      GdiSurface::create_sheet(dc, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  ReleaseDC(hwnd, dc);
  return sheet;
}

}  // namespace

std::unique_ptr<Surface> ShellHooks::create_sheet(std::uint32_t width, std::uint32_t height) {
  std::unique_ptr<GdiSurface> sheet = paper_sheet(app_, width, height);
  app_.sheet = sheet.get();
  if (!sheet) return std::make_unique<NoSheet>();
  return sheet;
}

TextMetrics ShellHooks::sheet_text_metrics(const FontDesc& font) {
  const std::unique_ptr<GdiSurface> probe = paper_sheet(app_, 1, 1);
  return probe ? probe->text_metrics(font) : NoSheet().text_metrics(font);
}

void ShellHooks::show_page(Surface&) { show_sheet_now(app_); }

void ShellHooks::error(const std::string& text, const std::string& caption) {
  // No caption of its own: the platform's default one.
  MessageBoxA(app_.main.hwnd, text.c_str(), caption.empty() ? nullptr : caption.c_str(),
              MB_OK | MB_ICONERROR);
}

void ShellHooks::page_ending(Surface&) {
  // The page is printed next: meanwhile the toolbar shows that its commands
  // cannot act (the menu does so when it opens).
  if (app_.engine.print.printer_enabled()) refresh_toolbar(app_);
}

bool engine_busy(const App& app) { return app.busy > 0 || app.engine.print.printing_page(); }

App* app_of(HWND hwnd) {
  return reinterpret_cast<App*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void attach_app(HWND hwnd, LPARAM create_struct) {
  const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(create_struct);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
}

}  // namespace morvane
