// Settings files that cannot be read or are absurd, numbers as the C library
// reads them, the round trip, the in-place write, the path, the guide, the first start.
#include "SettingsFilePlaythrough.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

TEST_F(SettingsFileTest, AFileThatIsThereButCannotBeReadIsLeftAlone) {
  // A name that leads nowhere readable: a link that points at itself.
  std::filesystem::create_symlink("Halvane.ini", file);
  LoadSettings();
  Config.Menu = 116;
  SaveSettings();  // the change holds for the run only
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(Config.Menu, 116);
  Config = DefaultConfig;
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));
  EXPECT_TRUE(SameRecord(Config, DefaultConfig));

  std::filesystem::remove(file);
  LoadSettings();  // a missing file is made with the defaults
  EXPECT_EQ(ReadFile(file), DefaultFile());
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
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));
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
  EXPECT_THAT(saved, ::testing::HasSubstr("Gear1=10\nGear2=1e+06\nGear3=0.0001\nGear4=12.345679\n"));
  LoadSettings();
  EXPECT_EQ(Config.GearSpeeds[3], 12.3456789F);  // the very number: six digits would not read back as it
  SaveSettings();
  EXPECT_EQ(ReadFile(file), saved);

  // Every float reads back as itself, in six digits wherever they do, as a
  // default output stream writes it.
  std::mt19937 random(20261210);
  for (int round = 0; round < 20000; ++round) {
    // Every fourth one below the smallest normal float, which only a
    // hexadecimal number in the file can give.
    const std::uint32_t mask = round % 4 == 0 ? 0x007FFFFFU : 0x7FFFFFFFU;
    const float speed = std::bit_cast<float>(static_cast<std::uint32_t>(random()) & mask);
    if (!std::isfinite(speed) || speed == 0.0F) continue;
    Config.GearSpeeds[0] = speed;
    const std::string text = SettingsText();
    const std::size_t at = text.find("Gear1=") + 6;
    const std::string written = text.substr(at, text.find('\n', at) - at);
    char six[32];
    std::snprintf(six, sizeof six, "%g", static_cast<double>(speed));
    Config.GearSpeeds[0] = 1.0F;
    LoadSettingsText(text);  // read back as the loader reads the file
    ASSERT_EQ(std::bit_cast<std::uint32_t>(Config.GearSpeeds[0]), std::bit_cast<std::uint32_t>(speed))
        << written;
    if (std::isnormal(speed) && std::strtof(six, nullptr) == speed) {
      ASSERT_EQ(written, six);
    }
  }

  Config.GearSpeeds[0] = NAN;
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Gear1=nan\n"));
  Config = DefaultConfig;
  LoadSettings();
  EXPECT_EQ(Config.GearSpeeds[0], 9.72F);  // a NaN in the file is a bad line
}

TEST_F(SettingsFileTest, WhereTheReplaceCannotBeDoneTheFileIsWrittenInPlace) {
  LoadText(DefaultFile());
  Config.Menu = 116;

  // Another program holds the file: the rename is refused, the file is
  // written where it is and no temporary is left.
  const ino_t original = Identity(file);
  host.environment.replaceFails = true;
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F5\n"));
  EXPECT_EQ(Identity(file), original);
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));
  host.environment.replaceFails = false;

  // A leftover folder in the temporary's place: written in place, and the
  // folder, which the plug-in did not make, stays.
  Config.Menu = 117;
  std::filesystem::create_directory(TemporaryOf(folder / "Halvane.ini"));
  SaveSettings();
  EXPECT_THAT(ReadFile(file), ::testing::HasSubstr("Menu=F6\n"));
  EXPECT_TRUE(std::filesystem::is_directory(TemporaryOf(folder / "Halvane.ini")));
  std::filesystem::remove(TemporaryOf(folder / "Halvane.ini"));

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
  EXPECT_EQ(ReadFile(file), DefaultFile());
  EXPECT_NE(Identity(file), written);
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));
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
  EXPECT_EQ(shown, DefaultFile());
}

using StartUpTest = Playthrough;

TEST_F(StartUpTest, FirstStartWritesTheDefaultsBesideTheLibrary) {
  host.Frame();
  EXPECT_EQ(ReadFile(host.Folder() / "Halvane.ini"), DefaultFile());
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(host.Folder() / "Halvane.ini")));
}

}  // namespace
