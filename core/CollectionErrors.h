#pragma once

#include "base/Exceptions.h"

namespace zintra {

// A collection whose text would not fit the bar's signed 32-bit character count.
class ETextTooLong : public Exception {
public:
    ETextTooLong();
};

// A collection file whose lines changed between the two readings of one load.
class ECollectionChanged : public Exception {
public:
    ECollectionChanged();
};

// A collection that runs out of memory while it loads.
class ECollectionTooLarge : public Exception {
public:
    ECollectionTooLarge();
};

} // namespace zintra
