#include "input/KeyNames.h"

#include <array>

namespace {

struct KeyNameEntry {
  KeyCode code;
  const char* name;
};

// clang-format off
constexpr std::array<KeyNameEntry, 76> KeyNameTable = {{
    {5, "MOUSE4"},  {6, "MOUSE5"},
    {48, "0"},      {49, "1"},      {50, "2"},      {51, "3"},      {52, "4"},
    {53, "5"},      {54, "6"},      {55, "7"},      {56, "8"},      {57, "9"},
    {65, "A"},      {66, "B"},      {67, "C"},      {68, "D"},      {69, "E"},
    {70, "F"},      {71, "G"},      {72, "H"},      {73, "I"},      {74, "J"},
    {75, "K"},      {76, "L"},      {77, "M"},      {78, "N"},      {79, "O"},
    {80, "P"},      {81, "Q"},      {82, "R"},      {83, "S"},      {84, "T"},
    {85, "U"},      {86, "V"},      {87, "W"},      {88, "X"},      {89, "Y"},
    {90, "Z"},
    {96, "NUM0"},   {97, "NUM1"},   {98, "NUM2"},   {99, "NUM3"},   {100, "NUM4"},
    {101, "NUM5"},  {102, "NUM6"},  {103, "NUM7"},  {104, "NUM8"},  {105, "NUM9"},
    {112, "F1"},    {113, "F2"},    {114, "F3"},    {115, "F4"},    {116, "F5"},
    {117, "F6"},    {118, "F7"},    {119, "F8"},    {120, "F9"},    {121, "F10"},
    {122, "F11"},   {123, "F12"},
    {256, "PAD_A"},       {257, "PAD_B"},         {258, "PAD_X"},          {259, "PAD_Y"},
    {260, "PAD_LB"},      {261, "PAD_RB"},        {262, "PAD_BACK"},       {263, "PAD_START"},
    {264, "PAD_LS"},      {265, "PAD_RS"},        {266, "PAD_DPAD_UP"},    {267, "PAD_DPAD_DOWN"},
    {268, "PAD_DPAD_LEFT"}, {269, "PAD_DPAD_RIGHT"}, {270, "PAD_LT"},      {271, "PAD_RT"},
}};
// clang-format on

// The names by code, laid out once at compile time: the open menu names
// every binding on every pass.
constexpr std::size_t CodeCount = 272;
constexpr std::array<const char*, CodeCount> NamesByCode = [] {
  std::array<const char*, CodeCount> names{};
  for (const KeyNameEntry& entry : KeyNameTable) names.at(static_cast<std::size_t>(entry.code)) = entry.name;
  return names;
}();

}  // namespace

const char* KeyName(KeyCode code) {
  if (code < 0 || static_cast<std::size_t>(code) >= CodeCount) return "?";
  const char* name = NamesByCode[static_cast<std::size_t>(code)];
  return name != nullptr ? name : "?";
}

KeyCode KeyCodeFromName(std::string_view name) {
  for (const KeyNameEntry& entry : KeyNameTable) {
    if (name == entry.name) return entry.code;
  }
  return -1;
}
