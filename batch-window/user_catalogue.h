// The user's catalogue file as the window changes it: created with a short header when it is
// opened for editing, and new systems appended without ever losing what it held.
#pragma once

#include <QByteArray>
#include <QString>

namespace batch_window {

// The comments a new catalogue file starts with.
extern const QByteArray CatalogueHeader;

// Creates the file (and its directories) with the header when it does not exist; false with
// the reason in `error` when it cannot.
bool EnsureCatalogueFile(const QString& path, QString* error);

// Appends a table to the file (created with the header when missing). The old content and the
// table go to a new file beside it that then takes its name, so that a failure anywhere leaves
// the file as it was.
bool AppendToCatalogue(const QString& path, const QByteArray& table, QString* error);

}  // namespace batch_window
