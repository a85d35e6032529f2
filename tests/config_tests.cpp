// Key names, the settings record and Halvane.ini, exercised on the copies
// linked into this test program, with the file in the test's own folder.
#include "Playthrough.h"
#include "config/Config.h"
#include "config/Number.h"
#include "config/Settings.h"
#include "config/SettingsTable.h"
#include "input/KeyNames.h"
#include "plugin/FrameLoop.h"

#include <gmock/gmock.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <sstream>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// The file the plug-in writes at its first start, kept once for every test.
const std::string DefaultFile =
    ReadFile(std::filesystem::path(HALVANE_SOURCE_DIR) / "tests/data/default-settings.ini");

// Which file a name leads to: a replace gives the name another.
ino_t Identity(const std::filesystem::path& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_ino;
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// A disk that takes no file past `bytes`, as a full one would: writes beyond
// that fail (EFBIG) instead of ending the process, while bytes already in a
// file can still be written over.
class FullDisk {
 public:
  explicit FullDisk(std::size_t bytes) : previous_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit limit{static_cast<rlim_t>(bytes), old_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit old_{};
  void (*previous_)(int);
};

bool SameRecord(const ConfigRecord& a, const ConfigRecord& b) {
  for (std::size_t i = 0; i < a.GearSpeeds.size(); ++i) {
    const float x = a.GearSpeeds[i];
    const float y = b.GearSpeeds[i];
    if (!(x == y || (std::isnan(x) && std::isnan(y)))) return false;
  }
  ConfigRecord aligned = b;  // the limits compared above, the rest field by field
  aligned.GearSpeeds = a.GearSpeeds;
  return a == aligned;
}

TEST(KeyNames, EveryNamedCodeRoundTripsAndNearMissesAreNoName) {
  std::set<std::string> names;
  for (KeyCode code = -5; code <= 300; ++code) {
    const std::string name = KeyName(code);
    if (name == "?") continue;
    names.insert(name);
    EXPECT_EQ(KeyCodeFromName(name), code) << name;
  }
  EXPECT_EQ(names.size(), 76U);
  EXPECT_STREQ(KeyName(84), "T");
  EXPECT_STREQ(KeyName(105), "NUM9");
  EXPECT_STREQ(KeyName(6), "MOUSE5");
  EXPECT_STREQ(KeyName(269), "PAD_DPAD_RIGHT");
  for (KeyCode unnamed : {0, 1, 4, 32, 13, 58, 124, 255, 272, -1, INT32_MIN, INT32_MAX})
    EXPECT_STREQ(KeyName(unnamed), "?") << unnamed;

  EXPECT_EQ(KeyCodeFromName("PAD_LB"), 260);
  EXPECT_EQ(KeyCodeFromName("F10"), 121);
  for (const char* miss : {"", "PAD_L", "F1 ", " F1", "f2", "F2\r", "?", "pad_a", "NUM10", "F2\n"}) {
    EXPECT_EQ(KeyCodeFromName(miss), -1) << miss;
  }
  EXPECT_EQ(KeyCodeFromName(std::string_view("F2\0", 3)), -1);
}

TEST(ConfigDefaults, SpeedLimitsHoldTheirExactBitPatterns) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(DefaultConfig.GearSpeeds[0]), 0x411B851FU);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(DefaultConfig.GearSpeeds[1]), 0x41907AE1U);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(DefaultConfig.GearSpeeds[2]), 0x41D31EB8U);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(DefaultConfig.GearSpeeds[3]), 0x420AE148U);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(DefaultConfig.GearSpeeds[4]), 0x461C3C00U);
}

class SettingsFileTest : public Playthrough {
 protected:
  void SetUp() override {
    Playthrough::SetUp();
    ResetPluginState();
    file = folder / "Halvane.ini";
    SettingsPath = file.string();
  }
  // Loads a file holding exactly `content` into a default record.
  void LoadText(const std::string& content) {
    WriteFile(file, content);
    Config = DefaultConfig;
    LoadSettings();
  }
  std::filesystem::path file;
};

TEST_F(SettingsFileTest, NoFileWritesTheDefaultsAndAFileIsReadWithoutBeingRewritten) {
  LoadSettings();
  EXPECT_EQ(ReadFile(file), DefaultFile);
  EXPECT_TRUE(SameRecord(Config, DefaultConfig));

  const std::string edited = "; mine\nMenu=F5\n";
  LoadText(edited);
  EXPECT_EQ(Config.Menu, 116);
  EXPECT_EQ(ReadFile(file), edited);
}

