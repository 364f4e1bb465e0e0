#include "live/controls.h"

#include "live/wrap_row_widget.h"
#include "page/commands.h"
#include "page/engine.h"

namespace morvane::live {

namespace {

// What a plain button runs; freed with the button's signal handler.
using Action = std::function<void()>;

constexpr int kGroupGap = 12;

void keep_focus_on_click(GtkWidget* button) { gtk_widget_set_focus_on_click(button, FALSE); }

}  // namespace

Controls::Controls(Engine& engine, ViewState& state, std::function<void()> view_changed,
                   std::function<void()> commanded, std::function<void()> about)
    : engine_(engine), state_(state), view_changed_(std::move(view_changed)), commanded_(std::move(commanded)) {
  box_ = wrap_row_new(kGroupGap, 4);
  gtk_widget_set_margin_start(box_, 4);
  gtk_widget_set_margin_end(box_, 4);
  gtk_widget_set_margin_top(box_, 4);
  gtk_widget_set_margin_bottom(box_, 4);
  // Alt and the underlined letter press a button, from the keyboard as well.
  GtkWidget* page = new_group();
  add_button(page, "_Print page now", [this] { run([](Engine& e) { print_page_now(e); }); });
  add_button(page, "_Clear page", [this] { run([](Engine& e) { clear_page_now(e); }); });
  emulations_ = add_choices(Group::emulation, {"_Brother", "_Sony"},
                            {"Brother M1009 emulation", "Sony PRN-C41 emulation"});
  pens_ = add_choices(Group::pen, {nullptr, nullptr, nullptr, nullptr},
                      {"Black pen (Alt+K)", "Blue pen (Alt+U)", "Green pen (Alt+G)", "Red pen (Alt+R)"});
  add_pen_keys();
  views_ = add_choices(Group::view, {"_Fit", "_Original"}, {"Fit to window", "Original size"});
  add_button(new_group(), "_About", std::move(about));
  refresh();
}

GtkWidget* Controls::new_group() {
  GtkWidget* group = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  wrap_row_append(box_, group);
  return group;
}

void Controls::run(void (*command)(Engine&)) {
  command(engine_);
  if (commanded_) commanded_();
}

// The pen buttons show their colour; Alt and a letter of the colour's name
// press them as a mnemonic would.
void Controls::add_pen_keys() {
  GtkEventController* keys = gtk_shortcut_controller_new();
  gtk_shortcut_controller_set_scope(GTK_SHORTCUT_CONTROLLER(keys), GTK_SHORTCUT_SCOPE_GLOBAL);
  const guint letters[4] = {GDK_KEY_k, GDK_KEY_u, GDK_KEY_g, GDK_KEY_r};
  for (std::size_t i = 0; i < 4; ++i) {
    auto press = +[](GtkWidget*, GVariant*, gpointer button) -> gboolean {
      return gtk_widget_activate(GTK_WIDGET(button));
    };
    GtkShortcut* shortcut = gtk_shortcut_new(gtk_keyval_trigger_new(letters[i], GDK_ALT_MASK),
                                             gtk_callback_action_new(press, pens_[i], nullptr));
    gtk_shortcut_controller_add_shortcut(GTK_SHORTCUT_CONTROLLER(keys), shortcut);
  }
  gtk_widget_add_controller(box_, keys);
}

GtkWidget* Controls::pen_swatch(int pen) {
  GtkWidget* swatch = gtk_drawing_area_new();
  gtk_drawing_area_set_content_width(GTK_DRAWING_AREA(swatch), 16);
  gtk_drawing_area_set_content_height(GTK_DRAWING_AREA(swatch), 16);
  auto draw = +[](GtkDrawingArea* area, cairo_t* cr, int w, int h, gpointer data) {
    const auto c = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data));
    // Faded while the pens cannot be chosen, as the button around it.
    const double alpha = gtk_widget_is_sensitive(GTK_WIDGET(area)) ? 1.0 : 0.35;
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    cairo_set_source_rgba(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0, alpha);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0.3, 0.3, 0.3, alpha);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  };
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(swatch), draw,
                                 reinterpret_cast<gpointer>(static_cast<std::uintptr_t>(pen_color(pen))), nullptr);
  return swatch;
}

