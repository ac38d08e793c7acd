#pragma once
// Date and time literals of the local SQL in their stored forms.

#include "data/field_types.h"

#include <QString>

namespace db::localsql {

bool IsTemporal(FieldType type);  // Date, Time, Timestamp

// The literal as the field stores it: a Date "1/5/2024" is "2024-01-05", a Time
// "9:05 PM" is "21:05:00", a Timestamp "1/5/2024 9:05:30" is "2024-01-05 09:05:30.000".
// The stored form itself is accepted too. Throws EngineError ErrInvalidValue for a
// literal that is no date (or time) of the field's kind.
QString StoredTemporalLiteral(const QString &literal, const FieldDef &field);

}  // namespace db::localsql
