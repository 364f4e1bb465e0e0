// The live window with GTK 4.
#include <gtk/gtk.h>

#include <algorithm>
#include <memory>

#include "gfx/damage_sheet.h"
#include "live/app_identity.h"
#include "live/bar_view.h"
#include "live/controls.h"
#include "live/live_window.h"
#include "live/sheet_view.h"
#include "page/engine.h"

namespace morvane::live {

namespace {

// The narrowest window, as the desktop program's; the command row wraps.
constexpr int kMinWidth = 360;

class GtkLiveWindow final : public LiveWindow {
 public:
  GtkLiveWindow(const LiveSetup& setup, Engine& engine);
  ~GtkLiveWindow() override;
  GtkLiveWindow(const GtkLiveWindow&) = delete;
  GtkLiveWindow& operator=(const GtkLiveWindow&) = delete;

  void show(DamageSheet& changes, ImageSheet& image) override;
  void forget_sheet() override { sheet_->forget_sheet(); }
  void set_status(const std::string& text) override;
  bool closed() const override { return closed_; }
  void run_for(int ms) override;

 private:
  GtkWidget* page_row();
  GtkWidget* status_line();
  void add_close_keys();
  // As the close button: the window goes at once; the program finishes the
  // page and ends.
  void close() {
    closed_ = true;
    gtk_widget_set_visible(window_, FALSE);
  }
  // The window's size at the start: the sheet's view as the settings give
  // it, with the command row as high as it is at that width.
  void set_default_size(const LiveSetup& setup);
  void refresh() {
    bar_->refresh();
    controls_->refresh();
  }

