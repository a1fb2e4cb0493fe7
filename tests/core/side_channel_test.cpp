#include "core/side_channel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veskaro {
namespace {

// Names each case after its table entry.
struct CaseName {
  template <class Info>
  std::string operator()(const Info& param) const {
    return param.param.name;
  }
};

class FakeSideView : public SideChannelView {
 public:
  void SetPanelWidth(int w) override { width = w; }
  void SetPinButtonVisible(bool v) override { pinVisible = v; }
  void SetPinButtonDown(bool d) override { pinDown = d; }
  void SetCheckTimer(bool on) override { timer = on; }
  int width = -1;
  bool pinVisible = true;
  bool pinDown = true;
  bool timer = false;
};

// The panel's bar while it is in, as the window reports it on the screen.
constexpr PanelRect kBar{500, 100, SideChannel::InWidth, 409};
constexpr PanelRect kOut{224, 100, SideChannel::OutWidth, 409};

enum class Ev {
  TickInside,   // pointer strictly inside the current rectangle
  TickOutside,  // pointer well away
  TickOnLeftColumn,
  Pop,
  MoveActive,
  MoveWindowInactive,
  MoveAppInactive,
  Pin,
};

struct PanelCase {
  const char* name;
  std::vector<Ev> events;
  bool popped;
  bool timer;
  bool pinned;
  int pushes;
};

void PrintTo(const PanelCase& c, std::ostream* os) { *os << c.name; }
struct EdgeCase;
void PrintTo(const EdgeCase& c, std::ostream* os);

class SideChannelSequence : public ::testing::TestWithParam<PanelCase> {};

TEST_P(SideChannelSequence, EndsInTheExpectedState) {
  FakeSideView view;
  SideChannel panel(view);
  int pushes = 0;
  panel.Start();
  panel.SetOnPush([&] { ++pushes; });
  for (Ev e : GetParam().events) {
    const PanelRect r = panel.Popped() ? kOut : kBar;
    switch (e) {
      case Ev::TickInside: panel.CheckTick(r.left + 1, r.top + 1, r); break;
      case Ev::TickOutside: panel.CheckTick(5, 5, r); break;
      case Ev::TickOnLeftColumn: panel.CheckTick(r.left, r.top + 50, r); break;
      case Ev::Pop: panel.Pop(); break;
      case Ev::MoveActive: panel.PointerMoved(true, true); break;
      case Ev::MoveWindowInactive: panel.PointerMoved(false, true); break;
      case Ev::MoveAppInactive: panel.PointerMoved(true, false); break;
      case Ev::Pin: panel.TogglePin(); break;
    }
  }
  const PanelCase& c = GetParam();
  EXPECT_EQ(panel.Popped(), c.popped);
  EXPECT_EQ(panel.CheckTimerOn(), c.timer);
  EXPECT_EQ(panel.Pinned(), c.pinned);
  EXPECT_EQ(pushes, c.pushes);
  // The view always mirrors the machine.
  EXPECT_EQ(view.width, c.popped ? SideChannel::OutWidth : SideChannel::InWidth);
  EXPECT_EQ(view.timer, c.timer);
  EXPECT_EQ(view.pinVisible, c.popped);
  EXPECT_EQ(view.pinDown, c.pinned);
}

INSTANTIATE_TEST_SUITE_P(
    Events, SideChannelSequence,
    ::testing::Values(
        PanelCase{"StartUpIsInWithTheCheckRunning", {}, false, true, false, 0},
        PanelCase{"FirstTickOutsideSlidesBackAndLoads", {Ev::TickOutside}, false, false, false, 1},
        PanelCase{"TickInsideTheBarKeepsChecking", {Ev::TickInside, Ev::TickInside}, false, true, false, 0},
        PanelCase{"LeftColumnCountsAsOutside", {Ev::TickOnLeftColumn}, false, false, false, 1},
        PanelCase{"NoTicksAfterTheSlideBack", {Ev::TickOutside, Ev::TickOutside}, false, false, false, 1},
        PanelCase{"PopRunsTheCheck", {Ev::TickOutside, Ev::Pop}, true, true, false, 1},
        PanelCase{"PoppedStaysWhilePointerInside", {Ev::Pop, Ev::TickInside}, true, true, false, 0},
        PanelCase{"PoppedLeavesWhenPointerOutside", {Ev::Pop, Ev::TickOutside}, false, false, false, 1},
        PanelCase{"PinKeepsItOut", {Ev::Pop, Ev::Pin, Ev::TickOutside}, true, false, true, 0},
        PanelCase{"UnpinLetsTheNextTickSlideBack", {Ev::Pop, Ev::Pin, Ev::Pin, Ev::TickOutside}, false, false, false, 1},
        PanelCase{"PinWhileInDoesNothing", {Ev::TickOutside, Ev::Pin}, false, false, false, 1},
        PanelCase{"MovingOverTheBarSlidesOut", {Ev::TickOutside, Ev::MoveActive}, true, true, false, 1},
        PanelCase{"InactiveWindowDoesNotSlide", {Ev::TickOutside, Ev::MoveWindowInactive}, false, false, false, 1},
        PanelCase{"InactiveAppDoesNotSlide", {Ev::TickOutside, Ev::MoveAppInactive}, false, false, false, 1},
        PanelCase{"MovingWhileOutChangesNothing", {Ev::Pop, Ev::Pin, Ev::MoveActive}, true, false, true, 0},
        PanelCase{"PopWhilePinnedStaysPinned", {Ev::Pop, Ev::Pin, Ev::Pop, Ev::TickOutside}, true, false, true, 0},
        PanelCase{"OutAgainAfterALoad", {Ev::Pop, Ev::TickOutside, Ev::MoveActive, Ev::TickOutside}, false, false, false, 2}),
    CaseName());

struct EdgeCase {
  const char* name;
  int dx;  // from the rectangle's left
  int dy;  // from its top
  bool inside;
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.name; }

class StrictlyInsideEdges : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(StrictlyInsideEdges, OnlyInteriorPixelsCount) {
  const EdgeCase& c = GetParam();
  EXPECT_EQ(StrictlyInside(kOut, kOut.left + c.dx, kOut.top + c.dy), c.inside);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, StrictlyInsideEdges,
    ::testing::Values(EdgeCase{"LeftColumn", 0, 50, false}, EdgeCase{"TopRow", 50, 0, false},
                      EdgeCase{"FirstInteriorPixel", 1, 1, true},
                      EdgeCase{"LastInteriorColumn", kOut.width - 1, 50, true},
                      EdgeCase{"JustPastTheRight", kOut.width, 50, false},
                      EdgeCase{"LastInteriorRow", 50, kOut.height - 1, true},
                      EdgeCase{"JustPastTheBottom", 50, kOut.height, false},
                      EdgeCase{"LeftOfThePanel", -1, 50, false}),
    CaseName());

TEST(SideChannel, OnPushFiresAfterTheWidthIsBackAndOnEverySlideBack) {
  FakeSideView view;
  SideChannel panel(view);
  panel.Start();
  std::vector<int> widthsSeen;
  panel.SetOnPush([&] { widthsSeen.push_back(view.width); });
  panel.Push();  // already in: still fires
  panel.Pop();
  panel.Push();
  EXPECT_EQ(widthsSeen, (std::vector<int>{SideChannel::InWidth, SideChannel::InWidth}));
}

TEST(SideChannel, NothingFiresBeforeTheHandlerIsBound) {
  FakeSideView view;
  SideChannel panel(view);
  panel.Start();
  panel.CheckTick(0, 0, kBar);  // slides back with no handler
  int pushes = 0;
  panel.SetOnPush([&] { ++pushes; });
  EXPECT_EQ(pushes, 0);
  EXPECT_FALSE(panel.CheckTimerOn());
}

}  // namespace
}  // namespace veskaro
