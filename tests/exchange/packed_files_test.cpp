// Packing exchange files in place: the file becomes its packed form and back, and a
// file that cannot be packed or unpacked is kept as it was, with no temporary file left.

#include "blkpack.h"
#include "exchange/packed_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll();
}

void WriteAll(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

// Licence texts and a program: text and binary blocks, several of them.
QByteArray ExchangeLikeContents() {
  QByteArray all;
  for (const QString &name : QDir(QStringLiteral("/usr/share/common-licenses")).entryList(QDir::Files))
    all += ReadAll(QStringLiteral("/usr/share/common-licenses/") + name);
  all += ReadAll(QStringLiteral("/usr/bin/bash")).left(200000);
  return all;
}

class PackedFilesTest : public ::testing::Test {
protected:
  QString path(const QString &name) const { return folder_.filePath(name); }
  QStringList tempFilesLeft() const {
    return QDir(folder_.path()).entryList({QStringLiteral("LKS*.TMP")}, QDir::Files);
  }
  QTemporaryDir folder_;
};

TEST_F(PackedFilesTest, PacksAndUnpacksInPlaceKeepingPermissions) {
  const QByteArray original = ExchangeLikeContents();
  const QString file = path(QStringLiteral("defects.txt"));
  WriteAll(file, original);
  ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
  const auto permissions = QFile::permissions(file);
  ASSERT_EQ(compress_file(QFile::encodeName(file).constData(), QFile::encodeName(path("expected")).constData()), 0);

  CompressDefectFile(file);
  EXPECT_EQ(ReadAll(file), ReadAll(path("expected")));
  EXPECT_LT(ReadAll(file).size(), original.size());
  EXPECT_EQ(QFile::permissions(file), permissions);
  EXPECT_TRUE(tempFilesLeft().isEmpty());

  DecompressDefectFile(file);
  EXPECT_EQ(ReadAll(file), original);
  EXPECT_EQ(QFile::permissions(file), permissions);
  EXPECT_TRUE(tempFilesLeft().isEmpty());
}

TEST_F(PackedFilesTest, AFileThatCannotBeUnpackedIsKeptAsItWas) {
  const QString packed = path(QStringLiteral("packed"));
  WriteAll(packed, QByteArray(5000, 'p'));
  CompressDefectFile(packed);
  const QByteArray whole = ReadAll(packed);
  const struct {
    const char *what;
    QByteArray contents;
  } cases[] = {
      {"a plain text, not a packed file", "Hello, this file was never packed.\r\n"},
      {"a packed file cut short", whole.left(whole.size() - 1)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const QString file = path(QStringLiteral("received.txt"));
    WriteAll(file, c.contents);
    try {
      DecompressDefectFile(file);
      ADD_FAILURE() << "no error";
    } catch (const PackedFileError &e) {
      EXPECT_TRUE(e.text().startsWith(QStringLiteral("The file \"%1\" could not be unpacked").arg(file)))
          << e.text().toStdString();
    }
    EXPECT_EQ(ReadAll(file), c.contents);
    EXPECT_TRUE(tempFilesLeft().isEmpty());
  }
}

TEST_F(PackedFilesTest, AMissingFileIsReportedAndNothingIsMade) {
  const QString missing = path(QStringLiteral("missing.txt"));
  EXPECT_THROW(CompressDefectFile(missing), PackedFileError);
  EXPECT_THROW(DecompressDefectFile(missing), PackedFileError);
  EXPECT_TRUE(QDir(folder_.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
