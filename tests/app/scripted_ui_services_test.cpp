#include "tests/support/scripted_ui_services.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(ScriptedUiServicesTest, RecordsTextsAndAnswersFromTheQueueWhileInstalled) {
  ScriptedUiServices ui;
  {
    UiServicesInstaller installer(ui);
    ui.queueAnswer(AskNo);
    ui.queueDialogResult("/tmp/chosen.txt");
    Ui().warn("A defect has not been selected.");
    EXPECT_EQ(Ui().ask("Save current template?", AskYes | AskNo | AskCancel), AskNo);
    EXPECT_EQ(Ui().pickSaveFile("Save Template", "", "Template Files (*.txt)"), "/tmp/chosen.txt");
    Ui().beep(BeepKind::Asterisk);
    ScopedBusyCursor busy;
    EXPECT_EQ(ui.busyDepth(), 1);
  }
  EXPECT_EQ(ui.busyDepth(), 0);
  EXPECT_EQ(ui.texts(), QStringList({"A defect has not been selected.", "Save current template?"}));
  EXPECT_TRUE(ui.shown(MessageKind::Warning, "A defect has not been selected."));
  EXPECT_TRUE(ui.shown(MessageKind::Confirmation, "Save current template?"));
  EXPECT_EQ(ui.dialogs().at(0).caption, "Save Template");
  EXPECT_EQ(ui.beeps(), std::vector<BeepKind>({BeepKind::Asterisk}));
  // Uninstalled: the silent services answer with the first button and record nothing.
  EXPECT_EQ(Ui().ask("Anything?", AskYes | AskNo), AskYes);
  EXPECT_EQ(ui.messages().size(), 2u);
}

TEST(ScriptedUiServicesTest, FailsLoudlyOnAMissingOrUnusedAnswer) {
  ScriptedUiServices ui;
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(ui.ask("Delete the defect?", AskYes | AskNo), AskNo),
                          "came with no answer queued");
  EXPECT_NONFATAL_FAILURE(ui.pickFolder("Locate Faultbook Database", "/"), "came with no result queued");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUiServices unused;
        unused.queueAnswer(AskYes);
      },
      "never asked for");
}

}  // namespace