void Controls::add_button(GtkWidget* group, const char* label, std::function<void()> action) {
  GtkWidget* button = gtk_button_new_with_mnemonic(label);
  keep_focus_on_click(button);
  auto clicked = +[](GtkButton*, gpointer data) {
    if (auto& a = *static_cast<Action*>(data)) a();
  };
  g_signal_connect_data(button, "clicked", G_CALLBACK(clicked), new Action(std::move(action)),
                        +[](gpointer data, GClosure*) { delete static_cast<Action*>(data); }, GConnectFlags{});
  gtk_box_append(GTK_BOX(group), button);
}

std::array<GtkWidget*, 4> Controls::add_choices(Group group, std::initializer_list<const char*> labels,
                                                std::initializer_list<const char*> tips) {
  GtkWidget* box = new_group();
  std::array<GtkWidget*, 4> buttons{};
  const int count = static_cast<int>(tips.size());
  auto toggled = +[](GtkToggleButton* button, gpointer data) {
    auto* choice = static_cast<Choice*>(data);
    if (!gtk_toggle_button_get_active(button) || choice->controls->refreshing_) return;
    choice->controls->chosen(choice->group, choice->value);
  };
  for (int i = 0; i < count; ++i) {
    const char* label = labels.begin()[i];
    GtkWidget* b = label != nullptr ? gtk_toggle_button_new_with_mnemonic(label) : gtk_toggle_button_new();
    if (label == nullptr) gtk_button_set_child(GTK_BUTTON(b), pen_swatch(i));
    keep_focus_on_click(b);
    gtk_widget_set_tooltip_text(b, tips.begin()[i]);
    if (i > 0) gtk_toggle_button_set_group(GTK_TOGGLE_BUTTON(b), GTK_TOGGLE_BUTTON(buttons[0]));
    Choice& c = choices_[used_choices_++];
    c = {this, group, i};
    g_signal_connect(b, "toggled", G_CALLBACK(toggled), &c);
    gtk_box_append(GTK_BOX(box), b);
    buttons[static_cast<std::size_t>(i)] = b;
  }
  return buttons;
}

void Controls::chosen(Group group, int value) {
  switch (group) {
    case Group::emulation:
      select_emulation(engine_, value == 0 ? Emulation::dot_matrix : Emulation::plotter);
      break;
    case Group::pen:
      select_pen(engine_, value);
      break;
    case Group::view:
      state_.view_mode = value == 0 ? ViewMode::fit_to_window : ViewMode::original_size;
      if (view_changed_) view_changed_();
      break;
  }
  if (group != Group::view && commanded_) commanded_();
  refresh();
}

void Controls::set_active(GtkWidget* button, bool active) {
  if (button != nullptr && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) != active)
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), active);
}

void Controls::refresh() {
  refreshing_ = true;
  const bool plotter = engine_.interp.emulation == Emulation::plotter;
  set_active(emulations_[0], !plotter);
  set_active(emulations_[1], plotter);
  const int pen = current_pen(engine_);
  for (int i = 0; i < 4; ++i) {
    GtkWidget* b = pens_[static_cast<std::size_t>(i)];
    set_active(b, i == pen);
    // The pens are the plotter's; the dot-matrix printer has none.
    if (gtk_widget_get_sensitive(b) != static_cast<gboolean>(plotter)) {
      gtk_widget_set_sensitive(b, plotter);
      gtk_widget_queue_draw(gtk_button_get_child(GTK_BUTTON(b)));
    }
  }
  set_active(views_[0], state_.view_mode == ViewMode::fit_to_window);
  set_active(views_[1], state_.view_mode == ViewMode::original_size);
  refreshing_ = false;
}

}  // namespace morvane::live
