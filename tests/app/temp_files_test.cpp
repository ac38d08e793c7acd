// Temporary files: where they are made, their names, and that no two callers and no
// existing file ever share one.

#include "app/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

const QRegularExpression TempName(QStringLiteral("^LKS[0-9A-F]{4}\\.TMP$"));

void ExpectNewEmptyFileIn(const QString &path, const QString &folder) {
  const QFileInfo info(path);
  EXPECT_TRUE(info.isAbsolute()) << path.toStdString();
  EXPECT_TRUE(info.isFile()) << path.toStdString();
  EXPECT_EQ(info.size(), 0);
  EXPECT_EQ(info.absolutePath(), QDir(folder).absolutePath());
  EXPECT_TRUE(TempName.match(info.fileName()).hasMatch()) << info.fileName().toStdString();
}

TEST(TempFiles, MakesANewEmptyFileInTheGivenFolder) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ExpectNewEmptyFileIn(GetLKSTempFileName(folder.path()), folder.path());
}

TEST(TempFiles, AnEmptyFolderMeansTheSystemTemporaryFolder) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QByteArray saved = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(folder.path()));
  const QString path = GetLKSTempFileName(QString());
  qputenv("TMPDIR", saved);
  ExpectNewEmptyFileIn(path, folder.path());
}

// A sixteenth of the names are taken by files with contents; callers on several
// threads at once each get a name of their own and leave the existing files alone.
TEST(TempFiles, NeverSharesANameNorReusesAnExistingFile) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QSet<QString> taken;
  for (int n = 0; n < 0x1000; ++n) {
    const QString name = QStringLiteral("LKS%1.TMP").arg(n, 4, 16, QLatin1Char('0')).toUpper();
    QFile f(folder.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("kept");
    taken.insert(f.fileName());
  }
  constexpr int Threads = 4, EachThread = 100;
  std::vector<QStringList> made(Threads);
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < EachThread; ++i)
        made[t].append(GetLKSTempFileName(folder.path()));
    });
  for (auto &t : threads)
    t.join();

  QSet<QString> all;
  for (const auto &list : made)
    for (const auto &path : list) {
      EXPECT_FALSE(taken.contains(path)) << path.toStdString();
      EXPECT_EQ(QFileInfo(path).size(), 0);
      all.insert(path);
    }
  EXPECT_EQ(all.size(), Threads * EachThread);
  for (const auto &path : taken) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "kept");
  }
}

TEST(TempFiles, AMissingFolderIsReportedWithItsName) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString missing = folder.filePath(QStringLiteral("gone"));
  try {
    GetLKSTempFileName(missing);
    FAIL() << "no error for a missing folder";
  } catch (const TempFileError &e) {
    EXPECT_TRUE(e.text().contains(missing)) << e.text().toStdString();
  }
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
