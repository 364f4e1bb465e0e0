#include "live/app_identity.h"

#include <string>

#include "live/live_window.h"
#include "morvane_version.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/x11/gdkx.h>
#endif
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/wayland/gdkwayland.h>
#endif

// The resources built into the program (icons, licence).
extern "C" void morvane_live_register_resource(void);

namespace morvane::live {

namespace {

constexpr const char* kResources = "/org/morvane/Morvane";

std::string resource_text(const char* name) {
  const std::string path = std::string(kResources) + "/" + name;
  GBytes* bytes = g_resources_lookup_data(path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
  if (bytes == nullptr) return {};
  gsize size = 0;
  const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  std::string text(data, size);
  g_bytes_unref(bytes);
  return text;
}

// The licence's copyright line.
std::string copyright_of(const std::string& licence) {
  const std::size_t at = licence.find("Copyright");
  if (at == std::string::npos) return {};
  return licence.substr(at, licence.find('\n', at) - at);
}

void name_surface(GtkWidget* window) {
  GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window));
#ifdef GDK_WINDOWING_X11
  // Desktops on X11 match windows to their desktop entry by this property.
  if (GDK_IS_X11_SURFACE(surface)) gdk_x11_surface_set_utf8_property(surface, "_GTK_APPLICATION_ID", kAppId);
#endif
#ifdef GDK_WINDOWING_WAYLAND
  if (GDK_IS_WAYLAND_TOPLEVEL(surface)) gdk_wayland_toplevel_set_application_id(GDK_TOPLEVEL(surface), kAppId);
#endif
  (void)surface;
}

}  // namespace

void prepare_toolkit() {
  if (g_get_prgname() == nullptr) g_set_prgname("morvane");
  g_set_application_name("Morvane");
  const RendererEnvironment env = software_drawing(g_getenv("GSK_RENDERER"), g_getenv("GDK_DEBUG"));
  if (!env.change) return;
  g_setenv("GSK_RENDERER", env.gsk_renderer.c_str(), TRUE);
  g_setenv("GDK_DEBUG", env.gdk_debug.c_str(), TRUE);
}

void prepare_display() {
  static bool done = false;
  if (done) return;
  done = true;
  GdkDisplay* display = gdk_display_get_default();
#ifdef GDK_WINDOWING_X11
  if (GDK_IS_X11_DISPLAY(display)) gdk_x11_display_set_program_class(display, "Morvane");
#endif
  morvane_live_register_resource();
  gtk_icon_theme_add_resource_path(gtk_icon_theme_get_for_display(display), "/org/morvane/Morvane/icons");
}

void identify(GtkWindow* window) {
  gtk_window_set_icon_name(window, kAppId);
  g_signal_connect(window, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer) { name_surface(w); }), nullptr);
}

void show_about(GtkWindow* parent) {
  const std::string licence = resource_text("LICENSE");
  const std::string copyright = copyright_of(licence);
  gtk_show_about_dialog(parent, "program-name", "Morvane", "title", "About Morvane", "version", kVersionText,
                        "comments",
                        "A printer emulator for the TI-99/4A home computer: it lays out the computer's "
                        "printer output as a Brother M1009 dot-matrix printer or a Sony PRN-C41 four-pen "
                        "plotter prints it, while the bytes arrive, and prints each finished page.",
                        "copyright", copyright.c_str(), "license", licence.c_str(), "wrap-license", TRUE,
                        "logo-icon-name", kAppId, nullptr);
}

}  // namespace morvane::live