TEST_F(SettingsFileTest, EachLineIsTakenExactlyAsWritten) {
  struct Row {
    const char* line;
    void (*check)();
  };
  const Row rows[] = {
      {"Menu = F2\nMenu =F9", [] { EXPECT_EQ(Config.Menu, 113); }},
      {"menu=F5", [] { EXPECT_EQ(Config.Menu, 113); }},
      {"Menu=f5", [] { EXPECT_EQ(Config.Menu, 113); }},
      {"[GearSpeeds]\nMenu=F5", [] { EXPECT_EQ(Config.Menu, 116); }},
      {"GearSystem=1 ", [] { EXPECT_FALSE(Config.GearSystem); }},
      {"GearSystem=true", [] { EXPECT_FALSE(Config.GearSystem); }},
      {"GearSystem=", [] { EXPECT_FALSE(Config.GearSystem); }},
      {"HideAmmoHud=1", [] { EXPECT_TRUE(Config.HideAmmoHud); }},
      {"Gear1=12.5abc", [] { EXPECT_EQ(Config.GearSpeeds[0], 12.5F); }},
      {"Gear1= 12.5", [] { EXPECT_EQ(Config.GearSpeeds[0], 12.5F); }},
      {"Gear1=abc", [] { EXPECT_EQ(Config.GearSpeeds[0], 9.72F); }},
      {"Gear1=1e60", [] { EXPECT_EQ(Config.GearSpeeds[0], 9.72F); }},
      {"Gear1=1e-50", [] { EXPECT_EQ(Config.GearSpeeds[0], 9.72F); }},
      {"Gear4=3.4e38", [] { EXPECT_EQ(Config.GearSpeeds[3], 3.4e38F); }},
      {"Gear2=1", [] { EXPECT_EQ(Config.GearSpeeds[1], 1.0F); }},
      {"Gear3=0.5\nGear4=0.1",
       [] {
         EXPECT_EQ(Config.GearSpeeds[2], 0.5F);  // no order test when loading
         EXPECT_EQ(Config.GearSpeeds[3], 0.1F);
       }},
      {"Gear5=50", [] { EXPECT_EQ(Config.GearSpeeds[4], 9999.0F); }},
      {"Menu=F3\nMenu=F4", [] { EXPECT_EQ(Config.Menu, 115); }},
      {"Menu=F3\nMenu=?", [] { EXPECT_EQ(Config.Menu, 114); }},
      {"Reload=PAD_X\nEngine=MOUSE4\nSurrender=NUM0\nGearUp=PAD_RT\nGearDown=Z\nSafetyToggle=0",
       [] {
         EXPECT_EQ(Config.Reload, 258);
         EXPECT_EQ(Config.Engine, 5);
         EXPECT_EQ(Config.Surrender, 96);
         EXPECT_EQ(Config.GearUp, 271);
         EXPECT_EQ(Config.GearDown, 90);
         EXPECT_EQ(Config.SafetyToggle, 48);
       }},
      {"Nonsense=T\n;Menu=F5\n[Menu=F5\nno equals sign\n=F5",
       [] { EXPECT_TRUE(SameRecord(Config, DefaultConfig)); }},
      {"Menu=F6", [] { EXPECT_EQ(Config.Menu, 117); }},  // a last line without a line break
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    LoadText(row.line);
    row.check();
  }
}

TEST_F(SettingsFileTest, ASpeedLimitMustBeAPositiveNumber) {
  for (const char* bad : {"-5", "0", "-0", "0.0e5", "-inf", "nan", "-nan", "NAN(1)", "0x0p0", "-1e-3"}) {
    SCOPED_TRACE(bad);
    LoadText(std::string("Gear1=") + bad + "\nGear4=" + bad);
    EXPECT_EQ(Config.GearSpeeds[0], 9.72F);
    EXPECT_EQ(Config.GearSpeeds[3], 34.72F);
  }
  LoadText("Gear2=5\nGear2=-5\nGear3=inf\nGear4=1e30");  // a bad line keeps what came before
  EXPECT_EQ(Config.GearSpeeds[1], 5.0F);
  EXPECT_EQ(Config.GearSpeeds[2], INFINITY);
  EXPECT_EQ(Config.GearSpeeds[3], 1e30F);
}

