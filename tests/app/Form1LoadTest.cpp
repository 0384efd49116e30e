#include "Form1Fixture.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

using Form1Load = Form1Fixture;

// Long enough to be still running when the test acts on it.
std::string BigMaster()
{
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += MasterLine(std::to_string(100000 + i), "Fund " + std::to_string(i));
    return big;
}

void PressEscapeIn(const TForm1& form)
{
    QApplication::setActiveWindow(form.Widget());
    form.ComboBox1->Widget()->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
}

// While a load runs the box says how far it has come, to the eye and to
// screen readers, and the cursor is busy; Escape ends it with an empty list
// and nothing to report, as a failed load would leave the window but
// without its report; then the next load works.
TEST_F(Form1Load, EscapeCancelsALoadAndTheNextLoadWorks)
{
    WriteMaster("fmast.dat", {"Kia", "Posco"});
    dir_.Write("omast.dat", BigMaster());
    const auto form = OpenForm();
    ASSERT_EQ(form->ComboBox1->Items->Count(), 2);
    form->BitBtn1->Click();
    ASSERT_TRUE(LoadUnderWay(*form));
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0) << "a load replaces the list";
    EXPECT_TRUE(Box(form->ComboBox1).accessibleName().startsWith(u"Loading \"omast.dat\": "))
        << Box(form->ComboBox1).accessibleName().toStdString();
    EXPECT_EQ(form->Widget()->cursor().shape(), Qt::BusyCursor);

    PressEscapeIn(*form);
    EXPECT_FALSE(LoadUnderWay(*form)) << "Escape waits for the load's threads";
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
    EXPECT_TRUE(reports_.empty());
    EXPECT_TRUE(Box(form->ComboBox1).accessibleName().isEmpty());
    EXPECT_EQ(form->Widget()->cursor().shape(), Qt::ArrowCursor);

    Reload(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 300000);
    EXPECT_TRUE(reports_.empty());
}

// Closing the window during a load destroys it with the load still running:
// the load ends first, and what it made is freed (the sanitizer build
// checks), with nothing reported.
TEST_F(Form1Load, AWindowDestroyedDuringItsLoadEndsTheLoad)
{
    dir_.Write("fmast.dat", BigMaster());
    auto form = NewForm<TForm1>(nullptr);
    form->DoCreate();
    form->Show();
    ASSERT_TRUE(LoadUnderWay(*form));
    form.reset();
    Settle();
    EXPECT_TRUE(reports_.empty());
}

// A list's load stopped as each of its stages begins ends there, with what
// it made freed (the sanitizer build checks); so do the search and the
// builds of the indexes after it.
TEST_F(Form1Load, AListLoadStopsInEachOfItsStages)
{
    dir_.Write("omast.dat", BigMaster());
    for (const LoadStage stage : {LoadStage::Counting, LoadStage::Reading, LoadStage::Sorting, LoadStage::Keying,
                                  LoadStage::IndexingNames, LoadStage::IndexingCodes}) {
        SCOPED_TRACE(static_cast<int>(stage));
        std::stop_source stop;
        LoadProgress progress(stop.get_token());
        progress.onBegin = [&](LoadStage begun) {
            if (begun == stage)
                stop.request_stop();
        };
        EXPECT_THROW(
            {
                StockList list = ReadStockList("omast.dat", progress);
                const StockSearch search = MakeStockSearch(list, progress);
                const NameCharacterIndex characters(list.byPosition, "UTF-8", Parallelism::OfMachine(), &progress);
                const CodeIndex index(list.byPosition, Parallelism::OfMachine(), &progress);
            },
            LoadCancelled);
        EXPECT_EQ(progress.Stage(), stage);
    }
}

// A button waiting for its load passes the focus on to the box: a load that
// shows its list leaves it there, ready for a name, and one that fails
// gives it back to the button, as the error box closes.
TEST_F(Form1Load, TheFocusStaysInTheBoxAfterALoadAndGoesBackToTheButtonAfterAFailure)
{
    WriteMaster("fmast.dat", {"Kia", "Posco"});
    WriteMaster("omast.dat", {"SK", "LG"});
    const auto form = OpenForm();
    QApplication::setActiveWindow(form->Widget());
    form->BitBtn1->SetFocus();
    ASSERT_TRUE(form->BitBtn1->Focused());
    Reload(*form);
    EXPECT_TRUE(form->ComboBox1->Focused()) << "the list shows";
    EXPECT_TRUE(reports_.empty());

    std::filesystem::remove(dir_.Path() / "omast.dat");
    form->BitBtn1->SetFocus();
    Reload(*form);
    EXPECT_TRUE(form->BitBtn1->Focused()) << "the load failed";
    EXPECT_EQ(reports_.size(), 1U);
}

// A reload clicked while the indexes are still built waits for the build to
// see its stop and end, then loads; Escape while it waits leaves the list
// empty once the build has ended, and the next reload works.
TEST_F(Form1Load, AReloadDuringTheIndexBuildStartsOnceTheBuildHasEnded)
{
    std::string big;
    for (int i = 0; i < 1'000'000; ++i)
        big += MasterLine(std::to_string(100000 + i), "Fund " + std::to_string(i));
    dir_.Write("fmast.dat", big);
    WriteMaster("omast.dat", {"SK", "LG"});
    auto form = NewForm<TForm1>(nullptr);
    form->DoCreate();
    form->Show();
    WaitForList(*form);
    ASSERT_TRUE(Busy(*form)) << "the list shows before its indexes are built";
    form->BitBtn1->Click();
    EXPECT_TRUE(LoadUnderWay(*form));
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
    WaitForLoad(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 2);

    form->BitBtn2->Click();
    WaitForList(*form);
    ASSERT_TRUE(Busy(*form));
    form->BitBtn1->Click();
    PressEscapeIn(*form);
    EXPECT_FALSE(LoadUnderWay(*form));
    WaitForLoad(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0) << "the load Escape cancelled started";
    EXPECT_TRUE(reports_.empty());
    Reload(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 2);
}

}  // namespace
