#include "core/credit_gesture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace veskaro {
namespace {

class CountingTimer : public GestureTimer {
 public:
  void Enable() override { ++enables; }
  int enables = 0;
};

// One step of a gesture: a press or a tick of Timer1.
enum class Step { Right, Left, Middle, Tick, AboutClosed };

struct GestureCase {
  const char* name;
  std::vector<Step> steps;
  bool unlocked;
};

class CreditGestureTest : public ::testing::TestWithParam<GestureCase> {};

TEST_P(CreditGestureTest, UnlocksOnlyOnRightThenLeftBeforeTheTick) {
  CountingTimer timer;
  CreditGesture gesture(timer);
  gesture.FormCreate();
  for (Step step : GetParam().steps) {
    switch (step) {
      case Step::Right: gesture.MouseDown(MouseButton::Right); break;
      case Step::Left: gesture.MouseDown(MouseButton::Left); break;
      case Step::Middle: gesture.MouseDown(MouseButton::Middle); break;
      case Step::Tick: gesture.TimerTick(); break;
      case Step::AboutClosed: gesture.AboutWindowClosed(); break;
    }
  }
  EXPECT_EQ(gesture.CreditUnlocked(), GetParam().unlocked);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CreditGestureTest,
    ::testing::Values(
        GestureCase{"RightThenLeft", {Step::Right, Step::Left}, true},
        GestureCase{"RightTickLeft", {Step::Right, Step::Tick, Step::Left}, false},
        GestureCase{"LeftAlone", {Step::Left}, false},
        GestureCase{"LeftThenRight", {Step::Left, Step::Right}, false},
        GestureCase{"MiddleDoesNotArm", {Step::Middle, Step::Left}, false},
        GestureCase{"LeftKeepsArming", {Step::Right, Step::Left, Step::Left}, true},
        GestureCase{"LaterRightArmsAgain", {Step::Right, Step::Tick, Step::Right, Step::Left}, true},
        GestureCase{"CloseClearsUnlock", {Step::Right, Step::Left, Step::AboutClosed}, false},
        GestureCase{"UnlockSurvivesTick", {Step::Right, Step::Left, Step::Tick}, true},
        // Closing an About window clears the unlock but not the arming: a left
        // press still inside the same second unlocks again.
        GestureCase{"CloseKeepsArming",
                    {Step::Right, Step::Left, Step::AboutClosed, Step::Left}, true}),
    [](const ::testing::TestParamInfo<GestureCase>& param) {
      return std::string(param.param.name);
    });

TEST(CreditGesture, EveryRightPressAsksForTheTimer) {
  CountingTimer timer;
  CreditGesture gesture(timer);
  gesture.MouseDown(MouseButton::Right);
  gesture.MouseDown(MouseButton::Left);
  gesture.MouseDown(MouseButton::Right);
  // The timer itself must not restart when enabled again; the gesture just asks.
  EXPECT_EQ(timer.enables, 2);
  EXPECT_TRUE(gesture.RightClickArmed());
  gesture.TimerTick();
  EXPECT_FALSE(gesture.RightClickArmed());
}

TEST(CreditGesture, RefusedTimerLeavesTheArmingSet) {
  struct RefusingTimer : GestureTimer {
    void Enable() override { throw std::runtime_error("Not enough timers available"); }
  } timer;
  CreditGesture gesture(timer);
  EXPECT_THROW(gesture.MouseDown(MouseButton::Right), std::runtime_error);
  EXPECT_TRUE(gesture.RightClickArmed());
}

}  // namespace
}  // namespace veskaro
