#include "app/form_layout.h"

#include <algorithm>
#include <cmath>

namespace app {

FormLayout LayOutForm(int dpi, const MeasureLabel& measure) {
  const auto px = [dpi](int twips) {
    return static_cast<int>(std::lround(twips * static_cast<double>(dpi) / 1440.0));
  };
  FormLayout layout{};
  int shift = 0;
  int right = px(kClientWidthTwips);
  for (std::size_t i = 0; i < kFormControls.size(); ++i) {
    const FormControl& control = kFormControls[i];
    PixelRect rect{px(control.twips.left), px(control.twips.top) + shift,
                   px(control.twips.width), px(control.twips.height)};
    if (control.kind != FormControl::Kind::kProgressBar) {
      const PixelSize needed = measure(i, rect.width);
      if (control.kind == FormControl::Kind::kLabel)
        rect.width = std::max(rect.width, needed.width);
      if (needed.height > rect.height) {
        shift += needed.height - rect.height;
        rect.height = needed.height;
      }
    }
    layout.controls[i] = rect;
    right = std::max(right, rect.left + rect.width + px(kMarginTwips));
  }
  layout.client = {right, px(kClientHeightTwips) + shift};
  return layout;
}

}  // namespace app
