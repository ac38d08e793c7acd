#pragma once
// Every code the data engine raises, in one place. Callers test codes, never texts;
// EngineErrorText turns a code into the text the user sees.

#include <QString>

namespace db {

enum EngineErrorCode : int {
  ErrNone = 0,
  ErrGeneral = 8449,            // an SQLite failure with no closer code; the text says which
  ErrTableNotFound = 10024,     // no table of that name in the data directory
  ErrFieldNotFound = 10025,     // no field of that name in the table or statement
  ErrNoDataDirectory = 10026,   // the directory holds no database
  ErrSyntax = 10027,            // a statement the local SQL does not accept
  ErrFieldTooLong = 10028,      // a text longer than its field
  ErrInvalidValue = 10029,      // a value that does not fit its field's type (a bad date...)
  ErrNotEditing = 10030,        // post/cancel/setValue outside edit or insert
  ErrNoCurrentRecord = 10031,   // a field read on an empty or closed data set
  ErrBusy = 10032,              // the database stayed busy beyond the wait
  ErrReadOnly = 10033,          // a change to a table opened read-only
  ErrKeyViolation = 9729,       // a second record with the same primary key
  ErrRecordLocked = 10241,      // "Record locked by another user."
  ErrEndOfLockList = 8706,
};

QString EngineErrorText(int code);

}  // namespace db