TEST_F(SettingsFileTest, ANulByteIsAnOrdinaryByteOfItsLine) {
  using namespace std::string_literals;
  LoadText("Menu=F5\0x\nEngine=H\n"s);
  EXPECT_EQ(Config.Menu, 113);  // "F5\0x" is no key name
  EXPECT_EQ(Config.Engine, 72);

  LoadText("HideAmmoHud=1\0\nHideAmmoHud=1\nSurrender=Y\0\nGearSystem=0\nGearSystem=1\0"s);
  EXPECT_TRUE(Config.HideAmmoHud);  // the line after the NUL counts on its own
  EXPECT_FALSE(Config.GearSystem);  // "1\0" is not "1"
  EXPECT_EQ(Config.Surrender, 89);

  LoadText("Engine=H\0\nGear1=12.5\0abc\n\0Menu=F5\n"s);
  EXPECT_EQ(Config.Engine, 71);
  EXPECT_EQ(Config.GearSpeeds[0], 12.5F);  // what follows the number is ignored
  EXPECT_EQ(Config.Menu, 113);
}

TEST_F(SettingsFileTest, LineBreaksAndAByteOrderMarkReadAsAnEditorMeansThem) {
  struct Row {
    std::string text;
    KeyCode menu;
  };
  const Row rows[] = {
      {"\xEF\xBB\xBFMenu=F5\r\n", 116},            // an editor's "UTF-8 with BOM"
      {"\xEF\xBB\xBF\xEF\xBB\xBFMenu=F5\n", 113},  // one mark only
      {"Engine=H\n\xEF\xBB\xBFMenu=F5\n", 113},    // only at the start of the file
      {"Engine=H\r\nMenu=F5\r\n", 116},            // CR LF
      {"Menu=F5\r\r\n", 113},                      // the first CR of CR CR LF stays
      {"Menu=F5\rEngine=H\n", 113},                // a lone CR stays in its line
      {"Menu=F5\r", 113},                          // and at the end of the file
      {"Engine=H\r\n\x1A\r\nMenu=F5\r\n", 116},    // Ctrl-Z is an ordinary byte
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.text));
    LoadText(row.text);
    EXPECT_EQ(Config.Menu, row.menu);
  }
  LoadText("Engine=H\r\n\x1A\r\nMenu=F5\r\n");
  EXPECT_EQ(Config.Engine, 72);
}

TEST_F(SettingsFileTest, AFileOverOneMebibyteIsUnreadableAndLeftAlone) {
  constexpr std::size_t MiB = 1024 * 1024;
  const std::string tail = "\nMenu=F5\n";
  const std::string largest = ";" + std::string(MiB - 1 - tail.size(), 'x') + tail;
  ASSERT_EQ(largest.size(), MiB);
  LoadText(largest);
  EXPECT_EQ(Config.Menu, 116);

  const std::string over = ";" + largest;
  LoadText(over);
  EXPECT_EQ(Config.Menu, 113);
  Config.Engine = 72;
  SaveSettings();  // never written over
  EXPECT_EQ(ReadFile(file), over);
  EXPECT_FALSE(std::filesystem::exists(folder / "Halvane.ini.tmp"));
}

TEST_F(SettingsFileTest, AFullDiskNeverCostsTheOldFile) {
  const std::string temporary = file.string() + ".tmp";
  const std::string mine = "Menu=F5\nEngine=H\nGear1=12.5\n";
  LoadText(mine);
  const ino_t original = Identity(file);

  // The temporary cannot be written whole: the old file stays, byte for
  // byte, no temporary is left, and the change holds for the run.
  Config.GearSystem = false;
  {
    const FullDisk disk(mine.size());
    SaveSettings();
  }
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_EQ(Identity(file), original);
  EXPECT_FALSE(std::filesystem::exists(temporary));
  EXPECT_FALSE(Config.GearSystem);

  // No temporary can be made (a leftover folder in its place) and the
  // in-place write runs out of disk half-way: the old bytes are put back.
  std::filesystem::create_directory(temporary);
  {
    const FullDisk disk(mine.size());
    SaveSettings();
  }
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_EQ(Identity(file), original);

  // A longer file whose cut to the new length fails: put back as it was.
  const std::string longer = "; " + std::string(400, '#') + "\nMenu=F5\n";
  LoadText(longer);
  host.environment.cutFails = true;
  SaveSettings();
  EXPECT_EQ(ReadFile(file), longer);
  host.environment.cutFails = false;
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=G\n"));
  EXPECT_THAT(ReadFile(file), ::testing::EndsWith("Gear4=34.72\n"));
  EXPECT_EQ(ReadFile(file).size(), DefaultFile.size());
  std::filesystem::remove(temporary);
}

