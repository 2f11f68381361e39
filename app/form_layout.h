#ifndef PREISLISTE_APP_FORM_LAYOUT_H_
#define PREISLISTE_APP_FORM_LAYOUT_H_

#include <array>
#include <cstddef>
#include <functional>

namespace app {

// The window "Update Preisliste" as designed, shared by the front-ends that
// draw it (Qt on Linux, Win32 on Windows): its texts, its controls top to
// bottom with their places in twips (1/1440 inch), and how those places become
// pixels for a screen's DPI and the platform's font.

inline constexpr char kWindowCaption[] = "Update Preisliste";
// The instruction text of Label3.
inline constexpr char kInstructionText[] =
    "Die Telvaro Preisliste wird jetzt geupdated, indem die Datei 'Preise.csv' im selben "
    "Verzeichnis wie dieses Programm übernommen wird. "
    "Die Datei muss aus dem Portavo heruntergeladen werden!";
inline constexpr char kLabel1Text[] = "Fortschritt Aktion:";
inline constexpr char kLabel2Text[] = "Fortschritt gesamt:";

// While a run holds the UI thread, the window repaints at most this often.
inline constexpr int kRepaintIntervalMs = 33;

struct TwipRect {
  int left, top, width, height;
};

struct FormControl {
  enum class Kind { kLabel, kWrappingLabel, kProgressBar };
  const char* name;  // the form designer's name
  Kind kind;
  TwipRect twips;
};

inline constexpr std::size_t kLabel3 = 0, kLabel1 = 1, kProgressBar2 = 2, kLabel2 = 3,
                             kProgressBar1 = 4;
inline constexpr std::array<FormControl, 5> kFormControls = {{
    {"Label3", FormControl::Kind::kWrappingLabel, {120, 120, 4335, 975}},
    {"Label1", FormControl::Kind::kLabel, {120, 1200, 1230, 195}},
    {"ProgressBar2", FormControl::Kind::kProgressBar, {120, 1440, 4455, 375}},
    {"Label2", FormControl::Kind::kLabel, {120, 1920, 1290, 195}},
    {"ProgressBar1", FormControl::Kind::kProgressBar, {120, 2160, 4455, 375}},
}};
inline constexpr int kClientWidthTwips = 4695;
inline constexpr int kClientHeightTwips = 2715;
inline constexpr int kMarginTwips = 120;

struct PixelRect {
  int left, top, width, height;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width, height;
};

struct FormLayout {
  std::array<PixelRect, kFormControls.size()> controls;  // in kFormControls' order
  PixelSize client;
};

// What the platform's font needs for the text of label `index` of
// kFormControls: for a wrapping label, the height of its text wrapped at
// `width` (the width it returns is not used); for a one-line label, the size
// of its one line.
using MeasureLabel = std::function<PixelSize(std::size_t index, int width)>;

// Places the controls at their twip positions for `dpi` (96: 15 twips a
// pixel). A label whose text needs more room gets it: a one-line label grows
// wider, any label taller, and everything below moves down by the extra
// height. The client area is the designed one, grown by that extra height and
// as wide as the widest control needs with the margin to its right.
FormLayout LayOutForm(int dpi, const MeasureLabel& measure);

}  // namespace app

#endif  // PREISLISTE_APP_FORM_LAYOUT_H_
