#include "app/registry.h"

#include "app/atomic_write.h"
#include "app/base/call_trace.h"
#include "app/settings_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <sys/stat.h>

#include <exception>
#include <vector>

namespace {

constexpr const char *StoreFileName = "registry.txt";
constexpr const char *StoreHeader = "# Faultbook registry: keys in [brackets], values as \"name\" = string \"text\" or \"name\" = integer n";
constexpr int LockTimeoutMs = 10000;

struct Node {
  QString name;
  std::vector<std::pair<QString, RegistryValue>> values;
  std::vector<std::unique_ptr<Node>> subkeys;

  Node *subkey(const QString &keyName) const {
    for (const auto &child : subkeys)
      if (child->name.compare(keyName, Qt::CaseInsensitive) == 0)
        return child.get();
    return nullptr;
  }
  Node *addSubkey(const QString &keyName) {
    subkeys.push_back(std::make_unique<Node>());
    subkeys.back()->name = keyName;
    return subkeys.back().get();
  }
  int valueIndex(const QString &valueName) const {
    for (size_t i = 0; i < values.size(); ++i)
      if (values[i].first.compare(valueName, Qt::CaseInsensitive) == 0)
        return int(i);
    return -1;
  }
  void setValue(const QString &valueName, const RegistryValue &value) {
    const int index = valueIndex(valueName);
    if (index >= 0)
      values[index].second = value;
    else
      values.emplace_back(valueName, value);
  }
};

QStringList splitPath(const QString &path) {
  return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString joinPath(const QStringList &names) {
  return QLatin1Char('\\') + names.join(QLatin1Char('\\'));
}

void checkKeyName(const QString &name) {
  for (QChar c : name)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
      throw SettingsError(QStringLiteral("The registry key name \"%1\" holds a control character, which key names may not hold.")
                              .arg(name));
}

QString quoted(const QString &text) {
  QString out;
  out.reserve(text.size() + 2);
  out += QLatin1Char('"');
  for (QChar c : text) {
    switch (c.unicode()) {
    case '\\': out += QLatin1String("\\\\"); break;
    case '"': out += QLatin1String("\\\""); break;
    case '\n': out += QLatin1String("\\n"); break;
    case '\r': out += QLatin1String("\\r"); break;
    case '\t': out += QLatin1String("\\t"); break;
    default:
      if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
      else
        out += c;
    }
  }
  out += QLatin1Char('"');
  return out;
}

// Reads one quoted text at `pos`, leaving `pos` after the closing quote.
bool readQuoted(const QString &line, int &pos, QString &text) {
  if (pos >= line.size() || line[pos] != QLatin1Char('"'))
    return false;
  text.clear();
  for (++pos; pos < line.size(); ++pos) {
    const QChar c = line[pos];
    if (c == QLatin1Char('"')) {
      ++pos;
      return true;
    }
    if (c != QLatin1Char('\\')) {
      text += c;
      continue;
    }
    if (++pos >= line.size())
      return false;
    switch (line[pos].unicode()) {
    case '\\': text += QLatin1Char('\\'); break;
    case '"': text += QLatin1Char('"'); break;
    case 'n': text += QLatin1Char('\n'); break;
    case 'r': text += QLatin1Char('\r'); break;
    case 't': text += QLatin1Char('\t'); break;
    case 'x': {
      bool ok = false;
      const int code = line.mid(pos + 1, 2).toInt(&ok, 16);
      if (!ok || pos + 2 >= line.size())
        return false;
      text += QChar(code);
      pos += 2;
      break;
    }
    default: return false;
    }
  }
  return false;
}

bool skip(const QString &line, int &pos, QLatin1String word) {
  if (line.mid(pos, word.size()) != word)
    return false;
  pos += word.size();
  return true;
}

// One value line: "name" = string "text" | "name" = integer n.
bool parseValueLine(const QString &line, QString &name, std::optional<RegistryValue> &value) {
  int pos = 0;
  if (!readQuoted(line, pos, name) || !skip(line, pos, QLatin1String(" = ")))
    return false;
  if (skip(line, pos, QLatin1String("string "))) {
    QString text;
    if (!readQuoted(line, pos, text) || pos != line.size())
      return false;
    value = RegistryValue(text);
    return true;
  }
  if (skip(line, pos, QLatin1String("integer "))) {
    bool ok = false;
    const int integer = line.mid(pos).toInt(&ok, 10);
    if (!ok)
      return false;
    value = RegistryValue(qint32(integer));
    return true;
  }
  return false;
}

void writeNode(const Node &node, const QStringList &path, QString &out) {
  if (!path.isEmpty() || !node.values.empty()) {
    out += QLatin1Char('[') + joinPath(path) + QLatin1String("]\n");
    for (const auto &[name, value] : node.values) {
      out += quoted(name);
      if (value.isString())
        out += QLatin1String(" = string ") + quoted(value.text());
      else
        out += QLatin1String(" = integer ") + QString::number(value.integer());
      out += QLatin1Char('\n');
    }
  }
  for (const auto &child : node.subkeys)
    writeNode(*child, path + QStringList{child->name}, out);
}

// What identifies one version of the store's file, to notice another process's change.
struct FileStamp {
  bool exists = false;
  ino_t inode = 0;
  qint64 size = 0;
  qint64 mtimeNs = 0;
  bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0)
    return {};
  return {true, st.st_ino, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace

class RegistryStore::Impl {
public:
  explicit Impl(const QString &path) : filePath(path), lock(path + QStringLiteral(".lock")) {
    lock.setStaleLockTime(30000);
  }

  QString filePath;
  Node root;
  FileStamp loaded;
  bool everLoaded = false;
  QLockFile lock;
  int updateDepth = 0;
  bool dirty = false;

  // Re-reads the file when it is not the version in memory.
  void refresh() {
    const FileStamp now = stampOf(filePath);
    if (everLoaded && now == loaded)
      return;
    load(now);
  }

  void load(const FileStamp &stamp) {
    Node fresh;
    if (stamp.exists) {
      QFile file(filePath);
      if (!file.open(QIODevice::ReadOnly))
        throw SettingsError(QStringLiteral("The settings file \"%1\" could not be read (%2). Check that you may read it.")
                                .arg(QDir::toNativeSeparators(filePath), file.errorString()));
      const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
      Node *key = &fresh;
      int lineNumber = 0;
      for (QString line : lines) {
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
          line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
          continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
          key = &fresh;
          for (const QString &name : splitPath(line.mid(1, line.size() - 2))) {
            Node *child = key->subkey(name);
            key = child ? child : key->addSubkey(name);
          }
          continue;
        }
        QString name;
        std::optional<RegistryValue> value;
        if (!parseValueLine(line, name, value))
          throw SettingsError(
              QStringLiteral("The settings file \"%1\" is damaged at line %2. Correct or remove that line, then start Faultbook again.")
                  .arg(QDir::toNativeSeparators(filePath))
                  .arg(lineNumber));
        key->setValue(name, *value);
      }
    }
    root = std::move(fresh);
    loaded = stamp;
    everLoaded = true;
  }

  void save() {
    QString text = QString::fromLatin1(StoreHeader) + QLatin1Char('\n');
    writeNode(root, {}, text);
    QString problem;
    if (!WriteFileAtomically(filePath, text.toUtf8(), &problem)) {
      everLoaded = false;  // what is in memory was not stored: read the file again next time
      throw SettingsError(QStringLiteral("The settings file \"%1\" could not be written (%2). Check that you may write there.")
                              .arg(QDir::toNativeSeparators(filePath), problem));
    }
    loaded = stampOf(filePath);
  }

  void beginUpdate() {
    if (updateDepth++ > 0)
      return;
    try {
      const QString directory = QFileInfo(filePath).absolutePath();
      if (!QDir().mkpath(directory))
        throw SettingsError(QStringLiteral("The settings directory \"%1\" could not be created. Check that you may write there.")
                                .arg(QDir::toNativeSeparators(directory)));
      if (!lock.tryLock(LockTimeoutMs)) {
        if (lock.error() == QLockFile::LockFailedError)
          throw SettingsError(QStringLiteral("The settings file \"%1\" is kept locked by another program. Close it and try again.")
                                  .arg(QDir::toNativeSeparators(filePath)));
        throw SettingsError(QStringLiteral("The settings file \"%1\" could not be written. Check that you may write in \"%2\".")
                                .arg(QDir::toNativeSeparators(filePath), QDir::toNativeSeparators(directory)));
      }
      try {
        refresh();
      } catch (...) {
        lock.unlock();
        throw;
      }
    } catch (...) {
      updateDepth = 0;
      throw;
    }
    dirty = false;
  }

  void endUpdate() {
    if (--updateDepth > 0)
      return;
    struct Unlock {
      QLockFile &lock;
      ~Unlock() { lock.unlock(); }
    } unlock{lock};
    if (dirty)
      save();
    dirty = false;
  }

  // Runs one change: inside an Update it waits for the Update's end to be written.
  template <typename Change> auto change(Change &&apply) {
    beginUpdate();
    struct End {
      Impl &impl;
      int uncaught = std::uncaught_exceptions();
      ~End() noexcept(false) {
        if (std::uncaught_exceptions() > uncaught) {
          try {
            impl.endUpdate();
          } catch (...) {
          }
        } else {
          impl.endUpdate();
        }
      }
    } end{*this};
    return apply();
  }

  Node *find(const QString &path) {
    Node *node = &root;
    for (const QString &name : splitPath(path)) {
      node = node->subkey(name);
      if (!node)
        return nullptr;
    }
    return node;
  }

  Node *make(const QString &path) {
    Node *node = &root;
    for (const QString &name : splitPath(path)) {
      Node *child = node->subkey(name);
      if (!child) {
        checkKeyName(name);
        child = node->addSubkey(name);
        dirty = true;
      }
      node = child;
    }
    return node;
  }

  Node *findForRead(const QString &path) {
    if (updateDepth == 0)
      refresh();
    return find(path);
  }
};

RegistryStore::RegistryStore(const QString &filePath) : impl_(std::make_unique<Impl>(filePath)) {
  TRACE_ROUTINE("registry", "RegistryStore.Create");
}

RegistryStore::~RegistryStore() = default;

QString RegistryStore::filePath() const {
  TRACE_ROUTINE("registry", "RegistryStore.FilePath");
  return impl_->filePath;
}

std::optional<RegistryKey> RegistryStore::openKey(const QString &path, bool create) {
  TRACE_ROUTINE("registry", "RegistryStore.OpenKey");
  const QString canonical = joinPath(splitPath(path));
  if (create) {
    impl_->change([&] { impl_->make(path); });
    return RegistryKey(*this, canonical);
  }
  if (!impl_->findForRead(path))
    return std::nullopt;
  return RegistryKey(*this, canonical);
}

bool RegistryStore::keyExists(const QString &path) {
  TRACE_ROUTINE("registry", "RegistryStore.KeyExists");
  return impl_->findForRead(path) != nullptr;
}

bool RegistryStore::deleteKey(const QString &path) {
  TRACE_ROUTINE("registry", "RegistryStore.DeleteKey");
  QStringList names = splitPath(path);
  if (names.isEmpty())
    return false;  // the root stays
  const QString last = names.takeLast();
  return impl_->change([&] {
    Node *parent = impl_->find(joinPath(names));
    if (!parent)
      return false;
    for (auto it = parent->subkeys.begin(); it != parent->subkeys.end(); ++it) {
      if ((*it)->name.compare(last, Qt::CaseInsensitive) == 0) {
        parent->subkeys.erase(it);
        impl_->dirty = true;
        return true;
      }
    }
    return false;
  });
}

bool RegistryStore::moveValue(const QString &fromKey, const QString &fromName, const QString &toKey, const QString &toName) {
  TRACE_ROUTINE("registry", "RegistryStore.MoveValue");
  if (!impl_->findForRead(fromKey))
    return false;  // nothing to move: no lock, no write
  return impl_->change([&] {
    Node *from = impl_->find(fromKey);
    const int index = from ? from->valueIndex(fromName) : -1;
    if (index < 0)
      return false;
    const RegistryValue value = from->values[index].second;
    from->values.erase(from->values.begin() + index);
    impl_->make(toKey)->setValue(toName, value);
    impl_->dirty = true;
    return true;
  });
}

RegistryStore::Update::Update(RegistryStore &store) : store_(store), uncaughtAtStart_(std::uncaught_exceptions()) {
  TRACE_ROUTINE("registry", "RegistryStore.Update.Create");
  store_.impl_->beginUpdate();
}

RegistryStore::Update::~Update() noexcept(false) {
  TRACE_ROUTINE("registry", "RegistryStore.Update.Destroy");
  if (std::uncaught_exceptions() > uncaughtAtStart_) {
    try {
      store_.impl_->endUpdate();
    } catch (...) {
    }
    return;
  }
  store_.impl_->endUpdate();
}

bool RegistryKey::valueExists(const QString &name) const {
  TRACE_ROUTINE("registry", "RegistryKey.ValueExists");
  return value(name).has_value();
}

std::optional<RegistryValue> RegistryKey::value(const QString &name) const {
  TRACE_ROUTINE("registry", "RegistryKey.Value");
  const Node *node = store_->impl_->findForRead(path_);
  const int index = node ? node->valueIndex(name) : -1;
  if (index < 0)
    return std::nullopt;
  return node->values[index].second;
}

namespace {

[[noreturn]] void wrongType(const QString &path, const QString &name, const char *wanted) {
  throw SettingsError(QStringLiteral("The registry value \"%1\" of the key \"%2\" is not %3. Correct or delete the value.")
                          .arg(name, path, QLatin1String(wanted)));
}

}  // namespace

QString RegistryKey::readString(const QString &name, const QString &absent) const {
  TRACE_ROUTINE("registry", "RegistryKey.ReadString");
  const auto stored = value(name);
  if (!stored)
    return absent;
  if (!stored->isString())
    wrongType(path_, name, "a string");
  return stored->text();
}

qint32 RegistryKey::readInteger(const QString &name, qint32 absent) const {
  TRACE_ROUTINE("registry", "RegistryKey.ReadInteger");
  const auto stored = value(name);
  if (!stored)
    return absent;
  if (!stored->isInteger())
    wrongType(path_, name, "an integer");
  return stored->integer();
}

bool RegistryKey::readBool(const QString &name, bool absent) const {
  TRACE_ROUTINE("registry", "RegistryKey.ReadBool");
  return readInteger(name, absent ? 1 : 0) != 0;
}

void RegistryKey::writeValue(const QString &name, const RegistryValue &value) {
  TRACE_ROUTINE("registry", "RegistryKey.WriteValue");
  auto &impl = *store_->impl_;
  impl.change([&] {
    impl.make(path_)->setValue(name, value);
    impl.dirty = true;
  });
}

bool RegistryKey::deleteValue(const QString &name) {
  TRACE_ROUTINE("registry", "RegistryKey.DeleteValue");
  if (!valueExists(name))
    return false;
  auto &impl = *store_->impl_;
  return impl.change([&] {
    Node *node = impl.find(path_);
    const int index = node ? node->valueIndex(name) : -1;
    if (index < 0)
      return false;
    node->values.erase(node->values.begin() + index);
    impl.dirty = true;
    return true;
  });
}

QStringList RegistryKey::valueNames() const {
  TRACE_ROUTINE("registry", "RegistryKey.ValueNames");
  QStringList names;
  if (const Node *node = store_->impl_->findForRead(path_))
    for (const auto &entry : node->values)
      names << entry.first;
  return names;
}

QStringList RegistryKey::subkeyNames() const {
  TRACE_ROUTINE("registry", "RegistryKey.SubkeyNames");
  QStringList names;
  if (const Node *node = store_->impl_->findForRead(path_))
    for (const auto &child : node->subkeys)
      names << child->name;
  return names;
}

namespace {

QString storePath(const char *variable, const QString &fallbackDirectory) {
  const QString overridden = qEnvironmentVariable(variable);
  const QString directory = overridden.isEmpty() ? fallbackDirectory + QStringLiteral("/faultbook") : overridden;
  return QDir(directory).filePath(QLatin1String(StoreFileName));
}

// A process-wide store that follows a change of the file's location.
RegistryStore &storeAt(std::unique_ptr<RegistryStore> &store, const QString &path) {
  if (!store || store->filePath() != path)
    store = std::make_unique<RegistryStore>(path);
  return *store;
}

}  // namespace

RegistryStore &CurrentUserRegistry() {
  TRACE_ROUTINE("registry", "CurrentUserRegistry");
  static std::unique_ptr<RegistryStore> store;
  return storeAt(store, storePath("FAULTBK_CONFIG_DIR",
                                  QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
}

RegistryStore &LocalMachineRegistry() {
  TRACE_ROUTINE("registry", "LocalMachineRegistry");
  static std::unique_ptr<RegistryStore> store;
  const QStringList configDirs = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
  return storeAt(store, storePath("FAULTBK_MACHINE_CONFIG_DIR",
                                  configDirs.size() > 1 ? configDirs.last() : QStringLiteral("/etc/xdg")));
}

void CopyRegistryTree(RegistryStore &from, const QString &fromPath, RegistryStore &to, const QString &toPath) {
  TRACE_ROUTINE("registry", "CopyRegistryTree");
  // Read the whole source first: source and target may be the same store.
  struct Snapshot {
    QString relativePath;
    std::vector<std::pair<QString, RegistryValue>> values;
  };
  std::vector<Snapshot> keys;
  std::vector<QString> pending{QString()};
  while (!pending.empty()) {
    const QString relative = pending.back();
    pending.pop_back();
    auto key = from.openKey(fromPath + QLatin1Char('\\') + relative, false);
    if (!key)
      continue;
    Snapshot snapshot{relative, {}};
    for (const QString &name : key->valueNames())
      if (const auto value = key->value(name))
        snapshot.values.emplace_back(name, *value);
    keys.push_back(std::move(snapshot));
    const QStringList subkeys = key->subkeyNames();
    for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it)
      pending.push_back(relative.isEmpty() ? *it : relative + QLatin1Char('\\') + *it);
  }
  RegistryStore::Update update(to);
  for (const Snapshot &snapshot : keys) {
    RegistryKey target = *to.openKey(toPath + QLatin1Char('\\') + snapshot.relativePath, true);
    for (const auto &[name, value] : snapshot.values)
      target.writeValue(name, value);
  }
}

void RegMoveValue(const QString &name, const QString &fromKey, const QString &toKey) {
  TRACE_ROUTINE("registry", "RegMoveValue");
  LocalMachineRegistry().moveValue(fromKey, name, toKey, name);
}
