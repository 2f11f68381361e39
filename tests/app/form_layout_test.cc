#include "app/form_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace app {
namespace {

// Label sizes the platform's font asks for; a wrapping label answers for the
// width it is offered.
struct Needs {
  PixelSize label3, label1, label2;
};

MeasureLabel Measure(const Needs& needs) {
  return [needs](std::size_t index, int) {
    return index == kLabel3   ? needs.label3
           : index == kLabel1 ? needs.label1
                              : needs.label2;
  };
}

TEST(FormLayoutTest, TwipsBecomePixelsForTheDpiAndLabelsGetTheRoomTheirTextNeeds) {
  struct Case {
    const char* what;
    int dpi;
    Needs needs;
    std::vector<PixelRect>
        controls;  // Label3, Label1, ProgressBar2, Label2, ProgressBar1
    PixelSize client;
  };
  const Case cases[] = {
      {"96 dpi, every text fits: 15 twips a pixel",
       96,
       {{289, 60}, {70, 13}, {70, 13}},
       {{8, 8, 289, 65},
        {8, 80, 82, 13},
        {8, 96, 297, 25},
        {8, 128, 86, 13},
        {8, 144, 297, 25}},
       {313, 181}},
      {"144 dpi (150 %): 10 twips a pixel, halves rounded away from zero",
       144,
       {{400, 90}, {100, 19}, {100, 19}},
       {{12, 12, 434, 98},
        {12, 120, 123, 20},
        {12, 144, 446, 38},
        {12, 192, 129, 20},
        {12, 216, 446, 38}},
       {470, 272}},
      {"the instruction text needs 20 pixels more: all below moves down, the window "
       "grows; its width stays, whatever the measure says",
       96,
       {{500, 85}, {70, 13}, {70, 13}},
       {{8, 8, 289, 85},
        {8, 100, 82, 13},
        {8, 116, 297, 25},
        {8, 148, 86, 13},
        {8, 164, 297, 25}},
       {313, 201}},
      {"a one-line label wider and taller than designed grows both ways, and the "
       "window widens to keep the margin",
       96,
       {{289, 60}, {70, 13}, {320, 17}},
       {{8, 8, 289, 65},
        {8, 80, 82, 13},
        {8, 96, 297, 25},
        {8, 128, 320, 17},
        {8, 148, 297, 25}},
       {336, 185}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const FormLayout layout = LayOutForm(c.dpi, Measure(c.needs));
    for (std::size_t i = 0; i < c.controls.size(); ++i) {
      const PixelRect& got = layout.controls[i];
      const PixelRect& want = c.controls[i];
      EXPECT_EQ(got, want) << kFormControls[i].name << ": got " << got.left << ","
                           << got.top << " " << got.width << "x" << got.height;
    }
    EXPECT_EQ(layout.client.width, c.client.width);
    EXPECT_EQ(layout.client.height, c.client.height);
  }
}

TEST(FormLayoutTest, TheWrappingLabelIsMeasuredAtItsDesignedWidth) {
  std::vector<int> offered;
  LayOutForm(120, [&offered](std::size_t index, int width) {
    if (index == kLabel3) offered.push_back(width);
    return PixelSize{1, 1};
  });
  EXPECT_EQ(offered, std::vector<int>{361});  // 4335 twips at 120 dpi
}

}  // namespace
}  // namespace app
