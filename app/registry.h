#pragma once
// The registry: a tree of keys holding named values, each a string or a 32-bit integer
// that keeps its type ("0123" stored as a string stays a string). There are two stores
// of the same form: the current user's (settings of one user on this station) and the
// machine's (settings an older version kept for every user of the station).
//
// Key and value names are matched without regard to letter case and keep the spelling
// they were created with; keys and values are listed in the order they were created.
// A path is a list of key names joined by backslashes, "\Software\Larkspur, Inc.\Faultbook\Display";
// the leading backslash is optional.
//
// Each store is one UTF-8 text file, rewritten whole and atomically on every change
// (or once at the end of a RegistryStore::Update). Lines:
//   # comment                          ignored (the file starts with one)
//   [\Software\Larkspur, Inc.]         a key, by its full path; the values below are its own
//   "Last Product" = string "Widgets"  a string value
//   "Last X-Pos" = integer -12         an integer value, decimal
// Names and strings are in double quotes with \\ \" \n \r \t and \xHH (other control
// characters) escaped; everything else stands as it is. Key names may hold neither a
// backslash nor a control character.
//
// Several processes of one user may share a store: every change takes a lock file
// beside the store, re-reads it and writes it back, and every read first re-reads a
// store that another process has changed.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class RegistryValue {
public:
  enum class Type { String, Integer };

  RegistryValue(const QString &text) : type_(Type::String), text_(text) {}
  RegistryValue(const char *text) : type_(Type::String), text_(QString::fromUtf8(text)) {}
  RegistryValue(qint32 integer) : type_(Type::Integer), integer_(integer) {}

  Type type() const { return type_; }
  bool isString() const { return type_ == Type::String; }
  bool isInteger() const { return type_ == Type::Integer; }
  QString text() const { return text_; }         // empty for an integer
  qint32 integer() const { return integer_; }    // 0 for a string
  // Strings as stored, integers in decimal.
  QString toDisplayString() const { return isString() ? text_ : QString::number(integer_); }

  bool operator==(const RegistryValue &other) const = default;

private:
  Type type_;
  QString text_;
  qint32 integer_ = 0;
};

class RegistryStore;

// An open key of a store: reads and writes values of that key. Writing to a key that
// another change has deleted meanwhile creates it again.
class RegistryKey {
public:
  QString path() const { return path_; }

  bool valueExists(const QString &name) const;
  std::optional<RegistryValue> value(const QString &name) const;
  // The stored value, or `absent` when there is none. A value of the other type throws
  // SettingsError: the registry never converts between strings and integers.
  QString readString(const QString &name, const QString &absent = {}) const;
  qint32 readInteger(const QString &name, qint32 absent = 0) const;
  // An integer: any non-zero value is true.
  bool readBool(const QString &name, bool absent = false) const;

  void writeValue(const QString &name, const RegistryValue &value);
  void writeString(const QString &name, const QString &text) { writeValue(name, RegistryValue(text)); }
  void writeInteger(const QString &name, qint32 integer) { writeValue(name, RegistryValue(integer)); }
  void writeBool(const QString &name, bool flag) { writeValue(name, RegistryValue(flag ? 1 : 0)); }
  // False when there was no such value.
  bool deleteValue(const QString &name);

  QStringList valueNames() const;
  QStringList subkeyNames() const;

private:
  friend class RegistryStore;
  RegistryKey(RegistryStore &store, const QString &path) : store_(&store), path_(path) {}
  RegistryStore *store_;
  QString path_;
};

class RegistryStore {
public:
  // The store kept in `filePath`; a missing file is an empty store, made at the first
  // change. A damaged file throws SettingsError at the first use.
  explicit RegistryStore(const QString &filePath);
  ~RegistryStore();
  RegistryStore(const RegistryStore &) = delete;
  RegistryStore &operator=(const RegistryStore &) = delete;

  QString filePath() const;

  // The key at `path`; without `create`, none when it does not exist; with `create`,
  // the key and every missing key above it are made.
  std::optional<RegistryKey> openKey(const QString &path, bool create);
  bool keyExists(const QString &path);
  // Deletes the key with its values and every key below it. False when there was none.
  bool deleteKey(const QString &path);
  // Moves (or renames) one value, keeping its type, in one change: the value at
  // `toKey` (made when missing) under `toName` is replaced. False, and nothing
  // changed, when the value does not exist.
  bool moveValue(const QString &fromKey, const QString &fromName, const QString &toKey, const QString &toName);

  // Several changes written as one: the store is locked for other processes and
  // written once, when the outermost Update ends. Changes made before a failure are
  // still written.
  class Update {
  public:
    explicit Update(RegistryStore &store);
    ~Update() noexcept(false);
    Update(const Update &) = delete;
    Update &operator=(const Update &) = delete;

  private:
    RegistryStore &store_;
    int uncaughtAtStart_;
  };

private:
  friend class RegistryKey;
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The store of the current user: registry.txt in $FAULTBK_CONFIG_DIR, else in the
// user's configuration directory + "/faultbook". Follows a change of the variable.
RegistryStore &CurrentUserRegistry();
// The station's store: registry.txt in $FAULTBK_MACHINE_CONFIG_DIR, else in the
// system-wide configuration directory (/etc/xdg) + "/faultbook".
RegistryStore &LocalMachineRegistry();

// Copies the key `fromPath` of one store with its values and every key below it to
// `toPath` of another (or the same) store; values already there with the same names
// are replaced. The source stays as it is. Written as one change.
void CopyRegistryTree(RegistryStore &from, const QString &fromPath, RegistryStore &to, const QString &toPath);

// Moves a value from one key of the machine's store to another, keeping its name and
// type; a value that does not exist is skipped.
void RegMoveValue(const QString &name, const QString &fromKey, const QString &toKey);
