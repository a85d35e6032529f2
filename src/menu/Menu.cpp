#include "menu/Menu.h"

constinit MenuStateRecord MenuState = {};

void MenuToggleStep() {}
void DrawMenu() {}
void HandleMenuInput() {}
