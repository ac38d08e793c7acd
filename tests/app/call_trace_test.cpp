#include "app/base/call_trace.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QStringList Routines() {
  QStringList result;
  for (const auto &e : CallTraceEntries())
    result << e.unit + QLatin1Char('/') + e.routine;
  return result;
}

class CallTraceTest : public ::testing::Test {
protected:
  void SetUp() override { CallTraceClear(); }
  void TearDown() override { CallTraceClear(); }
};

void Innermost() {
  TRACE_ROUTINE("bugsubs", "Innermost");
  throw std::runtime_error("fault");
}

void Middle() {
  TRACE_ROUTINE("bugsubs", "TMainForm.Middle");
  Innermost();
}

void Outer() {
  TRACE_ROUTINE("bugmain", "Outer");
  Middle();
}

void Traced() {
  TRACE_ROUTINE("bugsubs", "Traced");
}

// Ends its scope during the unwinding, as a busy cursor or a table guard does.
struct RunsTracedRoutineOnExit {
  ~RunsTracedRoutineOnExit() { Traced(); }
};

void MiddleWithGuard() {
  TRACE_ROUTINE("bugsubs", "MiddleWithGuard");
  RunsTracedRoutineOnExit guard;
  Innermost();
}

void HandlesItself() {
  TRACE_ROUTINE("bugsubs", "HandlesItself");
  try {
    Middle();
  } catch (const std::runtime_error &) {
  }
  EXPECT_EQ(Routines().first(), "bugmain/Outer2");
  Traced();  // the next routine at the same depth no longer sees the handled exception's routines
  EXPECT_EQ(Routines(), QStringList({"bugmain/Outer2", "bugsubs/HandlesItself"}));
}

void Outer2() {
  TRACE_ROUTINE("bugmain", "Outer2");
  HandlesItself();
}

void Recurse(int levels) {
  TRACE_ROUTINE("bugsubs", "Recurse");
  if (levels > 1)
    Recurse(levels - 1);
  else
    throw std::runtime_error("deep");
}

TEST_F(CallTraceTest, NormalReturnLeavesTheTraceEmpty) {
  Traced();
  {
    TRACE_ROUTINE("bugmain", "Scope");
    Traced();
    EXPECT_EQ(Routines(), QStringList({"bugmain/Scope"}));
  }
  EXPECT_TRUE(CallTraceEntries().empty());
}

TEST_F(CallTraceTest, ExceptionThreeRoutinesDeepKeepsThemInOrder) {
  EXPECT_THROW(Outer(), std::runtime_error);
  EXPECT_EQ(Routines(), QStringList({"bugmain/Outer", "bugsubs/TMainForm.Middle", "bugsubs/Innermost"}));
}

TEST_F(CallTraceTest, RoutinesRunDuringTheUnwindingDoNotEraseTheFault) {
  EXPECT_THROW(MiddleWithGuard(), std::runtime_error);
  EXPECT_EQ(Routines(), QStringList({"bugsubs/MiddleWithGuard", "bugsubs/Innermost"}));
}

TEST_F(CallTraceTest, HandledExceptionsLeaveNothingBehind) {
  Outer2();
  EXPECT_TRUE(CallTraceEntries().empty());
}

TEST_F(CallTraceTest, ClearEmptiesTheTraceAndTheNextFaultShowsOnlyItsRoutines) {
  EXPECT_THROW(Outer(), std::runtime_error);
  CallTraceClear();
  EXPECT_TRUE(CallTraceEntries().empty());
  EXPECT_THROW(Middle(), std::runtime_error);
  EXPECT_EQ(Routines(), QStringList({"bugsubs/TMainForm.Middle", "bugsubs/Innermost"}));
}

TEST_F(CallTraceTest, KeepsAtMostThirtyTwoEntriesTheInnermostOnes) {
  EXPECT_THROW(Recurse(40), std::runtime_error);
  ASSERT_EQ(CallTraceEntries().size(), size_t(CallTraceCapacity));
  CallTraceClear();

  // Deep nesting that returns normally still ends with an empty trace.
  struct Deep {
    static void Go(int levels) {
      TRACE_ROUTINE("bugsubs", "Go");
      EXPECT_LE(CallTraceEntries().size(), size_t(CallTraceCapacity));
      if (levels > 1)
        Go(levels - 1);
    }
  };
  Deep::Go(50);
  EXPECT_TRUE(CallTraceEntries().empty());
}

TEST_F(CallTraceTest, UnitIsLowerCasedAndAnEntryStaysWithin255Characters) {
  const std::string longRoutine(300, 'r');
  try {
    TRACE_ROUTINE("BugMain", "TMainForm.FormCreate");
    const CallTraceScope inner("bugsubs", longRoutine.c_str());
    throw std::runtime_error("x");
  } catch (const std::runtime_error &) {
  }
  const auto entries = CallTraceEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].unit, "bugmain");
  EXPECT_EQ(entries[0].routine, "TMainForm.FormCreate");
  EXPECT_EQ(entries[1].unit.size() + 1 + entries[1].routine.size(), 255);
}

}  // namespace
