// Key names, the defaults, and how each line of the settings file is read.
#include "SettingsFilePlaythrough.h"

namespace {

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

TEST_F(SettingsFileTest, NoFileWritesTheDefaultsAndAFileIsReadWithoutBeingRewritten) {
  LoadSettings();
  EXPECT_EQ(ReadFile(file), DefaultFile());
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
  // A comment line of `size` bytes in all, then the player's binding.
  const auto withSize = [](std::size_t size) {
    const std::string tail = "\nMenu=F5\n";
    std::string text(size - tail.size(), 'x');
    text.front() = ';';
    return text.append(tail);
  };
  const std::string largest = withSize(MiB);
  ASSERT_EQ(largest.size(), MiB);
  LoadText(largest);
  EXPECT_EQ(Config.Menu, 116);

  const std::string over = withSize(MiB + 1);
  LoadText(over);
  EXPECT_EQ(Config.Menu, 113);
  Config.Engine = 72;
  SaveSettings();  // never written over
  EXPECT_EQ(ReadFile(file), over);
  EXPECT_FALSE(std::filesystem::exists(TemporaryOf(folder / "Halvane.ini")));
}

}  // namespace
