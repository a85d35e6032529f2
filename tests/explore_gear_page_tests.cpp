// The gear speeds page, walked: every start file whose four limits are each
// No Limit, below the floor, the default, out of order with their
// neighbours or less than a step from one, at every magnitude a limit can
// take (tiny, ordinary, thousands, millions of m/s), each followed by seeded
// presses of Left, Right, Up and Down, the plug-in started again from its
// own file every few presses. After every press the page, the file and the
// rules a player was promised must agree.
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

// The limits of a start file: the defaults scaled, a little off the numbers
// six digits can write from the thousands on.
struct Magnitude {
  const char* name;
  float scale;
  float offset;
};
constexpr Magnitude Magnitudes[] = {{"tiny", 0.08F, 0.0F},
                                    {"ordinary", 1.0F, 0.0F},
                                    {"thousands", 100.0F, 0.005F},
                                    {"millions", 300000.0F, 0.5F}};

float Base(const Magnitude& magnitude, std::size_t gear) {
  return DefaultConfig.GearSpeeds[gear] * magnitude.scale + magnitude.offset;
}

// Gear `gear` (0 to 3) as the start file writes it, with nine digits: every
// float as it is.
std::string LimitText(Shape shape, std::size_t gear, const Magnitude& magnitude) {
  std::ostringstream text;
  text.precision(9);
  switch (shape) {
    case Shape::NoLimit:
      return "inf";
    case Shape::BelowFloor:
      text << 0.5F + 0.1F * static_cast<float>(gear);
      break;
    case Shape::Default:
      text << Base(magnitude, gear);
      break;
    case Shape::OutOfOrder:  // under the gear below, or above the one above
      text << (gear == 0 ? Base(magnitude, 1) * 1.5F : Base(magnitude, gear - 1) * 0.7F);
      break;
    case Shape::Close:  // within a step of its neighbour
      text << (gear == 0 ? Base(magnitude, 1) - 0.1F : Base(magnitude, gear - 1) + 0.1F);
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
    // Two decimals, or the float nearest to them where it holds fewer.
    const float tolerance = std::max(0.0051F, 2.0F * (std::nextafter(file[gear], INFINITY) - file[gear]));
    const bool same =
        HasFigure(file[gear]) ? std::fabs(page[gear] - file[gear]) <= tolerance : std::isinf(page[gear]);
    if (!same)
      return ::testing::AssertionFailure()
             << "gear " << gear + 1 << ": the page shows " << page[gear] << ", the file holds " << file[gear];
  }
  return ::testing::AssertionSuccess();
}

bool Same(const std::array<float, 4>& a, const std::array<float, 4>& b) {
  for (std::size_t g = 0; g < a.size(); ++g) {
    if (!(a[g] == b[g] || (std::isnan(a[g]) && std::isnan(b[g])))) return false;
  }
  return true;
}

// The page opened on `gear` (0 to 3), from the game with the menu closed.
void OpenPageAt(World& world, std::size_t gear) {
  world.host.input.keys = {};
  world.Frame();
  world.Tap(key::Menu);
  world.Tap(key::Up);  // the last row: Gear Speeds
  world.Tap(key::Enter);
  for (std::size_t row = 0; row < gear; ++row) world.Tap(key::Down);
}

// After a Right on `gear`: raised, unless the next figure up would be none;
// and, when it changed anything, every gear with a figure above the one
// below it.
::testing::AssertionResult RightKept(const std::array<float, 4>& before, const std::array<float, 4>& after,
                                     std::size_t gear) {
  if (HasFigure(before[gear]) && HasFigure(before[gear] * 1.0001F) && !(after[gear] > before[gear]))
    return ::testing::AssertionFailure() << "Right left gear " << gear + 1 << " at " << after[gear];
  if (Same(before, after)) return ::testing::AssertionSuccess();
  std::optional<float> below;
  for (std::size_t g = 0; g < after.size(); ++g) {
    if (!HasFigure(after[g])) continue;
    if (below && !(after[g] > *below))
      return ::testing::AssertionFailure()
             << "gear " << g + 1 << " at " << after[g] << ", not above " << *below;
    below = after[g];
  }
  return ::testing::AssertionSuccess();
}

class GearPageWalk : public ::testing::TestWithParam<Magnitude> {};

TEST_P(GearPageWalk, EveryPressKeepsTheFloorsTheOrderAndThePageTrue) {
  constexpr int Presses = 36;
  constexpr int PressesBetweenStarts = 12;
  const Magnitude& magnitude = GetParam();
  const int stride = explore::Stride(23);
  long walks = 0;
  for (Shape first : Shapes) {
    for (Shape second : Shapes) {
      for (Shape third : Shapes) {
        for (Shape fourth : Shapes) {
          if (walks++ % stride != 0) continue;
          const std::array<Shape, 4> shapes = {first, second, third, fourth};
          std::string file = "[GearSpeeds]\n";
          std::string name;
          for (std::size_t gear = 0; gear < 4; ++gear) {
            file += "Gear" + std::to_string(gear + 1) + "=" + LimitText(shapes[gear], gear, magnitude) + "\n";
            name += std::string(name.empty() ? "" : ", ") + ShapeNames[static_cast<int>(shapes[gear])];
          }
          SCOPED_TRACE("start file " + name + ":\n" + file);
          World world(file);
          std::mt19937 random(static_cast<unsigned>(walks));
          // The highest gear first: its floor is the furthest down.
          std::size_t gear = 3;
          OpenPageAt(world, gear);
          ASSERT_TRUE(world.Drew("~y~Halvane~w~ | Gear Speeds"));
          ASSERT_EQ(SelectedGear(world), gear);
          std::string presses;
          std::array<float, 4> before = promises::FileGearLimits(world.File());
          for (int press = 0; press < Presses; ++press) {
            if (press > 0 && press % PressesBetweenStarts == 0) {
              // Started again, the plug-in goes on from what it saved.
              world.host.Unload();
              world.host.Load();
              OpenPageAt(world, gear);
              presses += '|';
              ASSERT_TRUE(Same(promises::FileGearLimits(world.File()), before)) << "a start changed the file";
            }
            const auto roll = random() % 100;
            const KeyCode pressed = roll < 50   ? key::Left
                                    : roll < 75 ? key::Right
                                    : roll < 88 ? key::Up
                                                : key::Down;
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
              ASSERT_TRUE(RightKept(before, after, gear));
            } else {
              ASSERT_TRUE(Same(before, after)) << "Up or Down changed a limit";
              gear = pressed == key::Up ? (gear + 3) % 4 : (gear + 1) % 4;
            }
            before = after;
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Limits, GearPageWalk, ::testing::ValuesIn(Magnitudes),
                         [](const ::testing::TestParamInfo<Magnitude>& info) { return info.param.name; });

}  // namespace
