#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform::dconf {

// The user's dconf database, where GSettings keeps what gsettings and the desktop's own
// settings write; read as a file, so that a look costs no process and no bus round trip.
QString UserDatabasePath();

// A boolean value of the database (a GVDB table of GVariants), or nothing when the key is not
// there or not a boolean.
std::optional<bool> ReadBool(const QByteArray& database, const QByteArray& key);

}  // namespace platform::dconf
