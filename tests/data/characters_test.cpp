#include "data/characters.h"

#include "tests/support/scripted_ui_services.h"

#include <gtest/gtest.h>

namespace {

TEST(ToUpperToLower, ChangeOnlyTheLettersAToZ) {
  EXPECT_EQ(ToUpper('a'), QChar('A'));
  EXPECT_EQ(ToUpper('z'), QChar('Z'));
  EXPECT_EQ(ToLower('A'), QChar('a'));
  EXPECT_EQ(ToLower('Z'), QChar('z'));
  for (QChar unchanged : {QChar('1'), QChar('['), QChar('@'), QChar(u'é'), QChar(u'É'), QChar(u'ß')}) {
    EXPECT_EQ(ToUpper(unchanged), unchanged);
    EXPECT_EQ(ToLower(unchanged), unchanged);
  }
  EXPECT_EQ(ToUpper('A'), QChar('A'));
  EXPECT_EQ(ToLower('a'), QChar('a'));
}

TEST(ValidateNumericKey, DigitsAndBackspacePassEverythingElseBeeps) {
  ScriptedUiServices ui;
  UiServicesInstaller installed(ui);
  for (QChar key : {QChar('0'), QChar('9'), QChar(8)})
    EXPECT_EQ(ValidateNumericKey(key), key);
  EXPECT_TRUE(ui.beeps().empty());
  for (QChar key : {QChar('a'), QChar('-'), QChar(' '), QChar(u'٣')})
    EXPECT_TRUE(ValidateNumericKey(key).isNull());
  EXPECT_EQ(ui.beeps().size(), 4u);
}

}  // namespace