// Saves with every file call watched, and checks what a crash right after
// each would leave: the settings before the change or after it, never a
// mix, never less.
class SaveCrashTest : public SettingsFileTest {
 protected:
  void SaveWatched(const std::string& old, void (*change)(), bool saved) {
    LoadText(old);
    const ConfigRecord before = Config;
    change();
    const ConfigRecord after = Config;
    std::vector<std::optional<std::string>> left;
    host.environment.afterFileCall = [&] {
      left.push_back(std::filesystem::exists(file) ? std::optional(ReadFile(file)) : std::nullopt);
    };
    EXPECT_EQ(SaveSettings(), saved);
    host.environment.afterFileCall = nullptr;
    EXPECT_GE(left.size(), 2U);
    for (std::size_t call = 0; call < left.size(); ++call) {
      ASSERT_TRUE(left[call].has_value()) << "no file after file call " << call;
      Config = DefaultConfig;
      LoadSettingsText(*left[call]);
      EXPECT_TRUE(Config == before || Config == after) << "after file call " << call << ":\n" << *left[call];
      // Nor any stray bytes: the old text or a whole new one, each perhaps
      // followed by the blank lines that pad an in-place write.
      std::string text = *left[call];
      while (text.ends_with("\n\n")) text.pop_back();
      const bool whole = text.starts_with("[Keybindings]\n") && text.ends_with("\n") &&
                         std::count(text.begin(), text.end(), '\n') ==
                             std::count(DefaultFile.begin(), DefaultFile.end(), '\n');
      EXPECT_TRUE(text == old || whole) << "after file call " << call << ":\n" << *left[call];
    }
    Config = after;
    EXPECT_FALSE(std::filesystem::exists(folder / "Halvane.ini.tmp"));
  }
};

// The player's lines at the end, under a long comment: a new text written
// over them without care leaves their tail behind it.
const std::string LongFile = "; " + std::string(400, '#') + "\nMenu=F5\nEngine=H\nHideAmmoHud=1\n";

TEST_F(SaveCrashTest, ReplacingTheFile) {
  SaveWatched(
      LongFile,
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      true);
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Engine=J\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverALongerFile) {
  host.environment.replaceFails = true;
  SaveWatched(
      LongFile,
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      true);
  EXPECT_THAT(ReadFile(file), ::testing::EndsWith("Gear4=34.72\n"));
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverAShorterFile) {
  host.environment.replaceFails = true;
  SaveWatched(
      "Menu=F5\n",
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      true);
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceOverAShorterFileWhenTheCutFails) {
  host.environment.replaceFails = true;
  host.environment.cutFails = true;
  SaveWatched(
      "Menu=F5\n",
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      false);
  EXPECT_THAT(ReadFile(file), ::testing::StartsWith("Menu=F5\n\n\n"));
}

TEST_F(SaveCrashTest, WritingInPlaceWhenTheCutFailsAndTheOldBytesGoBack) {
  host.environment.replaceFails = true;
  host.environment.cutFails = true;
  SaveWatched(
      LongFile,
      [] {
        Config.Engine = 'J';
        Config.Surrender = 'U';
      },
      false);
  EXPECT_EQ(ReadFile(file), LongFile);
}

