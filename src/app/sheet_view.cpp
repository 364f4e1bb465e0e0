#include "app/sheet_view.h"

#include "app/app.h"
#include "gfx/gdi/gdi_surface.h"
#include "view/view_geometry.h"
#include "view/sheet_layout.h"
#include "view/view_colors.h"
#include "app/slidebar.h"

namespace morvane {

namespace {

// The paint context while WM_PAINT runs, else the window's own context.
class ViewDc {
 public:
  explicit ViewDc(App& app) : hwnd_(app.paper.hwnd), dc_(app.paper.paint_dc) {
    if (!dc_ && hwnd_) {
      dc_ = GetDC(hwnd_);
      owned_ = true;
    }
  }
  ~ViewDc() {
    if (owned_) ReleaseDC(hwnd_, dc_);
  }
  ViewDc(const ViewDc&) = delete;
  ViewDc& operator=(const ViewDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
  bool owned_ = false;
};

void fill_outside(HDC dc, const SheetLayout& layout) {
  HBRUSH brush = CreateSolidBrush(kViewGrey);
  for (const ViewRect& r : layout.outside) {
    if (r.empty()) continue;
    RECT rc{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rc, brush);
  }
  DeleteObject(brush);
}

void copy_sheet(HDC dc, HDC sheet_dc, const ViewCopy& c) {
  if (!c.stretch) {
    BitBlt(dc, c.dst_x, c.dst_y, c.dst_w, c.dst_h, sheet_dc, c.src_x, c.src_y, SRCCOPY);
    return;
  }
  // Shrinking with HALFTONE averages the dots, so thin text stays readable in
  // the fitted view; an enlarged sheet only needs its pixels repeated.
  const bool shrink = c.dst_w < c.src_w || c.dst_h < c.src_h;
  const int old_mode = SetStretchBltMode(dc, shrink ? HALFTONE : COLORONCOLOR);
  if (shrink) SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, c.dst_x, c.dst_y, c.dst_w, c.dst_h, sheet_dc, c.src_x, c.src_y, c.src_w, c.src_h,
             SRCCOPY);
  SetStretchBltMode(dc, old_mode);
}

SheetLayout current_layout(App& app) {
  RECT r{};
  GetClientRect(app.paper.hwnd, &r);
  const auto cw = static_cast<std::uint32_t>(r.right > 0 ? r.right : 0);
  const auto ch = static_cast<std::uint32_t>(r.bottom > 0 ? r.bottom : 0);
  const PageState& s = app.engine.screen;
  const ViewCopy v = view_copy(app.paper.view_mode, cw, ch, s.paper_width, s.paper_height,
                               app.paper.scroll_x, app.paper.scroll_y);
  return layout_sheet(v, cw, ch, s.paper_width, s.paper_height);
}

void draw(App& app, GdiSurface* sheet) {
  if (!app.paper.hwnd) return;
  ViewDc dc(app);
  if (!dc.get()) return;
  SheetLayout layout = current_layout(app);
  if (!sheet) {
    layout.outside[0] = {0, 0, layout.outside[0].right, layout.outside[0].bottom};
    layout.copy_empty = true;
  }
  if (!layout.copy_empty) copy_sheet(dc.get(), sheet->dc(), layout.copy);
  fill_outside(dc.get(), layout);
  const PageState& s = app.engine.screen;
  draw_bar(app, app.paper.view_mode, s.paper_height, layout.copy.shown_height, s.line_height,
           s.line_count);
}

}  // namespace

void show_sheet_now(App& app) {
  // The sheet made last is gone once the engine has dropped it.
  draw(app, app.engine.page_bitmap ? app.sheet : nullptr);
}

}  // namespace morvane