  ViewState state_;
  GtkWidget* window_ = nullptr;
  GtkWidget* status_ = nullptr;
  std::string status_text_;
  std::unique_ptr<SheetView> sheet_;
  std::unique_ptr<BarView> bar_;
  std::unique_ptr<Controls> controls_;
  bool closed_ = false;
};

GtkLiveWindow::GtkLiveWindow(const LiveSetup& setup, Engine& engine) {
  state_.view_mode = setup.view_mode;
  sheet_ = std::make_unique<SheetView>(state_, engine);
  bar_ = std::make_unique<BarView>(
      state_, engine, [this] { return sheet_->layout(); }, [this] { sheet_->view_changed(); });
  sheet_->on_layout([this] { bar_->refresh(); });
  controls_ = std::make_unique<Controls>(
      engine, state_, [this] { sheet_->view_changed(); }, [this] { refresh(); },
      [this] { show_about(GTK_WINDOW(window_)); });

  window_ = gtk_window_new();
  gtk_window_set_title(GTK_WINDOW(window_), setup.title.c_str());
  identify(GTK_WINDOW(window_));
  auto close_request = +[](GtkWindow*, gpointer self) -> gboolean {
    static_cast<GtkLiveWindow*>(self)->close();
    return TRUE;
  };
  g_signal_connect(window_, "close-request", G_CALLBACK(close_request), this);
  add_close_keys();

  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_widget_set_size_request(column, kMinWidth, -1);
  gtk_box_append(GTK_BOX(column), controls_->widget());
  gtk_box_append(GTK_BOX(column), page_row());
  gtk_box_append(GTK_BOX(column), status_line());
  gtk_window_set_child(GTK_WINDOW(window_), column);
  set_default_size(setup);
  gtk_window_present(GTK_WINDOW(window_));
  // The keyboard focus starts on the sheet, not on a button that Space
  // would press.
  gtk_window_set_focus(GTK_WINDOW(window_), sheet_->focus_widget());
}

// Ctrl+Q and Ctrl+W close the window as its close button does.
void GtkLiveWindow::add_close_keys() {
  GtkEventController* keys = gtk_shortcut_controller_new();
  gtk_shortcut_controller_set_scope(GTK_SHORTCUT_CONTROLLER(keys), GTK_SHORTCUT_SCOPE_GLOBAL);
  auto close = +[](GtkWidget*, GVariant*, gpointer self) -> gboolean {
    static_cast<GtkLiveWindow*>(self)->close();
    return TRUE;
  };
  GtkShortcutTrigger* trigger = gtk_alternative_trigger_new(gtk_keyval_trigger_new(GDK_KEY_q, GDK_CONTROL_MASK),
                                                            gtk_keyval_trigger_new(GDK_KEY_w, GDK_CONTROL_MASK));
  gtk_shortcut_controller_add_shortcut(GTK_SHORTCUT_CONTROLLER(keys),
                                       gtk_shortcut_new(trigger, gtk_callback_action_new(close, this, nullptr)));
  gtk_widget_add_controller(window_, keys);
}

GtkWidget* GtkLiveWindow::status_line() {
  status_ = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(status_), 0);
  gtk_label_set_ellipsize(GTK_LABEL(status_), PANGO_ELLIPSIZE_END);
  gtk_widget_set_margin_start(status_, 6);
  gtk_widget_set_margin_top(status_, 3);
  gtk_widget_set_margin_bottom(status_, 3);
  return status_;
}

void GtkLiveWindow::set_default_size(const LiveSetup& setup) {
  const int width = std::max(setup.width + kBarWidth, kMinWidth);
  int above = 0, below = 0;
  gtk_widget_measure(controls_->widget(), GTK_ORIENTATION_VERTICAL, width, nullptr, &above, nullptr, nullptr);
  gtk_widget_measure(status_, GTK_ORIENTATION_VERTICAL, width, nullptr, &below, nullptr, nullptr);
  gtk_window_set_default_size(GTK_WINDOW(window_), width, setup.height + kBarAbove + above + below);
}

// The bar beside the sheet, its top 10 pixels above the sheet's.
GtkWidget* GtkLiveWindow::page_row() {
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  gtk_widget_set_vexpand(row, TRUE);
  gtk_box_append(GTK_BOX(row), bar_->widget());
  GtkWidget* sheet = sheet_->widget();
  gtk_widget_set_margin_top(sheet, kBarAbove);
  gtk_widget_set_hexpand(sheet, TRUE);
  gtk_box_append(GTK_BOX(row), sheet);
  return row;
}

GtkLiveWindow::~GtkLiveWindow() {
  sheet_->forget_sheet();
  gtk_window_destroy(GTK_WINDOW(window_));
  // Lets the window go from the screen before the program ends.
  while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

void GtkLiveWindow::show(DamageSheet& changes, ImageSheet& image) {
  sheet_->show(changes, image);
  refresh();
}

void GtkLiveWindow::set_status(const std::string& text) {
  if (text == status_text_) return;
  status_text_ = text;
  gtk_label_set_text(GTK_LABEL(status_), text.c_str());
}

void GtkLiveWindow::run_for(int ms) {
  if (closed_) return;
  bool due = false;
  auto wake = +[](gpointer flag) -> gboolean {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
  };
  const guint timer = g_timeout_add(static_cast<guint>(ms > 0 ? ms : 0), wake, &due);
  while (!due && !closed_) g_main_context_iteration(nullptr, TRUE);
  if (!due) g_source_remove(timer);
}

}  // namespace

bool LiveWindow::possible(std::string& error) {
  if (gtk_is_initialized()) return true;
  // The program's numbers and files stay in the C locale.
  gtk_disable_setlocale();
  prepare_toolkit();
  if (gtk_init_check()) return true;
  error = "cannot open the window: no display can be reached (is DISPLAY or WAYLAND_DISPLAY set?)";
  return false;
}

std::unique_ptr<LiveWindow> LiveWindow::open(const LiveSetup& setup, Engine& engine, std::string& error) {
  if (!possible(error)) return nullptr;
  prepare_display();
  return std::make_unique<GtkLiveWindow>(setup, engine);
}

}  // namespace morvane::live