TEST_F(SettingsFileTest, AStaleTemporaryIsNeverWrittenThrough) {
  const std::filesystem::path temporary = folder / "Halvane.ini.tmp";
  const std::filesystem::path other = folder / "other.txt";
  WriteFile(other, "another program's file\n");
  LoadText("Menu=F5\n");
  // Left as a hard link to another file: that file is not touched.
  std::filesystem::create_hard_link(other, temporary);
  Config.Engine = 'J';
  EXPECT_TRUE(SaveSettings());
  EXPECT_EQ(ReadFile(other), "another program's file\n");
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\nEngine=J\n"));
  EXPECT_FALSE(std::filesystem::exists(temporary));

  // A link to the settings file itself, on a full disk: the file is kept whole.
  const std::string mine = ReadFile(file);
  std::filesystem::create_hard_link(file, temporary);
  Config.Engine = 'K';
  {
    const FullDisk disk(mine.size() - 1);
    EXPECT_FALSE(SaveSettings());
  }
  EXPECT_EQ(ReadFile(file), mine);
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(SettingsFileTest, EverySaveReplacesTheFileAfterPuttingTheNewOneOnTheDisk) {
  LoadText(DefaultFile);
  const std::string temporary = (std::filesystem::canonical(folder) / "Halvane.ini.tmp").string();
  std::string previous = DefaultFile;
  for (KeyCode menu : {116, 117, 118}) {
    SCOPED_TRACE(menu);
    const ino_t before = Identity(file);
    std::ifstream reader(file, std::ios::binary);  // a program reading the file meanwhile
    host.fileLog.clear();
    Config.Menu = menu;
    SaveSettings();
    EXPECT_NE(Identity(file), before);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), previous);  // never half of each
    EXPECT_THAT(host.fileLog, ::testing::ElementsAre("sync " + temporary,
                                                     "move " + file.string() + ".tmp " + file.string()));
    previous = ReadFile(file);
    EXPECT_THAT(previous, ::testing::HasSubstr("Menu=" + std::string(KeyName(menu)) + "\n"));
  }
}

TEST_F(SettingsFileTest, SpeedsAreWrittenWithAPointUnderALocaleWithADecimalComma) {
  LoadSettings();
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine (LOCPATH=" << (std::getenv("LOCPATH") ?: "")
                 << ")";
  }
  char comma[16];
  std::snprintf(comma, sizeof comma, "%g", 12.75);
  Config.GearSpeeds = {12.75F, 0.2778F, 1e6F, 1.5e-5F, 9999.0F};
  const ConfigRecord saved = Config;
  SaveSettings();
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_STREQ(comma, "12,75");  // the locale really writes a comma
  EXPECT_THAT(ReadFile(file),
              ::testing::HasSubstr("Gear1=12.75\nGear2=0.2778\nGear3=1e+06\nGear4=1.5e-05\n"));
  Config = DefaultConfig;
  LoadSettings();
  EXPECT_TRUE(SameRecord(Config, saved));
}

TEST_F(SettingsFileTest, AFileThatIsThereButCannotBeReadIsLeftAlone) {
  // A name that leads nowhere readable: a link that points at itself.
  std::filesystem::create_symlink("Halvane.ini", file);
  LoadSettings();
  Config.Menu = 116;
  SaveSettings();  // the change holds for the run only
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(Config.Menu, 116);
  Config = DefaultConfig;
  EXPECT_FALSE(std::filesystem::exists(folder / "Halvane.ini.tmp"));
  EXPECT_TRUE(SameRecord(Config, DefaultConfig));

  std::filesystem::remove(file);
  LoadSettings();  // a missing file is made with the defaults
  EXPECT_EQ(ReadFile(file), DefaultFile);
}

TEST(SpeedNumbers, ReadAsTheCLibraryReadsThemInTheCLocale) {
  const auto c = [](const std::string& text) -> std::optional<float> {
    char* end = nullptr;
    errno = 0;
    const float number = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || errno == ERANGE) return std::nullopt;
    return number;
  };
  const auto same = [](std::optional<float> a, std::optional<float> b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || std::bit_cast<std::uint32_t>(*a) == std::bit_cast<std::uint32_t>(*b) ||
           (std::isnan(*a) && std::isnan(*b));
  };
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  for (const char* text :
       {"9.72",     " \t+.5e", "0x1.8p3",      "0X.8",          "0x",       "0xg",       "0x1p-149",
        "1e-45",    "1e60",    "3.4028235e38", "3.4028236e38",  "INFINITY", "InFiNiTy!", "nan(abc)",
        "nan(a-b)", "-nan",    "+-1",          "--1",           "-0x-1",    ".",         "-.e1",
        "\v5",      "1e+",     "5,5",          "0x1.fffffep127"}) {
    EXPECT_TRUE(same(ReadFloat(text), c(text))) << text;
  }
  // Random strings over the characters numbers are made of.
  std::mt19937 random(99);
  const std::string alphabet = "0123456789.eE+-xXpPaAfFiInNtTyY( )_\t";
  for (int round = 0; round < 200000; ++round) {
    std::string text;
    if (round % 3 == 0) {
      text = std::to_string(random() % 100000) + "." + std::to_string(random()) + "e" +
             std::to_string(static_cast<int>(random() % 100) - 50);
    } else {
      for (std::size_t n = random() % 12; n > 0; --n) text += alphabet[random() % alphabet.size()];
    }
    ASSERT_TRUE(same(ReadFloat(text), c(text))) << "'" << text << "'";
  }
}

