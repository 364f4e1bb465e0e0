// The sheet in the live window: a widget drawn as square tiles of the view,
// each a texture of its own. A change of the sheet renews only the tiles it
// reaches, so the frame that follows repaints only those; a new size, view
// mode or scroll position renews them all. Scroll bars in the original-size
// view.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <vector>

#include "live/view_state.h"
#include "view/view_damage.h"

namespace morvane {

struct Engine;
class CairoSheet;
class DamageSheet;

namespace live {

class SheetView {
 public:
  SheetView(ViewState& state, const Engine& engine);
  ~SheetView();
  SheetView(const SheetView&) = delete;
  SheetView& operator=(const SheetView&) = delete;

  // The area with its scroll bars.
  GtkWidget* widget() const { return grid_; }
  // What holds the keyboard focus for the sheet.
  GtkWidget* focus_widget() const { return area_; }
  // Called when the view's layout changed (size, mode, scroll position).
  void on_layout(std::function<void()> callback) { on_layout_ = std::move(callback); }

  void show(DamageSheet& changes, CairoSheet& image);
  void forget_sheet();
  // The view mode changed, or the scroll position from elsewhere.
  void view_changed();
  // How the sheet lies in the area now.
  SheetLayout layout() const;

  // For the area widget.
  void snapshot(GtkSnapshot* snapshot);
  void allocated();
  bool scrolled(double dx, double dy);

 private:
  struct Tile {
    GdkTexture* texture = nullptr;
    bool stale = true;
  };
  struct Geometry {
    std::int32_t width = -1, height = -1, scale = 0;
    SheetLayout layout;
    bool operator==(const Geometry&) const;
  };

  Geometry current_geometry() const;
  void rebuild(const Geometry& g);
  void render(Tile& tile, const ViewRect& rect);
  void update_scroll_bars();
  void scroll_bar_moved();
  void drop_tiles();

  ViewState& state_;
  const Engine& engine_;
  GtkWidget* grid_ = nullptr;
  GtkWidget* area_ = nullptr;
  GtkAdjustment* hadj_ = nullptr;
  GtkAdjustment* vadj_ = nullptr;
  GtkWidget* hbar_ = nullptr;
  GtkWidget* vbar_ = nullptr;
  bool configuring_ = false;
  CairoSheet* sheet_ = nullptr;
  Geometry geometry_;
  TileGrid grid_tiles_;
  std::vector<Tile> tiles_;
  std::function<void()> on_layout_;
};

}  // namespace live
}  // namespace morvane
