// The gear speeds page, walked: every start file whose four limits are each
// No Limit, below the floor, the default, out of order with their
// neighbours or less than a step from one, each followed by a few hundred
// seeded presses of Left, Right, Up and Down. After every press the page,
// the file and the rules a player was promised must agree.
#include "ExplorerWorld.h"
#include "config/Config.h"
#include "menu/Menu.h"
#include "vehicle/GearDisplay.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

namespace {

using explore::World;
namespace key = explore::key;

enum class Shape { NoLimit, BelowFloor, Default, OutOfOrder, Close };
constexpr Shape Shapes[] = {Shape::NoLimit, Shape::BelowFloor, Shape::Default, Shape::OutOfOrder,
                            Shape::Close};
constexpr const char* ShapeNames[] = {"no-limit", "below-floor", "default", "out-of-order", "close"};

float Default(std::size_t gear) { return DefaultConfig.GearSpeeds[gear]; }

// Gear `gear` (0 to 3) as the start file writes it.
std::string LimitText(Shape shape, std::size_t gear) {
  std::ostringstream text;
  switch (shape) {
    case Shape::NoLimit:
      return "inf";
    case Shape::BelowFloor:
      text << 0.5F + 0.1F * static_cast<float>(gear);
      break;
    case Shape::Default:
      text << Default(gear);
      break;
    case Shape::OutOfOrder:  // under the default of the gear below, or above the one above
      text << (gear == 0 ? Default(1) + 5.0F : Default(gear - 1) - 3.0F);
      break;
    case Shape::Close:  // within a step of the default of its neighbour
      text << (gear == 0 ? Default(1) - 0.1F : Default(gear - 1) + 0.1F);
      break;
  }
  return text.str();
}

// The limits the page shows, gears 1 to 4 from the top: each a figure in
// m/s as drawn (two decimals), or infinity for "No Limit".
std::array<float, 4> PageLimits(const World& world) {
  std::vector<const sim::DrawnText*> values;
  for (const sim::DrawnText& text : world.host.game.texts) {
    if (text.x == 0.11F) values.push_back(&text);
  }
  std::sort(values.begin(), values.end(), [](auto* a, auto* b) { return a->y < b->y; });
  std::array<float, 4> limits{};
  for (std::size_t gear = 0; gear < limits.size(); ++gear) {
    if (gear >= values.size()) return {};
    const std::string& text = values[gear]->text;
    limits[gear] = text == "No Limit" ? INFINITY : std::strtof(text.c_str() + 3, nullptr);  // after "~y~"
  }
  return limits;
}

// The gear whose row is selected, 0 to 3.
std::size_t SelectedGear(const World& world) {
  float marker = 0.0F;
  std::vector<float> rows;
  for (const sim::DrawnText& text : world.host.game.texts) {
    if (text.text == explore::MenuMarker) marker = text.y;
    if (text.x == 0.11F) rows.push_back(text.y);
  }
  std::sort(rows.begin(), rows.end());
  return static_cast<std::size_t>(std::find(rows.begin(), rows.end(), marker) - rows.begin());
}

bool HasFigure(float limit) { return MilesPerHour(limit).has_value(); }

// The file's limits as the page shows them.
::testing::AssertionResult PageShowsFile(const std::array<float, 4>& page, const std::array<float, 4>& file) {
  for (std::size_t gear = 0; gear < page.size(); ++gear) {
    const bool same =
        HasFigure(file[gear]) ? std::fabs(page[gear] - file[gear]) <= 0.0051F : std::isinf(page[gear]);
    if (!same)
      return ::testing::AssertionFailure()
             << "gear " << gear + 1 << ": the page shows " << page[gear] << ", the file holds " << file[gear];
  }
  return ::testing::AssertionSuccess();
}

class GearPageWalk : public ::testing::TestWithParam<Shape> {};

TEST_P(GearPageWalk, EveryPressKeepsTheFloorsTheOrderAndThePageTrue) {
  constexpr int Presses = 200;
  long walks = 0;
  std::array<Shape, 4> shapes{GetParam()};
  for (Shape second : Shapes) {
    for (Shape third : Shapes) {
      for (Shape fourth : Shapes) {
        shapes = {GetParam(), second, third, fourth};
        std::string file = "[GearSpeeds]\n";
        std::string name;
        for (std::size_t gear = 0; gear < 4; ++gear) {
          file += "Gear" + std::to_string(gear + 1) + "=" + LimitText(shapes[gear], gear) + "\n";
          name += std::string(name.empty() ? "" : ", ") + ShapeNames[static_cast<int>(shapes[gear])];
        }
        SCOPED_TRACE("start file " + name + ":\n" + file);
        World world(file);
        std::mt19937 random(static_cast<unsigned>(++walks));
        world.Frame();
        world.Tap(key::Menu);
        world.Tap(key::Up);  // the last row: Gear Speeds
        world.Tap(key::Enter);
        world.Tap(key::Up);  // the highest gear first: its floor is the furthest down
        ASSERT_TRUE(world.Drew("~y~Halvane~w~ | Gear Speeds"));
        std::size_t gear = SelectedGear(world);
        ASSERT_EQ(gear, 3U);
        std::string presses;
        for (int press = 0; press < Presses; ++press) {
          const auto roll = random() % 100;
          const KeyCode pressed = roll < 50   ? key::Left
                                  : roll < 75 ? key::Right
                                  : roll < 88 ? key::Up
                                              : key::Down;
          const std::array<float, 4> before = promises::FileGearLimits(world.File());
          // One pass a press: a key held on from the last press is let go
          // for a pass first, so that it is pressed anew.
          const bool again = world.host.input.keys[static_cast<std::size_t>(pressed)];
          world.host.input.keys = {};
          if (again) world.Frame();
          world.Hold(pressed);
          world.Frame();
          const std::array<float, 4> after = promises::FileGearLimits(world.File());
          presses += pressed == key::Left    ? 'L'
                     : pressed == key::Right ? 'R'
                     : pressed == key::Up    ? 'U'
                                             : 'D';
          SCOPED_TRACE("presses " + presses + ", on gear " + std::to_string(gear + 1));
          ASSERT_TRUE(world.host.errors.empty()) << world.host.errors.front();
          // A pass draws the page as it stood before its press.
          ASSERT_EQ(SelectedGear(world), gear);
          ASSERT_TRUE(PageShowsFile(PageLimits(world), before));
          ASSERT_TRUE(promises::NoLimitLost(before, after));
          if (pressed == key::Left) {
            // Never raised; a press that changed anything leaves every gear
            // with a figure at or above its floor.
            ASSERT_FALSE(HasFigure(before[gear]) && after[gear] > before[gear]) << "Left raised it";
            if (before != after) {
              ASSERT_TRUE(promises::LimitsAboveFloors(after));
            }
          } else if (pressed == key::Right) {
            ASSERT_FALSE(after[gear] < before[gear]) << "Right lowered it";
          } else {
            for (std::size_t g = 0; g < 4; ++g)
              ASSERT_TRUE(before[g] == after[g] || (std::isnan(before[g]) && std::isnan(after[g])));
            gear = pressed == key::Up ? (gear + 3) % 4 : (gear + 1) % 4;
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(FirstGear, GearPageWalk, ::testing::ValuesIn(Shapes),
                         [](const ::testing::TestParamInfo<Shape>& info) {
                           std::string name = ShapeNames[static_cast<int>(info.param)];
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
