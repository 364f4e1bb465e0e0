// The live window with GTK 4.
#include <gtk/gtk.h>

#include <memory>

#include "gfx/damage_sheet.h"
#include "live/bar_view.h"
#include "live/controls.h"
#include "live/live_window.h"
#include "live/sheet_view.h"
#include "page/engine.h"

namespace morvane::live {

namespace {

class GtkLiveWindow final : public LiveWindow {
 public:
  GtkLiveWindow(const LiveSetup& setup, Engine& engine);
  ~GtkLiveWindow() override;
  GtkLiveWindow(const GtkLiveWindow&) = delete;
  GtkLiveWindow& operator=(const GtkLiveWindow&) = delete;

  void show(DamageSheet& sheet) override;
  void forget_sheet() override { sheet_->forget_sheet(); }
  void set_status(const std::string& text) override;
  bool closed() const override { return closed_; }
  void run_for(int ms) override;

 private:
  GtkWidget* page_row();
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
  state_.view_mode = setup.view_mode == 1 ? 1 : 0;
  sheet_ = std::make_unique<SheetView>(state_, engine);
  bar_ = std::make_unique<BarView>(
      state_, engine, [this] { return sheet_->layout(); }, [this] { sheet_->view_changed(); });
  sheet_->on_layout([this] { bar_->refresh(); });
  controls_ = std::make_unique<Controls>(
      engine, state_, [this] { sheet_->view_changed(); }, [this] { refresh(); });

  window_ = gtk_window_new();
  gtk_window_set_title(GTK_WINDOW(window_), setup.title.c_str());
  gtk_window_set_default_size(GTK_WINDOW(window_), setup.width + kBarWidth, setup.height + kBarAbove + 64);
  // Closing stops the run as a stop signal does: the window goes at once,
  // the program finishes the page and ends.
  auto close_request = +[](GtkWindow* w, gpointer self) -> gboolean {
    static_cast<GtkLiveWindow*>(self)->closed_ = true;
    gtk_widget_set_visible(GTK_WIDGET(w), FALSE);
    return TRUE;
  };
  g_signal_connect(window_, "close-request", G_CALLBACK(close_request), this);

  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_append(GTK_BOX(column), controls_->widget());
  gtk_box_append(GTK_BOX(column), page_row());
  status_ = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(status_), 0);
  gtk_label_set_ellipsize(GTK_LABEL(status_), PANGO_ELLIPSIZE_END);
  gtk_widget_set_margin_start(status_, 6);
  gtk_widget_set_margin_top(status_, 3);
  gtk_widget_set_margin_bottom(status_, 3);
  gtk_box_append(GTK_BOX(column), status_);
  gtk_window_set_child(GTK_WINDOW(window_), column);
  gtk_window_present(GTK_WINDOW(window_));
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

void GtkLiveWindow::show(DamageSheet& sheet) {
  sheet_->show(sheet);
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
  if (gtk_init_check()) return true;
  error = "cannot open the window: no display can be reached (is DISPLAY or WAYLAND_DISPLAY set?)";
  return false;
}

std::unique_ptr<LiveWindow> LiveWindow::open(const LiveSetup& setup, Engine& engine, std::string& error) {
  if (!possible(error)) return nullptr;
  return std::make_unique<GtkLiveWindow>(setup, engine);
}

}  // namespace morvane::live
