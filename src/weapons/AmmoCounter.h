// Hides the game's ammunition counter when the setting asks for it.
#pragma once

void HideAmmoCounterStep();
