#include "MainWindowRig.h"

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

// The marking label around the table: the mode word, the pattern mode, zero and negative tempi,
// and the beats text with and without its blank.
TEST(TempoMarking, LabelFollowsModeWordPatternModeAndBeats)
{
    MainWindowRig rig;
    ASSERT_TRUE(rig.start());
    Metronome& m = rig.metronome();

    struct Step
    {
        const char* mode;
        bool flamenco;
        const char* tempoText;
        const char* before;
        const char* after;
    };

    const Step steps[] = {
        { "MM", false, " 120", "", "Allegretto  on 4" },
        { "MM", false, "abc", "Largo  on 4", "" },
        { "MM", false, "-5", "Largo  on 4", "" },
        { "MM", false, "2.5E1", "", "Grave  on 4" },
        { "PITCH", false, " 120", "D3", "D3" },
        { "POLY", false, " 0", "PolyRhithm", "" },
        { "", false, " 90", "3+2+2", "3+2+2" },
        { "MM", true, " 0", "UDUU", "UDUU" },
        { "MM", true, " 200", "UDUU", "UDUU" },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.mode) + " / " + s.tempoText);
        m.setLblcd(QString::fromLatin1(s.mode));
        m.FlamencoMode = s.flamenco;
        m.setLblTempo(QString::fromLatin1(s.before));
        m.tempoOznake(QString::fromLatin1(s.tempoText));
        EXPECT_EQ(m.lblTempo(), QString::fromLatin1(s.after));
    }

    m.FlamencoMode = false;
    m.setLblcd(QStringLiteral("MM"));
    m.Bitovi(4);
    m.tempoOznake(QStringLiteral("200"));
    EXPECT_EQ(m.lblTempo(), QStringLiteral("Prestissimo  on  5"));
}
