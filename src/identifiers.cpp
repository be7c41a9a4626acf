// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include <QByteArray>

#include <cstdint>
#include <ctime>
#include <locale>
#include <sstream>

// Seeded in its own definition, so that whatever the order of static initialisation no
// program ever sees Boost's default-seeded state and its ever-same sequence.
boost::mt19937 TavShare::MersenneTwister(static_cast<std::uint32_t>(std::time(nullptr)));

QUuid TavShare::boostUuid2QUuid(const boost::uuids::uuid &uuid)
{
    // Both keep the bytes in network order, byte 0 first.
    return QUuid::fromRfc4122(QByteArray::fromRawData(reinterpret_cast<const char *>(uuid.begin()),
                                                      static_cast<int>(uuid.size())));
}

QString TavShare::boostUuid2QString(const boost::uuids::uuid &uuid)
{
    return QString::fromStdString(boost::uuids::to_string(uuid));
}

boost::uuids::uuid TavShare::qString2boostUuid(const QString &text)
{
    // The extraction leaves the identifier untouched when the text has another form.
    boost::uuids::uuid uuid = boost::uuids::nil_uuid();
    std::istringstream stream(text.toLatin1().toStdString());
    // Which characters count as blanks must not depend on the program's locale.
    stream.imbue(std::locale::classic());
    stream >> uuid;
    return uuid;
}
