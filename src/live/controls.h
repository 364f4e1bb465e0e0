// The live window's command row: "Print page now" and "Clear page", the two
// emulations, the plotter's four pens, the two view modes and "About". The
// groups wrap onto more lines in a narrow window. The buttons run the same
// commands on the engine as the desktop program's menu and toolbar; their
// marks follow the engine (a pen chosen by received bytes shows as chosen).
// As on the desktop program's toolbar, a click leaves the keyboard focus
// where it was, so that a later Space or Enter does not repeat it.
#pragma once

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <initializer_list>

#include "live/view_state.h"

namespace morvane {

struct Engine;

namespace live {

class Controls {
 public:
  // `view_changed` is called after the user chose the other view mode,
  // `commanded` after any command that acted on the page, `about` for the
  // About box.
  Controls(Engine& engine, ViewState& state, std::function<void()> view_changed,
           std::function<void()> commanded, std::function<void()> about);
  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  GtkWidget* widget() const { return box_; }
  // Sets the marks and which buttons can act from the engine's state.
  void refresh();

 private:
  enum class Group { emulation, pen, view };
  struct Choice {
    Controls* controls;
    Group group;
    int value;
  };

  // A group of buttons that stays on one line.
  GtkWidget* new_group();
  void add_button(GtkWidget* group, const char* label, std::function<void()> action);
  // Toggle buttons of which one is chosen, labelled (null: a pen's colour)
  // and with their commands' full names as tips.
  std::array<GtkWidget*, 4> add_choices(Group group, std::initializer_list<const char*> labels,
                                        std::initializer_list<const char*> tips);
  // Runs a command on the page.
  void run(void (*command)(Engine&));
  static GtkWidget* pen_swatch(int pen);
  void add_pen_keys();
  void chosen(Group group, int value);
  void set_active(GtkWidget* button, bool active);

  Engine& engine_;
  ViewState& state_;
  std::function<void()> view_changed_;
  std::function<void()> commanded_;
  GtkWidget* box_ = nullptr;
  std::array<GtkWidget*, 4> emulations_{};
  std::array<GtkWidget*, 4> pens_{};
  std::array<GtkWidget*, 4> views_{};
  std::array<Choice, 12> choices_{};
  std::size_t used_choices_ = 0;
  bool refreshing_ = false;
};

}  // namespace live
}  // namespace morvane
