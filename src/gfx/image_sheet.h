// The sheet a screen page is an image on, as this platform's drawing backend
// makes it: a GDI bitmap on Windows, a cairo image elsewhere. What reads a
// sheet's pixels (PNG pages, a live window) keeps it by this type.
#pragma once

namespace morvane {

#ifdef _WIN32
class GdiSurface;
using ImageSheet = GdiSurface;
#else
class CairoSheet;
using ImageSheet = CairoSheet;
#endif

}  // namespace morvane
