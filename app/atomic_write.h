#pragma once
// Replaces a file as a whole: readers see the old contents or the new, never a part,
// and a write that fails (a full disk) leaves the old file as it was.

#include <QByteArray>
#include <QString>

// False, with the reason in *error, when the file could not be written.
bool WriteFileAtomically(const QString &path, const QByteArray &contents, QString *error);
