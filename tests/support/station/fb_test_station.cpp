// A second station for the tests: opens a data directory and carries out one command
// per line of standard input, words separated by tabs, answering one line each:
//   edit    TABLE KEY...          seek the key and put the record in edit (takes its lock)
//   post | cancel TABLE           leave edit on that table
//   insert  TABLE FIELD=VALUE...  insert and post a record
//   count   TABLE                 the record locks held on the table by every process
//   hold    MS                    take the database's write lock, answer, hold it MS
//                                 milliseconds, let it go and answer "released"
//   quit
// Replies: "ok", a number, or "error CODE TEXT". It answers "ready" once the data
// directory is open, and holds what it has (its locks) until it ends.

#include "data/engine.h"

#include <QThread>

#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

std::shared_ptr<db::Database> database;
std::map<QString, std::unique_ptr<db::Table>> tables;

db::Table &table(const QString &name) {
  auto &slot = tables[name.toLower()];
  if (!slot) {
    slot = std::make_unique<db::Table>(database, name);
    slot->open();
  }
  return *slot;
}

QString carryOut(const QStringList &words) {
  const QString command = words.value(0);
  if (command == QLatin1String("edit")) {
    db::Table &t = table(words.value(1));
    QVariantList key;
    for (int i = 2; i < words.size(); ++i)
      key << words[i];
    if (!t.findKey(key))
      return QStringLiteral("not found");
    t.edit();
    return QStringLiteral("ok");
  }
  if (command == QLatin1String("post")) {
    table(words.value(1)).post();
    return QStringLiteral("ok");
  }
  if (command == QLatin1String("cancel")) {
    table(words.value(1)).cancel();
    return QStringLiteral("ok");
  }
  if (command == QLatin1String("insert")) {
    db::Table &t = table(words.value(1));
    t.insert();
    try {
      for (int i = 2; i < words.size(); ++i) {
        const int equals = words[i].indexOf(QLatin1Char('='));
        t.setValue(words[i].left(equals), words[i].mid(equals + 1));
      }
      t.post();
    } catch (...) {
      t.cancel();
      throw;
    }
    return QStringLiteral("ok");
  }
  if (command == QLatin1String("hold")) {
    db::Database::Transaction transaction(*database);
    std::cout << "ok" << std::endl;
    QThread::msleep(words.value(1).toULong());
    transaction.commit();
    return QStringLiteral("released");
  }
  if (command == QLatin1String("count"))
    return QString::number(database->recordLockCount(words.value(1)));
  return QStringLiteral("error 0 unknown command %1").arg(command);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: fb_test_station DATA_DIRECTORY\n";
    return 2;
  }
  try {
    database = db::Database::open(QString::fromLocal8Bit(argv[1]));
  } catch (const db::EngineError &error) {
    std::cout << "error " << error.code() << ' ' << error.text().toStdString() << std::endl;
    return 1;
  }
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    const QStringList words = QString::fromStdString(line).split(QLatin1Char('\t'));
    if (words.value(0) == QLatin1String("quit"))
      break;
    QString replyText;
    try {
      replyText = carryOut(words);
    } catch (const db::EngineError &error) {
      replyText = QStringLiteral("error %1 %2").arg(error.code()).arg(error.text());
    }
    std::cout << replyText.toStdString() << std::endl;
  }
  return 0;
}
