// The trace's lines, byte for byte.
#include "engine/trace.h"

#include <gtest/gtest.h>

#include <locale>
#include <sstream>

namespace {

TEST(TraceLines, EveryEventInItsExactForm)
{
    std::ostringstream out;
    Trace trace(out);
    trace.start(1024, 768, 18446744073709551615ull, 15, 0, 1, 3);
    trace.compose(2);
    trace.tick(1, 7, true);
    trace.tick(2, 20, false);
    trace.tick(4294967298, 1, true); // past 32 bits, as months of running reach
    trace.opening();
    trace.action(13);
    trace.closing(2, 10);
    trace.sleep(500);
    EXPECT_EQ(out.str(),
              "{\"ev\":\"start\",\"width\":1024,\"height\":768,\"seed\":18446744073709551615,"
              "\"speed\":15,\"pcspec\":0,\"order\":1,\"background\":3}\n"
              "{\"ev\":\"compose\",\"style\":2}\n"
              "{\"ev\":\"tick\",\"n\":1,\"kind\":7,\"enabled\":true}\n"
              "{\"ev\":\"tick\",\"n\":2,\"kind\":20,\"enabled\":false}\n"
              "{\"ev\":\"tick\",\"n\":4294967298,\"kind\":1,\"enabled\":true}\n"
              "{\"ev\":\"opening\"}\n"
              "{\"ev\":\"action\",\"kind\":13}\n"
              "{\"ev\":\"closing\",\"mode\":2,\"pivot\":10}\n"
              "{\"ev\":\"sleep\",\"ms\":500}\n");
}

TEST(TraceLines, FramesCountFromOneAndCarryOnlyTheirOwnOps)
{
    std::ostringstream out;
    Trace trace(out);
    trace.restore();
    trace.ball(3, -24, 100, 48, 48);
    trace.ball(11, 476, 348, -5, 0); // mirrored and empty stretches are still listed
    trace.frame(10);
    trace.frame(0); // nothing drawn since the last frame
    trace.restore();
    trace.ball(0, 1, 2, 3, 4);
    trace.frame(-3);
    EXPECT_EQ(out.str(),
              "{\"ev\":\"frame\",\"n\":1,\"ops\":[[\"R\"],[\"B\",3,-24,100,48,48],"
              "[\"B\",11,476,348,-5,0]],\"pause\":10}\n"
              "{\"ev\":\"frame\",\"n\":2,\"ops\":[],\"pause\":0}\n"
              "{\"ev\":\"frame\",\"n\":3,\"ops\":[[\"R\"],[\"B\",0,1,2,3,4]],\"pause\":-3}\n");
    EXPECT_EQ(trace.frames_written(), 3);
}

// A locale that groups digits in threes, as many user locales do.
struct Grouping : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(TraceLines, NumbersIgnoreTheStreamsLocale)
{
    std::ostringstream out;
    out.imbue(std::locale(out.getloc(), new Grouping));
    Trace trace(out);
    trace.sleep(1234567);
    EXPECT_EQ(out.str(), "{\"ev\":\"sleep\",\"ms\":1234567}\n");
}

} // namespace
