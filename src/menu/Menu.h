// The in-game settings menu.
#pragma once

struct MenuStateRecord {
  bool open;
};
extern MenuStateRecord MenuState;

void MenuToggleStep();
void DrawMenu();
void HandleMenuInput();