TEST_F(SettingsFileTest, SpeedsReadTheSameUnderALocaleWithADecimalComma) {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine (LOCPATH=" << (std::getenv("LOCPATH") ?: "")
                 << ")";
  }
  const float comma = std::strtof("9,72", nullptr);
  LoadText("Gear1=12.75\nGear2=1e2\nGear3=9,72\n");
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(comma, 9.72F);  // the locale really reads a comma
  EXPECT_EQ(Config.GearSpeeds[0], 12.75F);
  EXPECT_EQ(Config.GearSpeeds[1], 100.0F);
  EXPECT_EQ(Config.GearSpeeds[2], 9.0F);  // as the file means it: 9, then text
}

TEST_F(SettingsFileTest, AbsurdFilesLoadWithoutHarm) {
  LoadText("Gear1=nan\nGear2=inf\nGear3=-inf\nGear4=1e-45\n");
  EXPECT_EQ(Config.GearSpeeds[0], 9.72F);  // no number: the default stays
  EXPECT_EQ(Config.GearSpeeds[1], INFINITY);
  EXPECT_EQ(Config.GearSpeeds[2], 26.39F);
  EXPECT_EQ(Config.GearSpeeds[3], 34.72F);  // below the smallest normal float: out of range

  std::string binary(4096, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7919 % 256);
  LoadText(std::string(100 * 1024, 'M') + "=F5\nMenu=" + std::string(100 * 1024, 'F') + "\n" + binary +
           "\nEngine=H");
  EXPECT_EQ(Config.Engine, 72);
  EXPECT_EQ(Config.Menu, 113);

  // A folder where the file should be: nothing is read, nothing replaces it.
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  Config = DefaultConfig;
  LoadSettings();
  SaveSettings();
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_TRUE(SameRecord(Config, DefaultConfig));
  EXPECT_FALSE(std::filesystem::exists(folder / "Halvane.ini.tmp"));
}

TEST_F(SettingsFileTest, SavingThenLoadingGivesTheRecordBack) {
  LoadSettings();
  std::mt19937 random(7);
  const float speeds[] = {9.72F, 1.0F, 10.0F, 1e6F, 0.2778F, 123456.0F, 2.5e-3F, 34.72F, 1e30F, 0.0F};
  for (int round = 0; round < 200; ++round) {
    // Every setting of the table, whatever its kind, gets a random value.
    ConfigRecord record = DefaultConfig;
    for (const SettingEntry& setting : SettingsTable) {
      switch (setting.kind) {
        case SettingKind::Binding:
          record.*setting.binding = static_cast<KeyCode>(random() % 300) - 10;
          break;
        case SettingKind::Switch:
          record.*setting.flag = random() % 2 == 1;
          break;
        case SettingKind::Speed:
          record.GearSpeeds[static_cast<std::size_t>(setting.gear - 1)] =
              speeds[random() % std::size(speeds)];
          break;
      }
    }

    Config = record;
    SaveSettings();
    const std::string saved = ReadFile(file);
    Config = DefaultConfig;
    LoadSettings();

    // A binding without a name is written as "?" and comes back as its
    // default; so does a speed of zero.
    ConfigRecord expected = record;
    for (const SettingEntry& setting : SettingsTable) {
      if (setting.kind == SettingKind::Binding && std::string(KeyName(record.*setting.binding)) == "?") {
        expected.*setting.binding = DefaultConfig.*setting.binding;
      }
      const auto gear = static_cast<std::size_t>(setting.gear - 1);
      if (setting.kind == SettingKind::Speed && record.GearSpeeds[gear] == 0.0F) {
        expected.GearSpeeds[gear] = DefaultConfig.GearSpeeds[gear];
      }
    }
    ASSERT_TRUE(SameRecord(Config, expected)) << saved;

    // From then on the record and the file stay as they are.
    SaveSettings();
    const std::string settled = ReadFile(file);
    LoadSettings();
    EXPECT_TRUE(SameRecord(Config, expected));
    SaveSettings();
    EXPECT_EQ(ReadFile(file), settled);
  }
}

