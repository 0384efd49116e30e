#include "Form1Fixture.h"
#include "support/FailingAllocator.h"

#include <chrono>
#include <thread>

namespace {

using Form1OutOfMemory = Form1Fixture;

// Lets allocation number `failAfter` of each click's load fail, on the GUI
// thread or the load's own, for every such number until a load goes through.
TEST_F(Form1OutOfMemory, ALoadEndsWhereMemoryRanOutAndTheNextLoadWorks)
{
    WriteMaster("fmast.dat", {"Kia", "Posco"});
    WriteMaster("omast.dat", {"SK", "LG", "Doosan", "Hanwha", "Amorepacific"});
    const std::vector<std::string> nameOrder = {"Amorepacific", "Doosan", "Hanwha", "LG", "SK"};
    const auto form = OpenForm();
    long failAfter = 0;
    const auto clickAndSettle = [&] {
        reports_.clear();
        FailAllocationsAfter(failAfter);
        form->BitBtn1->Click();
        // Until the failure, only the load's end is delivered: painting and
        // timers would take part in the count.
        while (LoadUnderWay(*form)) {
            if (AllocationFailed()) {
                StopFailingAllocations();
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        }
        StopFailingAllocations();
        Settle();
    };

    long failures = 0;
    for (failAfter = 1;; ++failAfter) {
        SCOPED_TRACE("allocation " + std::to_string(failAfter) + " fails");
        clickAndSettle();
        if (!AllocationFailed()) {
            EXPECT_EQ(form->ComboBox1->Items->Count(), 5);
            EXPECT_TRUE(reports_.empty());
            break;
        }
        ++failures;
        // A failure the load recovers from (its end told by the next tick
        // instead of at once) loses nothing and says nothing.
        if (reports_.empty()) {
            EXPECT_EQ(form->ComboBox1->Items->Count(), 5);
            continue;
        }
        EXPECT_EQ(reports_, std::vector<std::string>{"Out of memory"});
        // Either the list stayed empty, or the new records were kept and
        // the items added so far show them.
        const auto count = form->ComboBox1->Items->Count();
        ASSERT_LE(count, 5);
        for (int row = 0; row < count; ++row) {
            const QImage painted = PaintedRow(form->ComboBox1, row);
            EXPECT_EQ(painted, DrawnDirectly(Box(form->ComboBox1), painted.size(),
                                             nameOrder[static_cast<std::size_t>(row)], false))
                << "row " << row;
        }
        form->ComboBox1->SetDroppedDown(false);

        const long failing = failAfter;
        failAfter = 0;
        clickAndSettle();
        failAfter = failing;
        ASSERT_EQ(form->ComboBox1->Items->Count(), 5) << "the next load works";
        EXPECT_TRUE(reports_.empty());
    }
    RecordProperty("allocation_failures_swept", static_cast<int>(failures));
    EXPECT_GT(failures, 10) << "a load makes more allocations than that";
}

// Each allocation of painting a row fails in turn: the row's failure is
// reported, and the painter ends with no state left saved.
TEST_F(Form1OutOfMemory, PaintingThatRunsOutOfMemoryLeavesThePainterBalanced)
{
    WriteMaster("fmast.dat", {"\xEC\x82\xBC\xEC\x84\xB1 Electronics\tKR"});
    const auto form = OpenForm();
    const TDrawItemEvent draw = form->ComboBox1->OnDrawItem;
    long failAfter = 0;
    form->ComboBox1->OnDrawItem = [&](TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State) {
        struct StopFailing {
            ~StopFailing() { StopFailingAllocations(); }
        } stop;
        FailAllocationsAfter(failAfter);
        draw(Control, Index, Rect, State);
    };
    static std::vector<std::string> warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                                                const QString& message) {
        warnings.push_back(message.toStdString());
    });
    long failures = 0;
    for (failAfter = 1; failAfter < 1000; ++failAfter) {
        reports_.clear();
        // The row is painted by the list's own painter, which warns at its
        // end if a state was left saved.
        (void)PaintedRow(form->ComboBox1, 0);
        const bool failed = AllocationFailed();
        form->ComboBox1->SetDroppedDown(false);
        Settle();
        if (!failed)
            break;
        ++failures;
        // One report for each paint of the row the failure met.
        EXPECT_FALSE(reports_.empty()) << "allocation " << failAfter;
        for (const std::string& report : reports_)
            EXPECT_EQ(report, "Out of memory") << "allocation " << failAfter;
    }
    qInstallMessageHandler(previous);
    EXPECT_GT(failures, 2) << "decoding and drawing the name allocate";
    for (const std::string& warning : warnings)
        EXPECT_EQ(warning.find("saved states"), std::string::npos) << warning;
}

}  // namespace
