#include "app/Metronome.h"

#include <string>

#include <gtest/gtest.h>

TEST(TempoMarking, EveryBandFromItsLowerBoundUpToTheNext)
{
    const std::pair<double, const char*> cases[] = { { -1, "" }, { 0, "" }, { 0.5, "Grave" },
        { 39.99, "Grave" }, { 40, "Largo" }, { 59, "Largo" }, { 60, "Larghetto" },
        { 65, "Larghetto" }, { 66, "Adagio" }, { 75, "Adagio" }, { 76, "Andante" },
        { 107, "Andante" }, { 108, "Moderato" }, { 119, "Moderato" }, { 120, "Allegretto" },
        { 146, "Allegretto" }, { 147, "Allegro" }, { 167, "Allegro" }, { 168, "Presto" },
        { 199, "Presto" }, { 200, "Prestissimo" }, { 2000, "Prestissimo" } };
    for (const auto& [tempo, marking] : cases)
        EXPECT_EQ(tempoMarking(tempo), QString::fromLatin1(marking)) << tempo;
}
