#include "app/Skins.h"

#include "app/GlobalUnit.h"
#include "app/IniFile.h"

namespace fw {

const std::array<TSkinTheme, kSkinCount>& SkinThemes() {
    // Calm tints of each hue: the windows stay readable and only the frames,
    // buttons and selections carry the colour.
    static const std::array<TSkinTheme, kSkinCount> k{{
        {"Skin11",
         "Default",
         {236, 240, 248},
         {221, 229, 244},
         {58, 110, 190},
         {255, 255, 255},
         {150, 170, 205},
         {226, 230, 246}},
        {"Skin21",
         "Gray",
         {238, 238, 238},
         {222, 222, 222},
         {104, 104, 110},
         {255, 255, 255},
         {165, 165, 165},
         {236, 236, 236}},
        {"Skin31",
         "Orange",
         {250, 244, 232},
         {247, 228, 195},
         {214, 116, 24},
         {255, 255, 255},
         {212, 170, 110},
         {248, 242, 224}},
        {"Skin41",
         "Purple",
         {246, 238, 245},
         {235, 215, 232},
         {134, 66, 132},
         {255, 255, 255},
         {190, 150, 186},
         {246, 230, 241}},
        {"Skin51",
         "Red",
         {249, 237, 237},
         {241, 212, 212},
         {180, 44, 44},
         {255, 255, 255},
         {204, 146, 146},
         {247, 225, 225}},
        {"Skin61",
         "Green",
         {237, 247, 236},
         {212, 238, 210},
         {52, 138, 58},
         {255, 255, 255},
         {140, 190, 138},
         {226, 247, 225}},
        {"Skin71",
         "Light blue",
         {235, 246, 251},
         {206, 234, 247},
         {28, 138, 196},
         {255, 255, 255},
         {130, 186, 214},
         {225, 240, 247}},
    }};
    return k;
}

const TSkinTheme* SkinOfIndex(int skinIndex) {
    if (skinIndex < 0 || skinIndex >= kSkinCount) return nullptr;
    return &SkinThemes()[static_cast<size_t>(skinIndex)];
}

TRgb OddRowTint(int skinIndex) {
    if (const TSkinTheme* t = SkinOfIndex(skinIndex)) return t->OddRowTint;
    return {235, 235, 235};
}

int ReadSkinIndex() {
    return SettingsIni().ReadInteger("settings", "skinIndex", 0);
}

bool WriteSkinIndex(int skinIndex) {
    IniFile ini = SettingsIni();
    return ini.WriteInteger("settings", "skinIndex", skinIndex);
}

}  // namespace fw
