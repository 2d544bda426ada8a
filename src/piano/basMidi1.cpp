#include "piano/basMidi1.h"

#include <QStringList>

namespace basMidi1 {

std::array<BeatStyle, 4> InitBeatStyles()
{
    const auto style = [](const char* name, std::int16_t interval, QStringList sections) {
        return BeatStyle { QString::fromLatin1(name), interval, sections.join(u';') };
    };
    return {
        style("Rock", 130,
            { "44,35,55||44||44,40||44|", "44,35||44,35||44,40||44||44,35||44||44,40||44|",
                "44,50,35|50|44,48,35|48|44,47,35|47|44,45,35|45|44,35,55||44||44,40||44|",
                "44,35||46||40,44||42|", "44||44||44||44,35,55" }),
        style("16 Beat", 150,
            { "44,35,44|44|44|44|44|44|44|44", "44,35|44|44|44|44,40|44|44|44",
                "44,40|44,40|44,40|44,40|44,40|44,40|44,40|44,40|44,35,55|44|44|44|44,40|44|44|"
                "44",
                "44,35|44|44|46|40|42|44|44", "44,35,55" }),
        style("Disco", 170,
            { "44,35,55|46|44,40,35|42", "44,35|46|44,40,35|42",
                "44,35|44,35,40|44,35,40|44,35,40|44,35,55|46|44,40,35|42",
                "44,35|44,40|44,40|44,35", "44,35,55" }),
        // The closing ";" leaves an empty third section, which the style never reaches.
        style(
            "Waltz", 170, { "55,44,44||44,44,44||44,44,44|", "45,44,44||44,44,44||44,44,44|", "" }),
    };
}

} // namespace basMidi1
