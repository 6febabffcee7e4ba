// Calls that ring on after the ring span ended: the span is shorter than the line's cadence
// (the learnt or stored span is too short, or the machine was slow), so the program takes a
// pause between rings for the handset being lifted. The RINGs after it still belong to the same
// call: a caller that a rule never records stays unrecorded however long it rings, and the
// next caller is recorded with its own caller ID. Played on the virtual modem with cadences of
// real lines, three times faster than real time.
#include "catalogue/Catalogue.h"
#include "config/TIniFile.h"
#include "modem/TfmModem.h"

#include <QFile>

#include "CaseName.h"
#include "VirtualModemSession.h"

namespace {

constexpr int Pace = 3;

struct Cadence
{
    const char *name;
    // One ring cycle of the line, in real time; the caller ID goes where CID stands.
    const char *cycle;
    const char *firstCycle;
    int spanMs; // the stored ring span, shorter than the pause between rings
};

const Cadence Cadences[] = {
    // North America: 2 s on, 4 s off, one RING a cycle; caller ID after the first ring.
    {"two on four off", "ring; wait 6000", "ring; wait 1500; CID; wait 4500", 2500},
    // UK: 0.4 s on, 0.2 s off, 0.4 s on, 2 s off, a RING for each burst; caller ID before the
    // first ring.
    {"double ring", "ring; wait 600; ring; wait 2400",
     "CID; wait 800; ring; wait 600; ring; wait 2400", 1000},
};

QString call(const Cadence &c, int cycles, const QString &number)
{
    QStringList steps{QString(c.firstCycle).replace("CID", "cid NMBR=" + number)};
    for (int i = 1; i < cycles; ++i)
        steps << c.cycle;
    return steps.join("; ");
}

class CallsThatRingOnTest : public ::testing::TestWithParam<Cadence>, public VirtualModemSession
{};

TEST_P(CallsThatRingOnTest, ANeverRecordedCallerStaysUnrecordedWhileItRingsOn)
{
    const Cadence &c = GetParam();
    {
        QFile rules(dir.filePath("Rules.txt"));
        ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
        rules.write("Calvora rules 1\nRule\tmatch=number-is\tvalue=5550199\tnever-record=yes\n");
    }
    {
        TIniFile ini(dir.filePath("orv.ini"));
        ini.WriteInteger("General", "RingTimeOut", c.spanMs / Pace);
    }
    // The caller a rule never records rings four cycles and gives up; after a quiet while an
    // ordinary caller rings, and the handset is lifted when the program takes the call.
    const QString script = "waitfor AT+VCID=1; wait 1000; " + call(c, 4, "5550199") +
                           "; wait 9000; " + call(c, 1, "5550100") +
                           "; waitfor AT+VRX; voice speech 3000; voice silence";
    vmodemOptions = {"--pace", QString::number(Pace)};
    ASSERT_TRUE(open(script, 1));
    session->modem().setCallGapMs(TfmModem::DefaultCallGapMs / Pace);
    ASSERT_TRUE(bringOnLine());
    ASSERT_EQ(session->modem().RingSpanMs(), c.spanMs / Pace);

    ASSERT_TRUE(waitForRecordings(1, 120000)) << logText().toStdString();
    EXPECT_EQ(logText().count("A rule skipped the call of 5550199"), 1) << logText().toStdString();
    EXPECT_EQ(logText().count("Caller ID detected"), 2);
    EXPECT_EQ(vmodem.log().count("<< AT+VRX", Qt::CaseInsensitive), 1)
        << "nothing of the never-recorded caller's call was received";
    Catalogue &catalogue = session->catalogue();
    EXPECT_EQ(catalogue.CallsTbl.FieldValues("Comment").toString(), "5550100");
    const auto facts = catalogue.Details.facts(catalogue.currentRecordingId());
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->callerNumber, "5550100");
}

INSTANTIATE_TEST_SUITE_P(RealCadences, CallsThatRingOnTest, ::testing::ValuesIn(Cadences),
                         CaseName());

} // namespace
