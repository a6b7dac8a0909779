#pragma once

// A player and an item named in the script of each single-byte code page,
// with their bytes in it as the code page's chart gives them.

#include <array>
#include <string_view>

namespace vantor::testing {

struct Script {
    unsigned codePage;
    std::string_view player, playerBytes;
    std::string_view item, itemBytes;
    std::string_view playerInOtherCase;  // differs from `player` in letter case only (or is the same: no case)
};

inline constexpr std::array<Script, 10> kScripts = {{
    {874, "สมชาย", "\xCA\xC1\xAA\xD2\xC2", "ดาบเหล็ก", "\xB4\xD2\xBA\xE0\xCB\xC5\xE7\xA1", "สมชาย"},
    {1250, "Łukasz", "\xA3ukasz", "Żelazny miecz", "\xAF" "elazny miecz", "łUKASZ"},
    {1251, "Странник", "\xD1\xF2\xF0\xE0\xED\xED\xE8\xEA", "Шкура волка", "\xD8\xEA\xF3\xF0\xE0 \xE2\xEE\xEB\xEA\xE0",
     "странник"},
    {1252, "Éloïse", "\xC9lo\xEFse", "Œuf d’or", "\x8C" "uf d\x92or", "éLOÏSE"},
    {1253, "Αλέξης", "\xC1\xEB\xDD\xEE\xE7\xF2", "Ξίφος", "\xCE\xDF\xF6\xEF\xF2", "ΑΛΈΞΗΣ"},
    {1254, "Işıl", "I\xFE\xFDl", "Çelik kılıç", "\xC7" "elik k\xFDl\xFD\xE7", "işıl"},
    {1255, "שלום", "\xF9\xEC\xE5\xED", "חרב ברזל", "\xE7\xF8\xE1 \xE1\xF8\xE6\xEC", "שלום"},
    {1256, "ليلى", "\xE1\xED\xE1\xEC", "سيف حديدي", "\xD3\xED\xDD \xCD\xCF\xED\xCF\xED", "ليلى"},
    {1257, "Žydrūnas", "\xDEydr\xFBnas", "Geležinis kardas", "Gele\xFEinis kardas", "žYDRŪNAS"},
    // Vietnamese letters are written as a letter and a combining mark.
    {1258, "Thảo", "Tha\xD2o", "Kiếm sắt", "Ki\xEA\xECm s\xE3\xECt", "THẢO"},
}};

}  // namespace vantor::testing