TEST_F(SettingsFileTest, SpeedsAreWrittenInGeneralNotationAndSettleAfterOneSave) {
  LoadSettings();
  Config.GearSpeeds = {10.0F, 1e6F, 0.0001F, 12.3456789F, 9999.0F};
  SaveSettings();
  const std::string saved = ReadFile(file);
  EXPECT_THAT(saved, ::testing::HasSubstr("Gear1=10\nGear2=1e+06\nGear3=0.0001\nGear4=12.3457\n"));
  LoadSettings();
  EXPECT_EQ(Config.GearSpeeds[3], 12.3457F);  // six significant digits, as written
  SaveSettings();
  EXPECT_EQ(ReadFile(file), saved);

  Config.GearSpeeds[0] = NAN;
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Gear1=nan\n"));
  Config = DefaultConfig;
  LoadSettings();
  EXPECT_EQ(Config.GearSpeeds[0], 9.72F);  // a NaN in the file is a bad line
}

TEST_F(SettingsFileTest, WhereTheReplaceCannotBeDoneTheFileIsWrittenInPlace) {
  LoadText(DefaultFile);
  Config.Menu = 116;

  // Another program holds the file: the rename is refused, the file is
  // written where it is and no temporary is left.
  const ino_t original = Identity(file);
  host.environment.replaceFails = true;
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\n"));
  EXPECT_EQ(Identity(file), original);
  EXPECT_FALSE(std::filesystem::exists(folder / "Halvane.ini.tmp"));
  host.environment.replaceFails = false;

  // A leftover folder in the temporary's place: written in place, and the
  // folder, which the plug-in did not make, stays.
  Config.Menu = 117;
  std::filesystem::create_directory(folder / "Halvane.ini.tmp");
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F6\n"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Halvane.ini.tmp"));
  std::filesystem::remove(folder / "Halvane.ini.tmp");

  // Nowhere to write: nothing appears, the change holds for the run.
  SettingsPath = (folder / "missing" / "Halvane.ini").string();
  SaveSettings();
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
  SettingsPath = "/proc/Halvane.ini";  // a folder nobody may write, root included
  SaveSettings();
  EXPECT_FALSE(std::filesystem::exists("/proc/Halvane.ini"));
  EXPECT_EQ(Config.Menu, 117);

  // Otherwise a new file replaces the old one whole.
  SettingsPath = file.string();
  const ino_t written = Identity(file);
  Config.Menu = 113;
  SaveSettings();
  EXPECT_EQ(ReadFile(file), DefaultFile);
  EXPECT_NE(Identity(file), written);
  EXPECT_FALSE(std::filesystem::exists(folder / "Halvane.ini.tmp"));
}

TEST_F(SettingsFileTest, ThePathIsBesideTheLibraryElseInAppDataElseBare) {
  ResolveSettingsPath();
  const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(std::filesystem::path(SettingsPath).filename(), "Halvane.ini");
  EXPECT_EQ(std::filesystem::canonical(std::filesystem::path(SettingsPath).parent_path()),
            program.parent_path());

  host.environment.libraryLookupFails = true;
  host.environment.roamingAppData = "/home/player/.config";
  ResolveSettingsPath();
  EXPECT_EQ(SettingsPath, "/home/player/.config/Halvane.ini");

  host.environment.roamingAppData.reset();
  ResolveSettingsPath();
  EXPECT_EQ(SettingsPath, "Halvane.ini");
}

TEST(PlayersGuide, ShowsTheFileThePlugInWritesOnFirstStart) {
  std::ifstream guide(std::filesystem::path(HALVANE_SOURCE_DIR) / "docs" / "Halvane-Readme.txt");
  ASSERT_TRUE(guide.is_open());
  std::string shown;
  for (std::string line; std::getline(guide, line);) {
    if (line.rfind("  [", 0) == 0 || (line.rfind("  ", 0) == 0 && line.find('=') != std::string::npos &&
                                      line.find(' ', 2) == std::string::npos)) {
      shown += line.substr(2) + "\n";
    }
  }
  EXPECT_EQ(shown, DefaultFile);
}

using StartUpTest = Playthrough;

TEST_F(StartUpTest, FirstStartWritesTheDefaultsBesideTheLibrary) {
  host.Frame();
  EXPECT_EQ(ReadFile(host.Folder() / "Halvane.ini"), DefaultFile);
  EXPECT_FALSE(std::filesystem::exists(host.Folder() / "Halvane.ini.tmp"));
}

}  // namespace
