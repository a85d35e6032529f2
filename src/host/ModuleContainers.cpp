// Every module-level object that needs construction, in one translation unit
// so that it is created in a fixed order when the library loads (and
// destroyed in reverse when it unloads): the per-weapon maps, the settings
// path, then the constant weapon groups. Everything else is plain data with
// constant initial values.
#include "config/Settings.h"
#include "weapons/WeaponTables.h"

WeaponFlags SafetyOn;
WeaponFlags ReloadPending;
WeaponFlags ClipEmpty;
WeaponCounts SavedClip;
WeaponCounts SavedAmmo;

std::string SettingsPath;

const WeaponGroup ClipExemptWeapons = {
    0xDC4DB296, 0x99AEEB3B, 0x0781FE4C, 0x0AB49B47, 0xB1CA77B1, 0x8BADF85D, 0x6D544C99, 0xA89CB99E,
    0x93E220BD, 0x24B17070, 0xBA45E8B8, 0xAB564B93, 0x2C3731D9, 0xA0973D5E, 0xFDBC8A50, 0x497FACC3,
    0x23C9F95C, 0x0787F0BB, 0xF7F1E25E, 0x060EC506, 0x34A67B97, 0xBA536372,
};
const WeaponGroup ClipExemptExtraWeapons = {0x13E577CB, 0xDFD59E4B, 0x63AB0442, 0x7F7497E5};
const WeaponGroup SafetyExemptWeapons = {
    0x93E220BD, 0xFDBC8A50, 0xA0973D5E, 0xBA45E8B8, 0x497FACC3, 0xF7F1E25E, 0x23C9F95C, 0x0787F0BB,
    0x060EC506, 0xAB564B93, 0x2C3731D9, 0xBA536372, 0x34A67B97, 0x24B17070, 0xDC4DB296, 0x99AEEB3B,
};
