// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"

#include <type_traits>

using namespace TavSettingsKeys;

namespace {
// Numbers and flags are passed by value, sizes and points by reference, as the public
// header declares the setters.
template <typename T>
using SetterArgument = std::conditional_t<std::is_arithmetic_v<T>, T, const T &>;
} // namespace

// Every preference is one value per application under getKey(literal, appType); the
// getter gives the default while the key is absent, and the conversion's null value for
// a stored value of another type.
#define TAVSETTINGS_REMOVER_clear(Stem, keyConstant) \
    void TavSettings::clear##Stem(AppType appType) \
    { \
        removeSetting(getKey(keyConstant, appType)); \
    }
#define TAVSETTINGS_REMOVER_none(Stem, keyConstant)

#define TAVSETTINGS_ACCESSORS(Type, Stem, getterPrefix, keyConstant, literal, defaultValue, remover) \
    Type TavSettings::getterPrefix##Stem(AppType appType) \
    { \
        return readSetting(getKey(keyConstant, appType), Type(defaultValue)); \
    } \
    void TavSettings::set##Stem(SetterArgument<Type> value, AppType appType) \
    { \
        writeSetting(getKey(keyConstant, appType), value); \
    } \
    TAVSETTINGS_REMOVER_##remover(Stem, keyConstant)

TAVSETTINGS_PREFERENCES(TAVSETTINGS_ACCESSORS)

bool TavSettings::hasLastScreenPos(AppType appType)
{
    return containsSetting(getKey(keyLastScreenPos, appType));
}

bool TavSettings::displayFullName(AppType appType)
{
    return getDisplayFullNameType(appType) == 0;
}
